#pragma once

#include "protoconfig/credentials.h"
#include "site/batch_runner.h"
#include "site/camera_outcome.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

class CameraNetwork;
class ConfigJob;

// Runs one configuration job a camera, at most `parallel` at once, on one event loop.
// Every camera gets its own job and its own scratch folder, gone with the runner;
// start() sets the job going, and the job says when it is over. Nothing here prints; the signals say what happens.
class ConfigJobRunner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConfigJobRunner)

public:
    static constexpr int kClockMs = 500;
    using Start = std::function<void(ConfigJob &job)>;

    explicit ConfigJobRunner(CameraNetwork &network, QObject *parent = nullptr);
    ~ConfigJobRunner() override;

    void setParallel(int n) { m_parallel = qMax(1, n); }
    // The presence clock of follow() (500 ms).
    void setClockMs(int ms) { m_clock.setInterval(ms > 0 ? ms : kClockMs); }

    // Follows the job's camera through the restart after an update, as the presence poll
    // does (asked every 10 s for 60 s), on the runner's one clock; then(back) once.
    void follow(ConfigJob &job, std::function<void(bool back)> then);

    // One result a MAC, in the list's order; a MAC no camera answered for is "not found".
    QList<BatchResult> run(const QStringList &macs, const LoginEntry &login, const Start &start);
    // No new camera starts; the cameras in flight finish. The cameras never started get
    // status, the one the process ends with (130 for Ctrl-C, 143 for SIGTERM, ...).
    void stop(int status = CameraOutcome::Stopped);
    bool stopping() const { return m_stopping; }
    int stopStatus() const { return m_stopStatus; }

signals:
    void jobStarted(int index, const QString &mac);
    void jobEnded(int index, const BatchResult &result);
    void statusChanged(const QString &text);

private:
    void startMore();
    void jobDone(int index);
    void record(int index, const BatchResult &result);
    void clockTick();

    CameraNetwork &m_network;
    int m_parallel = 8;
    bool m_stopping = false;
    int m_stopStatus = CameraOutcome::Stopped;
    QStringList m_macs;
    LoginEntry m_login;
    Start m_start;
    QTemporaryDir m_scratch;
    QList<BatchResult> m_out;
    int m_next = 0;
    int m_done = 0;
    std::map<int, std::unique_ptr<ConfigJob>> m_jobs;
    std::map<ConfigJob *, std::function<void(bool)>> m_followers;
    std::map<ConfigJob *, QElapsedTimer> m_asked;   // since each follower's camera was asked for
    QTimer m_clock;
    QEventLoop *m_loop = nullptr;
};

#pragma once

#include "protoconfig/credentials.h"
#include "site/camera_change.h"
#include "site/camera_outcome.h"
#include "site/row_results.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <map>
#include <memory>

class CameraNetwork;

// One change a camera goes through: the command and, when asked, its restart.
struct BatchStep {
    QString name;                // "network", "host", or the command's name
    CameraChange change{CameraChange::Kind::Host};
    bool follow = false;         // follow the camera through its restart
    QString expectAddress;       // follow: the address it must come back at (empty: any)
};

// The steps of one camera, in order; a failed step ends the camera's run.
struct BatchTask {
    QString mac;
    LoginEntry login;
    QList<BatchStep> steps;
};

// How a camera's run ended.
struct BatchResult {
    QString mac;
    QString verdict;             // "success", "refused", ..., "not found", "not started"
    QString address;
    QString text;
    int status = 0;              // its CameraOutcome code
    bool started = false;
    bool sent = false;           // something went to the camera: a command, an upload
    QStringList stepsDone;       // the steps the camera went through before the ending
    QString failedStep;          // the step that ended it, when one failed
};

// Runs the changes of many cameras at once: at most `parallel` cameras in flight, each
// with its own confirmation, resends and restart watch, all on one event loop and one
// presence clock. Nothing here prints; the signals say what happens.
class BatchRunner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchRunner)

public:
    static constexpr int kClockMs = 500;

    explicit BatchRunner(CameraNetwork &network, QObject *parent = nullptr);
    ~BatchRunner() override;

    void setParallel(int n) { m_parallel = qMax(1, n); }
    // 0 keeps the confirmation's own 2000 ms between sends.
    void setConfirmIntervalMs(int ms) { m_confirmMs = ms; }
    // The presence clock of the restart watch (500 ms).
    void setClockMs(int ms) { m_clockMs = ms > 0 ? ms : kClockMs; }
    // Builds and reports every step's command, a refused one too; sends nothing.
    void setDryRun(bool on) { m_dryRun = on; }

    // Runs every task to its end (or until stop()); one result a task, in the tasks' order.
    QList<BatchResult> run(const QList<BatchTask> &tasks);
    // No new camera starts; the cameras in flight finish. The cameras never started get
    // status, the one the process ends with (130 for Ctrl-C, 143 for SIGTERM, ...).
    void stop(int status = CameraOutcome::Stopped);
    // As stop(), and the cameras in flight are let go at once, with status: for a change
    // whose only part in flight is a confirmation or a restart watch, which the camera
    // goes through the same without us.
    void abandon(int status);
    bool stopping() const { return m_stopping; }
    int stopStatus() const { return m_stopStatus; }

    // What the run waits for now, in a few words.
    QString statusText() const;

signals:
    // A step's command was built (dry run: instead of sending it).
    void commandBuilt(int task, const QString &step, const QByteArray &bytes, bool unicast,
                      const QString &address);
    // result: "sent" (the camera accepted the command), "done" (and came back when
    // followed), "failed", "would send" and "refused" (dry run).
    void stepEnded(int task, const QString &step, const QString &result, const QString &address,
                   const QString &message);
    void taskStarted(int task, const QString &mac);
    void taskEnded(int task, const BatchResult &result);
    void statusChanged(const QString &text);

private:
    struct Flight;

    void startMore();
    void startStep(Flight &flight);
    void sessionChanged(int task);
    void confirmed(int task, int outcome);
    void clockTick();
    void checkFollowers();
    void endStep(Flight &flight, const QString &result, const QString &message);
    void finishTask(int task, BatchResult result);
    void updateStatus();

    CameraNetwork &m_network;
    RowResults m_results;
    int m_parallel = 8;
    int m_confirmMs = 0;
    int m_clockMs = kClockMs;
    bool m_dryRun = false;
    bool m_stopping = false;
    int m_stopStatus = CameraOutcome::Stopped;
    QList<BatchTask> m_tasks;
    QList<BatchResult> m_out;
    int m_next = 0;
    int m_done = 0;
    int m_failed = 0;
    std::map<int, std::unique_ptr<Flight>> m_flights;
    QTimer m_clock;
    QEventLoop *m_loop = nullptr;
};

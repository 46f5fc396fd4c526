#pragma once

#include "protoconfig/credentials.h"
#include "site/batch_runner.h"
#include "site/job_board.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CameraNetwork;
class CredentialPrompt;
class JobSink;
class Messenger;
class SiteActionInputs;

// The window's runs on a selection of cameras: back up, restore, update the firmware,
// set a field, apply a site plan. Each asks its inputs, names the cameras it will touch
// in one question, asks one login for the job and runs what zoractl runs, its cameras on
// the job board. One job at a time; the window stays usable while it runs.
class SiteJobs final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteJobs)

public:
    SiteJobs(CameraNetwork &network, Messenger &messenger, QObject *parent = nullptr);
    ~SiteJobs() override;

    void setInputs(SiteActionInputs *inputs) { m_inputs = inputs; }
    void setCredentialPrompt(CredentialPrompt *prompt) { m_prompt = prompt; }
    // Shorter confirmation and clock intervals, for tests.
    void setIntervals(int confirmMs, int clockMs);
    // Cameras at once for backups, field changes and plans.
    void setParallel(int n) { m_parallel = qMax(1, n); }

    JobBoard &board() { return m_board; }
    bool running() const { return m_board.running(); }

    // Each returns when its job is over; false when nothing ran (cancelled, refused, or
    // another job is running).
    bool backUp(const QStringList &macs);
    bool restore(const QStringList &macs);
    bool updateFirmware(const QStringList &macs);
    bool setField(const QStringList &macs);
    bool applyPlan();

    // No new camera starts; the cameras in flight finish.
    void cancel();
    // The job's results, CSV or (for a ".json" name) JSON. False with a message.
    bool exportResults(const QString &path);

    // The window is asked to close: true when it may. With a job running, the user is
    // asked; Yes cancels the job and the window closes when it is over (closeWhenDone).
    bool mayClose();

    // Where the window keeps a rollout's log: beside the image, so that a second run from
    // the window or zoractl --log skips the cameras already updated.
    static QString rolloutLogOf(const QString &image);
    static QString planLogOf(const QString &plan);

signals:
    // A job asked to close the window is over.
    void closeWhenDone();

private:
    bool refuseWhileRunning();
    // The login every camera of macs is reached with: theirs when they all hold the same
    // one, else asked once.
    std::optional<LoginEntry> loginFor(const QStringList &macs);
    QList<JobBoard::Camera> camerasOf(const QStringList &macs);
    void begin(const QString &what, const QStringList &macs);
    void end(const QList<BatchResult> &results);

    CameraNetwork &m_network;
    Messenger &m_messenger;
    SiteActionInputs *m_inputs = nullptr;
    CredentialPrompt *m_prompt = nullptr;
    JobBoard m_board;
    std::unique_ptr<JobSink> m_sink;   // the running job's
    int m_confirmMs = 0;
    int m_clockMs = 0;
    int m_parallel = 8;
    bool m_closeAfter = false;
};

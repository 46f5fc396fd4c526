#pragma once

#include "transfer/ftp_client.h"
#include "transfer/transfer_result.h"

#include <QMutex>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <memory>

class FtpJob;
class FtpSession;
struct TConfigItem;
class QThread;

// Where and how a job reaches the camera's FTP server.
struct FtpConnection {
    QString host;
    int port = 21;
    QString user;
    QString password;
    bool passive = true;
    quint8 transferType = 0;   // 0 binary, anything else ASCII
    FtpClient::Limits limits;

    // The camera's address, credentials and FTP settings (the defaults when it has none).
    static FtpConnection forCamera(const TConfigItem &camera);
};

// One FTP transfer job: a description goes in, progress(done, total) and one
// finished(result) come out. The job runs on one connection of a client the worker makes
// for it (connect and log in, the job's operations, quit), either on the calling thread
// (run(), as the command-line tool does) or on a thread of its own (start(), as the
// dialogs do; the signals then reach them queued). Each kind of job says what it checks
// before connecting, which operations it queues and what it does after the quit.
class TransferWorker : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransferWorker)

public:
    TransferWorker(quint64 runId, const FtpConnection &connection, QObject *parent = nullptr);
    // Waits for a started job to end.
    ~TransferWorker() override;

    quint64 runId() const { return m_runId; }
    const FtpConnection &connection() const { return m_connection; }
    // Before run() or start(): the job runs on the session's login when one is kept, and
    // leaves its own there for the next job unless keepsSession() says otherwise.
    void setSession(std::shared_ptr<FtpSession> session) { m_session = std::move(session); }

    // Runs the whole job on the calling thread and returns what finished() reports.
    TransferResult run();
    // Runs the job on a thread of its own. With autoDelete the worker deletes itself
    // (through the event loop of the thread it belongs to) once the job has ended.
    void start(bool autoDelete = true);
    bool wait(int ms = -1);

    // Callable from any thread: cuts the job at once, except inside a protected stretch
    // (a file being replaced on the camera, a camera writing its flash): the cut then
    // comes when the stretch ends.
    void requestAbort();

    // Ends every worker of the list that still exists: receiver hears nothing more from
    // it, it is asked to abort (a protected stretch still runs to its end), waited for
    // and deleted.
    static void stopAll(const QList<QPointer<TransferWorker>> &workers, QObject *receiver);

    // Workers that have not ended yet, across the program.
    static int running() { return s_running.load(); }

Q_SIGNALS:
    void progress(quint64 runId, qint64 done, qint64 total);
    void finished(quint64 runId, const TransferResult &result);

protected:
    // Before connecting: a failure here ends the job without any connection.
    virtual TransferResult check() { return {}; }
    // The job's operations, queued after the login; the client is set up and lives for
    // the whole job.
    virtual void build(FtpJob &job, FtpClient &client) = 0;
    // After the quit (or the failure): the local side of the outcome.
    virtual void conclude(TransferResult &result) { Q_UNUSED(result); }
    // Whether the login is worth keeping after this kind of job (not when the camera
    // restarts at its end).
    virtual bool keepsSession() const { return true; }
    // Whether the camera keeps running as it is after this kind of job (a fetch does; an
    // upload is applied next, and the camera may restart).
    virtual bool leavesCameraRunning() const { return false; }

    void reportProgress(qint64 done, qint64 total) { Q_EMIT progress(m_runId, done, total); }
    // Inside a job: false when an abort was already asked for.
    bool enterProtected();
    void leaveProtected();

private:
    void finishRun();

    const quint64 m_runId;
    FtpConnection m_connection;
    std::shared_ptr<FtpSession> m_session;
    QThread *m_thread = nullptr;
    bool m_counted = true;

    QMutex m_abortMutex;
    FtpClient *m_client = nullptr;   // guarded by m_abortMutex
    bool m_abortRequested = false;
    bool m_protected = false;

    static std::atomic<int> s_running;
};

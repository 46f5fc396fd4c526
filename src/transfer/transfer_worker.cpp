#include "transfer/transfer_worker.h"

#include "protocol/config_item.h"
#include "transfer/ftp_job.h"
#include "transfer/ftp_session.h"

#include <QMutexLocker>
#include <QThread>

std::atomic<int> TransferWorker::s_running = 0;

FtpConnection FtpConnection::forCamera(const TConfigItem &camera)
{
    const FtpConnectionSetting ftp = camera.FtpSettings.value_or(FtpConnectionSetting());
    FtpConnection c;
    c.host = camera.Address;
    c.port = ftp.port;
    c.user = camera.AdminId;
    c.password = camera.AdminPassword;
    c.passive = ftp.passive;
    c.transferType = ftp.transferType;
    return c;
}

TransferWorker::TransferWorker(quint64 runId, const FtpConnection &connection, QObject *parent)
    : QObject(parent)
    , m_runId(runId)
    , m_connection(connection)
{
    qRegisterMetaType<TransferResult>();
    ++s_running;
}

TransferWorker::~TransferWorker()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
    finishRun();
}

void TransferWorker::finishRun()
{
    if (m_counted) {
        m_counted = false;
        --s_running;
    }
}

void TransferWorker::start(bool autoDelete)
{
    if (m_thread)
        return;
    m_thread = QThread::create([this] { run(); });
    if (autoDelete)
        connect(m_thread, &QThread::finished, this, &QObject::deleteLater);
    m_thread->start();
}

bool TransferWorker::wait(int ms)
{
    if (!m_thread)
        return true;
    return ms < 0 ? m_thread->wait() : m_thread->wait(QDeadlineTimer(ms));
}

void TransferWorker::stopAll(const QList<QPointer<TransferWorker>> &workers, QObject *receiver)
{
    for (const QPointer<TransferWorker> &worker : workers) {
        if (!worker)
            continue;
        disconnect(worker, nullptr, receiver, nullptr);
        worker->requestAbort();
        worker->wait();
        delete worker.data();
    }
}

void TransferWorker::requestAbort()
{
    QMutexLocker lock(&m_abortMutex);
    m_abortRequested = true;
    if (m_client && !m_protected)
        m_client->abort();
}

bool TransferWorker::enterProtected()
{
    QMutexLocker lock(&m_abortMutex);
    if (m_abortRequested)
        return false;
    m_protected = true;
    return true;
}

void TransferWorker::leaveProtected()
{
    QMutexLocker lock(&m_abortMutex);
    m_protected = false;
    if (m_abortRequested && m_client)
        m_client->abort();
}

TransferResult TransferWorker::run()
{
    TransferResult result = check();
    if (result.ok()) {
        bool probe = true;
        std::unique_ptr<FtpClient> owned = m_session ? m_session->take(m_connection, &probe) : nullptr;
        if (!owned) {
            owned = std::make_unique<FtpClient>();
            owned->setHost(m_connection.host);
            owned->setPort(m_connection.port);
            owned->setUser(m_connection.user);
            owned->setPassword(m_connection.password);
            owned->setPassive(m_connection.passive);
            owned->setTransferType(m_connection.transferType);
            owned->setLimits(m_connection.limits);
        }
        FtpClient &client = *owned;
        FtpJob job(&client);
        job.setKeepOpen(m_session && keepsSession());
        job.setProbeOnResume(probe);
        build(job, client);
        {
            QMutexLocker lock(&m_abortMutex);
            m_client = &client;
            if (m_abortRequested)
                client.abort();
        }
        const int code = job.run();
        {
            QMutexLocker lock(&m_abortMutex);
            m_client = nullptr;
            m_protected = false;
        }
        result.outcome = code == int(FtpOutcome::Done)            ? TransferResult::Outcome::Done
                         : code == int(FtpOutcome::ConnectFailed) ? TransferResult::Outcome::ConnectFailed
                                                                  : TransferResult::Outcome::TransferFailed;
        if (!result.ok()) {
            result.errorText = job.errorString();
            result.overLimit = client.overLimit();
            result.serverSilent = result.outcome == TransferResult::Outcome::ConnectFailed
                                  && client.serverSilent();
        }
        result.lastReply = job.lastReply();
        result.listing = job.listing();
        // What this job connected to the client ends with it.
        QObject::disconnect(&client, nullptr, nullptr, nullptr);
        if (m_session)
            m_session->giveBack(std::move(owned), m_connection, leavesCameraRunning());
    }
    conclude(result);
    finishRun();
    Q_EMIT finished(m_runId, result);
    return result;
}

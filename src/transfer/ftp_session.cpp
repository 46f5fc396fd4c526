#include "transfer/ftp_session.h"

#include "transfer/ftp_client.h"

#include <QMutexLocker>
#include <QObject>
#include <QThread>

FtpSession::FtpSession() = default;

FtpSession::~FtpSession()
{
    if (m_closer)
        m_closer->wait();
    if (m_client)
        quitQuickly(*m_client);
}

bool FtpSession::sameServer(const FtpConnection &a, const FtpConnection &b)
{
    return a.host == b.host && a.port == b.port && a.user == b.user && a.password == b.password
           && a.passive == b.passive && a.transferType == b.transferType;
}

void FtpSession::quitQuickly(FtpClient &client)
{
    FtpClient::Limits limits = client.limits();
    limits.replyMs = qMin(limits.replyMs, kQuitReplyMs);
    client.setLimits(limits);
    client.quit();
}

std::unique_ptr<FtpClient> FtpSession::take(const FtpConnection &connection, bool *probe)
{
    std::unique_ptr<FtpClient> kept;
    {
        QMutexLocker lock(&m_mutex);
        if (probe)
            *probe = !(m_trusted && m_keptSince.isValid() && m_keptSince.elapsed() < kTrustMs);
        kept = std::move(m_client);
        if (!kept || m_closed)
            return nullptr;
        if (!sameServer(m_connection, connection)) {
            lock.unlock();
            // The camera moved or its login changed: the old connection is no use.
            quitQuickly(*kept);
            return nullptr;
        }
    }
    kept->setLimits(connection.limits);
    return kept;
}

void FtpSession::giveBack(std::unique_ptr<FtpClient> client, const FtpConnection &connection,
                          bool cameraRunning)
{
    if (!client)
        return;
    if (client->isConnected() && !client->isAborted()) {
        QMutexLocker lock(&m_mutex);
        if (!m_closed && !m_client) {
            m_client = std::move(client);
            m_connection = connection;
            m_trusted = cameraRunning;
            m_keptSince.start();
            return;
        }
    }
    if (client->isConnected() && !client->isAborted())
        quitQuickly(*client);
}

bool FtpSession::isOpen() const
{
    QMutexLocker lock(&m_mutex);
    return !m_closed;
}

void FtpSession::close(QObject *context, std::function<void()> done)
{
    std::shared_ptr<FtpClient> held;
    {
        QMutexLocker lock(&m_mutex);
        m_closed = true;
        held = std::move(m_client);
    }
    if (!held || m_closer) {
        done();
        return;
    }
    m_closer.reset(QThread::create([held] { quitQuickly(*held); }));
    QObject::connect(m_closer.get(), &QThread::finished, context, [done] { done(); });
    m_closer->start();
}

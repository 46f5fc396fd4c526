#include "base/running_copy_guard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

RunningCopyGuard::RunningCopyGuard(const QString &appDir, QObject *parent)
    : QObject(parent)
    , m_name(serverName(appDir))
{
}

RunningCopyGuard::~RunningCopyGuard() = default;

QString RunningCopyGuard::serverName(const QString &appDir)
{
    QString canonical = QDir(appDir).canonicalPath();
    if (canonical.isEmpty())
        canonical = QDir(appDir).absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("zora-") + QString::fromLatin1(hash);
}

bool RunningCopyGuard::notifyRunningCopy(int timeoutMs)
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write("activate\n");
    socket.waitForBytesWritten(timeoutMs);
    // Wait for the answer so that the first copy has seen the request before we end.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool RunningCopyGuard::claim()
{
    m_server = new QLocalServer(this);
    // An abstract-namespace name vanishes with its process: a crashed copy cannot leave
    // a socket file that would keep every later start out.
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(m_server, &QLocalServer::newConnection, this, &RunningCopyGuard::onNewConnection);
    return m_server->listen(m_name);
}

void RunningCopyGuard::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("activate"))
                emit activationRequested();
            socket->write("ok\n");
            socket->flush();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

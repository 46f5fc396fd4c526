#include "app/shared_routines.h"

#include <QAbstractSocket>
#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QHostInfo>

namespace {

QString &overridePath()
{
    static QString path;
    return path;
}

QString withSeparator(const QString &dir)
{
    QString d = QDir::cleanPath(dir);
    if (!d.endsWith(QLatin1Char('/')))
        d += QLatin1Char('/');
    return d;
}

} // namespace

QString ApplicationPath(bool *ok)
{
    QString dir = overridePath();
    if (dir.isEmpty() && QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    if (ok)
        *ok = !dir.isEmpty();
    return dir.isEmpty() ? QString() : withSeparator(dir);
}

void SetApplicationPath(const QString &dir)
{
    overridePath() = dir.isEmpty() ? QString() : QDir(dir).absolutePath();
}

QString LocalTempFolder()
{
    return ApplicationPath() + QStringLiteral("temp");
}

QString TempFilePath(const QString &name)
{
    return LocalTempFolder() + QLatin1Char('/') + name;
}

QString LocalHostAddress()
{
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    QString last;
    for (const QHostAddress &a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            last = a.toString();
    }
    return last;
}

quint32 InetAddr(const QString &dotted, bool *ok)
{
    // inet_addr accepts only the dotted forms; QHostAddress is stricter about
    // shorthand forms, which is what the fields of the tool want anyway.
    QHostAddress address;
    bool good = address.setAddress(dotted.trimmed())
                && address.protocol() == QAbstractSocket::IPv4Protocol
                && dotted.count(QLatin1Char('.')) == 3;
    if (ok)
        *ok = good;
    return good ? address.toIPv4Address() : 0xFFFFFFFFu;
}

bool IsValidIP(const QString &dotted)
{
    bool ok = false;
    const quint32 v = InetAddr(dotted, &ok);
    return ok && v != 0 && v != 0xFFFFFFFFu;
}

bool SameNetwork(const QString &a, const QString &mask, const QString &b)
{
    const quint32 m = InetAddr(mask);
    return (InetAddr(a) & m) == (InetAddr(b) & m);
}

void SocketHostName(const QAbstractSocket *socket, QString &name)
{
    if (!socket || socket->state() == QAbstractSocket::UnconnectedState)
        return;
    const QHostAddress local = socket->localAddress();
    if (local.isNull())
        return;
    const QHostInfo info = QHostInfo::fromName(local.toString());
    if (info.error() == QHostInfo::NoError && !info.hostName().isEmpty()
        && info.hostName() != local.toString())
        name = info.hostName();
}

#include "base/shared_routines.h"

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

QString &stateFolder()
{
    static QString path;
    return path;
}

QString &workFolder()
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

void SetStateFolder(const QString &dir)
{
    stateFolder() = dir.isEmpty() ? QString() : QDir::cleanPath(QDir(dir).absolutePath());
}

void SetWorkFolder(const QString &dir)
{
    workFolder() = dir.isEmpty() ? QString() : QDir::cleanPath(QDir(dir).absolutePath());
}

QString LocalTempFolder()
{
    if (!workFolder().isEmpty())
        return workFolder();
    return ApplicationPath() + QStringLiteral("temp");
}

QString CameraListFile()
{
    if (!stateFolder().isEmpty())
        return stateFolder() + QStringLiteral("/CameraList.cfg");
    return TempFilePath(QStringLiteral("CameraList.cfg"));
}

QString WindowLayoutFile()
{
    if (!stateFolder().isEmpty())
        return stateFolder() + QStringLiteral("/zora-window.ini");
    return ApplicationPath() + QStringLiteral("zora-window.ini");
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

std::optional<quint32> DottedDecimal(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (const QString &part : parts) {
        // Decimal only: "030" would be octal and "0x1e" hex to the C library.
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.front() == QLatin1Char('0')))
            return std::nullopt;
        int n = 0;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            n = n * 10 + (c.unicode() - u'0');
        }
        if (n > 255)
            return std::nullopt;
        value = (value << 8) | quint32(n);
    }
    return value;
}

quint32 InetAddr(const QString &dotted, bool *ok)
{
    const std::optional<quint32> value = DottedDecimal(dotted.trimmed());
    if (ok)
        *ok = value.has_value();
    return value.value_or(0xFFFFFFFFu);
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

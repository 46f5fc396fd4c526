#include "app/send_guard.h"

#include "app/shared_routines.h"

bool SendGuard::loopbackOnly()
{
    return qEnvironmentVariableIntValue("ZORA_LOOPBACK_ONLY") == 1;
}

QString SendGuard::hostRefusal(const QString &host)
{
    if (host.isEmpty() || DottedDecimal(host))
        return {};
    bool letters = false;
    for (QChar c : host)
        letters = letters || c.isLetter();
    QHostAddress numeric;
    const bool parsesAsV4 = numeric.setAddress(host) && numeric.protocol() == QAbstractSocket::IPv4Protocol;
    // Digits and dots that are not four decimal numbers, or a form the address parser
    // would read as octal, hex or short: never guessed at.
    if (parsesAsV4 || !letters)
        return QStringLiteral("%1 is not an address: four decimal numbers 0..255 with dots between").arg(host);
    if (loopbackOnly() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("Refused to look up %1: ZORA_LOOPBACK_ONLY=1 allows only 127.0.0.0/8 and localhost")
            .arg(host);
    return {};
}

QString SendGuard::refusal(const QHostAddress &destination)
{
    if (!loopbackOnly())
        return {};
    bool ok = false;
    const quint32 v4 = destination.toIPv4Address(&ok);
    if (ok && (v4 >> 24) == 127)
        return {};
    if (!ok && destination.isLoopback())
        return {};
    return QStringLiteral("Refused to send to %1: ZORA_LOOPBACK_ONLY=1 allows only 127.0.0.0/8")
        .arg(destination.toString());
}

#include "app/send_guard.h"

bool SendGuard::loopbackOnly()
{
    return qEnvironmentVariableIntValue("ZORA_LOOPBACK_ONLY") == 1;
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

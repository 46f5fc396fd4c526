#include "app/send_guard.h"

#include "app/network_adapters.h"
#include "app/shared_routines.h"

namespace {

bool inside(quint32 address, const QList<QPair<quint32, int>> &nets)
{
    for (const auto &[net, prefix] : nets) {
        const quint32 mask = prefix <= 0 ? 0u : ~0u << (32 - prefix);
        if ((address & mask) == (net & mask))
            return true;
    }
    return false;
}

} // namespace

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

QList<QPair<quint32, int>> SendGuard::allowedNets()
{
    QList<QPair<quint32, int>> nets;
    const QString text = qEnvironmentVariable("ZORA_ALLOWED_NETS");
    for (const QString &entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.trimmed().split(QLatin1Char('/'));
        bool ok = false;
        const int prefix = parts.size() == 2 ? parts[1].toInt(&ok) : -1;
        const auto address = DottedDecimal(parts.value(0));
        // A net as wide as everything would switch the guard off: refused.
        if (ok && address && prefix >= 8 && prefix <= 32)
            nets.append({*address, prefix});
    }
    return nets;
}

QString SendGuard::refusal(const QHostAddress &destination)
{
    if (!loopbackOnly())
        return {};
    return refusal(destination, NetworkAdapters::system());
}

QString SendGuard::refusal(const QHostAddress &destination, const NetworkAdapters &adapters)
{
    if (!loopbackOnly())
        return {};
    bool ok = false;
    const quint32 v4 = destination.toIPv4Address(&ok);
    if (ok && (v4 >> 24) == 127)
        return {};
    if (!ok && destination.isLoopback())
        return {};
    const auto nets = allowedNets();
    if (ok && inside(v4, nets))
        return {};
    if (ok && v4 == 0xFFFFFFFFu) {
        bool contained = true;
        for (const NetworkAdapter &a : adapters.all()) {
            for (const AdapterSubnet &s : a.subnets)
                contained = contained && ((s.address >> 24) == 127 || inside(s.address, nets));
        }
        if (contained)
            return {};
    }
    return QStringLiteral("Refused to send to %1: ZORA_LOOPBACK_ONLY=1 allows only 127.0.0.0/8%2")
        .arg(destination.toString(),
             nets.isEmpty() ? QString() : QStringLiteral(" and ZORA_ALLOWED_NETS"));
}

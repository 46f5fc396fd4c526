#include "base/send_guard.h"

#include "base/network_adapters.h"
#include "base/shared_routines.h"

#include <algorithm>

namespace {

bool inside(quint32 address, const QList<AdapterSubnet> &nets)
{
    return std::any_of(nets.cbegin(), nets.cend(), [address](const AdapterSubnet &n) { return n.contains(address); });
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
    // Digits and dots that are not four decimal numbers, or a form the address parser
    // would read as octal, hex or short: never guessed at.
    if (numericForm(host))
        return QStringLiteral("%1 is not an address: four decimal numbers 0..255 with dots between").arg(host);
    if (loopbackOnly() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("Refused to look up %1: ZORA_LOOPBACK_ONLY=1 allows only 127.0.0.0/8 and localhost")
            .arg(host);
    return {};
}

bool SendGuard::numericForm(const QString &host)
{
    const bool letters = std::any_of(host.cbegin(), host.cend(), [](QChar c) { return c.isLetter(); });
    QHostAddress numeric;
    return !letters || (numeric.setAddress(host) && numeric.protocol() == QAbstractSocket::IPv4Protocol);
}

QList<AdapterSubnet> SendGuard::allowedNets()
{
    QList<AdapterSubnet> nets;
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
    // Only a limited broadcast needs the adapters.
    const bool limited = destination == QHostAddress(QHostAddress::Broadcast);
    return refusal(destination, limited ? NetworkAdapters::system() : NetworkAdapters());
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

#include "protoconfig/network_value_checks.h"

#include "base/shared_routines.h"
#include "base/string_table.h"

namespace L60 {

std::optional<CheckFailure> CheckHostOfMask(const QString &ip, const QString &mask,
                                            const QString &focus)
{
    const quint32 hostBits = ~InetAddr(mask);
    if (hostBits <= 1)
        return std::nullopt;
    const quint32 host = InetAddr(ip) & hostBits;
    if (host != 0 && host != hostBits)
        return std::nullopt;
    const QString what = host == 0 ? QStringLiteral("%1 is the network address of the mask %2.")
                                   : QStringLiteral("%1 is the broadcast address of the mask %2.");
    return CheckFailure{Checks::TwoPart(GetString(3177, QStringLiteral("IP Address is Invalid")),
                                        what.arg(ip.trimmed(), mask.trimmed())),
                        {}, focus, Messenger::Style::Ok};
}

std::optional<CheckFailure> CheckPppoeMtu(const QString &mtu, const QString &focus)
{
    const std::optional<int> value = Checks::ParseInteger(mtu);
    if (value && *value >= kMinMtu && *value <= kMaxMtu)
        return std::nullopt;
    return CheckFailure{QStringLiteral("MTU must be between %1 and %2").arg(kMinMtu).arg(kMaxMtu),
                        {}, focus, Messenger::Style::Ok};
}

std::optional<CheckFailure> CheckNameLengths(const QString &host, const QString &hostFocus,
                                             const QString &domain, const QString &domainFocus)
{
    const QString max32 = GetString(3192, QStringLiteral("Maximum 32 characters"));
    if (auto f = Checks::RejectLonger(
            host, kMaxHostName,
            Checks::TwoPart(GetString(3195, QStringLiteral("Host Name is TOO Long")), max32),
            hostFocus))
        return f;
    return Checks::RejectLonger(
        domain, kMaxHostName,
        Checks::TwoPart(GetString(3196, QStringLiteral("Domain Name is TOO Long")), max32),
        domainFocus);
}

} // namespace L60

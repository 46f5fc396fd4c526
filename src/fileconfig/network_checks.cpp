#include "fileconfig/network_checks.h"

#include "base/shared_routines.h"
#include "base/string_table.h"
#include "protoconfig/credentials.h"
#include "protoconfig/network_value_checks.h"

namespace {

constexpr int kMaxPppUser = 22;
constexpr int kMaxPppPassword = 22;
constexpr int kMaxPppService = 32;

std::optional<CheckFailure> requireAddress(const QString &text, const QString &message,
                                           const QString &focus)
{
    if (IsValidIP(text))
        return std::nullopt;
    return CheckFailure{message, {}, focus};
}

std::optional<CheckFailure> checkStatic(const NetworkPageSettings &s, bool remote)
{
    const QString maskInvalid = GetString(3178, QStringLiteral("SubnetMask Address is Invalid"));
    if (auto f = requireAddress(s.ip, GetString(3177, QStringLiteral("IP Address is Invalid")),
                                QStringLiteral("editIPAddr")))
        return f;
    if (auto f = requireAddress(s.mask, maskInvalid, QStringLiteral("editNetMask")))
        return f;
    if (auto f = requireAddress(s.gateway,
                                GetString(3179, QStringLiteral("Gatway Address is Invalid")),
                                QStringLiteral("editGateway")))
        return f;
    // A camera without the DNS flag shows the field disabled and empty; only a field in
    // use can hold a wrong address.
    if (s.dnsEnabled) {
        if (auto f = requireAddress(
                s.dns, GetString(3180, QStringLiteral("Primary DNS Address is Invalid")),
                QStringLiteral("editDNSAddr")))
            return f;
    }
    if (!L60::ContiguousMask(s.mask))
        return CheckFailure{maskInvalid, {}, QStringLiteral("editNetMask")};
    if (auto f = L60::CheckHostOfMask(s.ip, s.mask, QStringLiteral("editIPAddr")))
        return f;
    if (!remote && !SameNetwork(s.ip, s.mask, s.gateway)) {
        const QString text = Checks::TwoPart(
            Checks::TwoPart(
                GetString(3181,
                          QStringLiteral("The IP Address and Gateway is on a different network.")),
                GetString(3182, QStringLiteral("This will cause the camera to stop working"))),
            GetString(3183,
                      QStringLiteral("Please check ip, netmask or gateway and correct them.")));
        return CheckFailure{text, GetString(3184, QStringLiteral("Configuration Error")),
                            QStringLiteral("editGateway"), Messenger::Style::Error};
    }
    QList<Checks::StoredField> fields{
        {s.ip, GetString(3016, QStringLiteral("IP Address")), QStringLiteral("editIPAddr")},
        {s.mask, GetString(3022, QStringLiteral("Subnet Mask")), QStringLiteral("editNetMask")},
        {s.gateway, GetString(3023, QStringLiteral("Gateway")), QStringLiteral("editGateway")},
    };
    if (s.dnsEnabled)
        fields.append(
            {s.dns, GetString(3024, QStringLiteral("DNS Server")), QStringLiteral("editDNSAddr")});
    return Checks::RejectUnstorable(fields);
}

std::optional<CheckFailure> checkPppoe(const NetworkPageSettings &s)
{
    const QString pppDns = QStringLiteral("pppDns");
    const QString pppUser = QStringLiteral("pppUserID");
    const QString pppPassword = QStringLiteral("pppPassword");
    const QString pppMtu = QStringLiteral("pppMTU");
    const QString pppService = QStringLiteral("pppService");
    // The DNS text is checked with automatic DNS too, while its field is disabled: it
    // holds the address the camera announced. A camera that gets its DNS server from the
    // provider announces 0.0.0.0 there, which must not make the page unsavable.
    const bool providerDns = !s.pppManualDns && s.pppDns == QLatin1String("0.0.0.0");
    if (auto f = providerDns ? std::nullopt : requireAddress(
            s.pppDns, GetString(3180, QStringLiteral("Primary DNS Address is Invalid")), pppDns))
        return f;
    if (auto f = Checks::RequireField(
            s.pppUser, GetString(3185, QStringLiteral("User ID is required")), pppUser))
        return f;
    if (auto f = Checks::RequireField(
            s.pppPassword, GetString(3186, QStringLiteral("Password is required")), pppPassword))
        return f;
    if (auto f = Checks::RequireField(
            s.pppMtu, GetString(3187, QStringLiteral("MTU Value is required")), pppMtu))
        return f;
    // The command carries the MTU as a number; text that does not convert gets the
    // standard conversion error, as on the L60 page.
    if (!Checks::ParseInteger(s.pppMtu))
        return CheckFailure{ConversionErrorText(s.pppMtu), {}, pppMtu, Messenger::Style::Error};
    if (auto f = L60::CheckPppoeMtu(s.pppMtu, pppMtu))
        return f;
    const QString max22 = GetString(3191, QStringLiteral("Maximum 22 characters"));
    if (auto f = Checks::RejectLonger(
            s.pppUser, kMaxPppUser,
            Checks::TwoPart(GetString(3188, QStringLiteral("User id is TOO Long")), max22),
            pppUser))
        return f;
    if (auto f = Checks::RejectLonger(
            s.pppPassword, kMaxPppPassword,
            Checks::TwoPart(GetString(3189, QStringLiteral("Password is TOO Long")), max22),
            pppPassword))
        return f;
    if (auto f = Checks::RejectLonger(
            s.pppService, kMaxPppService,
            Checks::TwoPart(GetString(3190, QStringLiteral("Service Name is TOO Long")),
                            GetString(3192, QStringLiteral("Maximum 32 characters"))),
            pppService))
        return f;
    return Checks::RejectUnstorable({
        {s.pppDns, GetString(3036, QStringLiteral("DNS")), pppDns},
        {s.pppUser, GetString(3033, QStringLiteral("User ID")), pppUser},
        {s.pppPassword, GetString(3034, QStringLiteral("Password")), pppPassword},
        {s.pppMtu, QStringLiteral("MTU"), pppMtu},
        {s.pppService, GetString(3035, QStringLiteral("Service Name")), pppService},
    });
}

} // namespace

std::optional<CheckFailure> CheckNetworkPage(const NetworkPageSettings &s, bool remote)
{
    switch (s.type) {
    case L60NetworkType::Static:
        return checkStatic(s, remote);
    case L60NetworkType::Pppoe:
        return checkPppoe(s);
    case L60NetworkType::Dhcp:
        break;
    }
    return std::nullopt;
}

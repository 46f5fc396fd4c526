#include "protoconfig/l60_settings.h"

#include "base/shared_routines.h"
#include "base/string_table.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protoconfig/commands.h"
#include "protoconfig/credentials.h"
#include "protoconfig/network_value_checks.h"

namespace {

constexpr int kMaxNewPassword = 16;
constexpr int kMinAccountPassword = 4;

CheckFailure plain(const QString &text, const char *focus)
{
    return {text, {}, QLatin1String(focus), Messenger::Style::Ok};
}

std::optional<CheckFailure> requireInteger(const QString &text, const char *focus)
{
    bool ok = false;
    text.trimmed().toInt(&ok);
    if (ok)
        return std::nullopt;
    return CheckFailure{ConversionErrorText(text), {}, QLatin1String(focus),
                        Messenger::Style::Error};
}

QString tooLongNewPassword(const QString &text, const QString &separator)
{
    return text + separator + GetString(3198, QStringLiteral("Maximum Length : 16"));
}

} // namespace

namespace L60 {

std::optional<L60NetworkType> AnnouncedNetworkType(const TConfigItem &camera)
{
    switch (camera.networkTypeByte() & 0x7F) {
    case Zora::NetDhcp:
        return L60NetworkType::Dhcp;
    case Zora::NetStatic:
        return L60NetworkType::Static;
    case Zora::NetPppoe:
        return L60NetworkType::Pppoe;
    default:
        return std::nullopt;
    }
}

bool OffersStatic(const TConfigItem &camera)
{
    return camera.Header && (camera.flags() & Zora::FlagAddress);
}

bool OffersDhcp(const TConfigItem &camera)
{
    return camera.Header && (camera.flags() & Zora::FlagDhcp);
}

bool OffersPppoe(const TConfigItem &camera)
{
    return camera.Header && (camera.flags() & Zora::FlagPppoe) && camera.modelCode() != 4;
}

bool HasDnsField(const TConfigItem &camera)
{
    return camera.flags() & 0x01;
}

bool HasMiscPage(const TConfigItem &camera)
{
    return camera.Header && quint8(camera.Header->at(4)) >= 2 && camera.modelCode() == 1;
}

L60NetworkSettings NetworkFromRecord(const TConfigItem &camera)
{
    L60NetworkSettings s;
    s.type = AnnouncedNetworkType(camera).value_or(L60NetworkType::Static);
    if (camera.AddressBlock) {
        s.ip = camera.addressWord(0);
        s.mask = camera.addressWord(1);
        s.gateway = camera.addressWord(2);
        s.dnsEnabled = HasDnsField(camera);
        if (s.dnsEnabled)
            s.dns = camera.addressWord(3);
    }
    if (const std::optional<Zora::PppoeSettings> p = camera.pppoe()) {
        s.pppUser = Zora::WireText(p->user);
        s.pppPassword = Zora::WireText(p->password);
        s.pppService = Zora::WireText(p->service);
        s.pppMtu = QString::number(p->mtu);
        s.pppManualDns = p->manualDns();
        s.pppDns = p->dnsText();
    }
    return s;
}

L60HostSettings HostFromRecord(const TConfigItem &camera)
{
    return {camera.hostNameText(), camera.domainNameText()};
}

L60AccountSettings AccountFromRecord(const TConfigItem &camera)
{
    L60AccountSettings s;
    s.allowGuest = camera.UseAccount;
    return s;
}

L60MiscSettings MiscFromRecord(const TConfigItem &camera)
{
    L60MiscSettings s;
    s.sensitivity = QString::number(camera.MdSensitivity);
    s.sourceIndex = camera.DoSource <= 3 ? camera.DoSource : -1;
    return s;
}

bool ContiguousMask(const QString &mask)
{
    const quint32 m = InetAddr(mask);
    // Ones from the top bit down, then only zeros: the complement plus one is a power
    // of two (or zero for the all-ones mask).
    const quint32 rest = ~m;
    return (rest & (rest + 1)) == 0;
}

std::optional<CheckFailure> CheckNetwork(const L60NetworkSettings &s, bool remote)
{
    if (s.type == L60NetworkType::Static) {
        if (!IsValidIP(s.ip))
            return plain(GetString(3177, QStringLiteral("IP Address is Invalid")), "editL60IPAddr");
        if (!IsValidIP(s.mask))
            return plain(GetString(3178, QStringLiteral("SubnetMask Address is Invalid")),
                         "editL60NetMask");
        if (!IsValidIP(s.gateway))
            return plain(GetString(3179, QStringLiteral("Gatway Address is Invalid")),
                         "editL60Gateway");
        if (s.dnsEnabled && !s.dns.isEmpty() && !IsValidIP(s.dns))
            return plain(GetString(3180, QStringLiteral("Primary DNS Address is Invalid")),
                         "editL60DNSAddr");
        if (!remote && !SameNetwork(s.ip, s.mask, s.gateway)) {
            const QString gap = QStringLiteral("\n\n");
            return CheckFailure{
                GetString(3181, QStringLiteral("The IP Address and Gateway is on a different network."))
                    + gap
                    + GetString(3182, QStringLiteral("This will cause the camera to stop working"))
                    + gap
                    + GetString(3183, QStringLiteral("Please check ip, netmask or gateway and correct them.")),
                GetString(3184, QStringLiteral("Configuration Error")),
                QStringLiteral("editL60Gateway"), Messenger::Style::Error};
        }
        if (!ContiguousMask(s.mask))
            return plain(GetString(3178, QStringLiteral("The Subnetmask is Invalid.")),
                         "editL60NetMask");
        return CheckHostOfMask(s.ip, s.mask, QStringLiteral("editL60IPAddr"));
    }
    if (s.type == L60NetworkType::Pppoe) {
        // The DNS text is required even with automatic DNS, when its field is disabled.
        if (!IsValidIP(s.pppDns))
            return plain(GetString(3180, QStringLiteral("Primary DNS Address is Invalid")),
                         "pppL60Dns");
        if (auto f = Checks::RequireField(s.pppUser,
                                          GetString(3185, QStringLiteral("User ID is required")),
                                          QStringLiteral("pppL60UserID")))
            return f;
        if (auto f = Checks::RequireField(s.pppPassword,
                                          GetString(3186, QStringLiteral("Password is required")),
                                          QStringLiteral("pppL60Password")))
            return f;
        if (auto f = Checks::RequireField(s.pppMtu,
                                          GetString(3187, QStringLiteral("MTU Value is required")),
                                          QStringLiteral("pppL60MTU")))
            return f;
        if (auto f = requireInteger(s.pppMtu, "pppL60MTU"))
            return f;
        if (auto f = CheckPppoeMtu(s.pppMtu, QStringLiteral("pppL60MTU")))
            return f;
        // A tab, line feed or terminal escape would reach the camera as it is.
        return Checks::RejectUnstorable({
            {s.pppUser, GetString(3033, QStringLiteral("User ID")), QStringLiteral("pppL60UserID")},
            {s.pppService, GetString(3035, QStringLiteral("Service Name")), QStringLiteral("pppL60Service")},
        });
    }
    return std::nullopt;
}

std::optional<CheckFailure> CheckHost(const L60HostSettings &s)
{
    const QString field = QStringLiteral("editL60HostName");
    if (auto f = Checks::RequireField(s.host,
                                      GetString(3193, QStringLiteral("Host Name is required")), field))
        return f;
    if (auto f = Checks::RejectBlanks(s.host, GetString(3194, QStringLiteral("Host Name has blanks")),
                                      field))
        return f;
    // The same limit as the file-configured pages: no camera stores a longer name.
    if (auto f = CheckNameLengths(s.host, field, s.domain, QStringLiteral("editL60Domain")))
        return f;
    return Checks::RejectUnstorable({
        {s.host, GetString(3046, QStringLiteral("Camera Host Name")), field},
        {s.domain, GetString(3047, QStringLiteral("Domain Name")), QStringLiteral("editL60Domain")},
    });
}

std::optional<CheckFailure> CheckPageAccount(const L60AccountSettings &s)
{
    if (s.newPassword.isEmpty())
        return plain(GetString(3199, QStringLiteral("New Password is EMPTY")), "editL60NewPass");
    if (s.newPassword.size() > kMaxNewPassword)
        return plain(tooLongNewPassword(GetString(3197, QStringLiteral("New Password is Too LONG")),
                                        QStringLiteral("\n\n")),
                     "editL60NewPass");
    return std::nullopt;
}

std::optional<CheckFailure> CheckAccountSave(const L60AccountSettings &s)
{
    if (!s.changePassword)
        return std::nullopt;
    if (s.newPassword != s.newPasswordAgain)
        return plain(GetString(3255, QStringLiteral("Password does not match")), "editL60NewPass");
    if (s.newPassword.isEmpty())
        return plain(GetString(3199, QStringLiteral("New Password is EMPTY")), "editL60NewPass");
    if (s.newPassword.size() < kMinAccountPassword)
        return plain(GetString(3261, QStringLiteral("New Password is Too Short")), "editL60NewPass");
    if (s.newPassword.size() > kMaxNewPassword)
        return plain(tooLongNewPassword(GetString(3197, QStringLiteral("New Password is Too Long")),
                                        QStringLiteral("\n")),
                     "editL60NewPass");
    return std::nullopt;
}

std::optional<CheckFailure> CheckMisc(const L60MiscSettings &s)
{
    return requireInteger(s.sensitivity, "L60MDSensitivity");
}

// The network and host-name commands carry the model code when they come from the L60
// pages; the file-configured cameras' own pages leave offset 8 at 0, and the
// command-line tool, which sends the same commands to both families, follows that.
static ModelByte settingsModelByte(const TConfigItem &camera)
{
    return TConfigItem::isFileConfigured(camera.modelCode()) ? ModelByte::Zero
                                                             : ModelByte::FromHeader;
}

CommandBytes NetworkCommand(const TConfigItem &camera, const QString &rowKind,
                            const L60NetworkSettings &s, const CommandSources &sources)
{
    switch (s.type) {
    case L60NetworkType::Static: {
        Commands::StaticNetwork n{s.ip, s.mask, s.gateway, s.dns};
        // A camera that takes a DNS address but shows no field for it keeps the one it
        // announced; a field the user emptied asks for no DNS server.
        if (!s.dnsEnabled)
            n.dns = camera.AddressBlock ? camera.addressWord(3) : QStringLiteral("0.0.0.0");
        else if (s.dns.isEmpty())
            n.dns = QStringLiteral("0.0.0.0");
        return Commands::StaticNetworkCommand(camera, rowKind, settingsModelByte(camera), n, sources);
    }
    case L60NetworkType::Dhcp:
        return Commands::DhcpNetworkCommand(camera, rowKind, settingsModelByte(camera), sources);
    case L60NetworkType::Pppoe:
        return Commands::PppoeNetworkCommand(
            camera, rowKind, settingsModelByte(camera),
            {s.pppUser, s.pppPassword, s.pppService, s.pppMtu, s.pppManualDns, s.pppDns}, sources);
    }
    return {{}, QStringLiteral("Unknown network type")};
}

CommandBytes HostCommand(const TConfigItem &camera, const QString &rowKind,
                         const L60HostSettings &s, const CommandSources &sources)
{
    return Commands::HostNameCommand(camera, rowKind, settingsModelByte(camera), s.host, s.domain,
                                     sources);
}

CommandBytes PageAccountCommand(TConfigItem &camera, const QString &rowKind,
                                const L60AccountSettings &s, const CommandSources &sources)
{
    CommandBytes c = Commands::AccountCommand(camera, rowKind, ModelByte::FromHeader,
                                              s.allowGuest, s.newPassword, sources);
    if (c.ok())
        camera.AdminPassword = s.newPassword;
    return c;
}

CommandBytes AccountSaveCommand(TConfigItem &camera, const QString &rowKind,
                                const L60AccountSettings &s, const CommandSources &sources)
{
    const QString newPassword = s.changePassword ? s.newPassword : QString();
    CommandBytes c = Commands::AccountCommand(camera, rowKind, ModelByte::Zero, s.allowGuest,
                                              newPassword, sources);
    if (c.ok() && s.changePassword)
        camera.AdminPassword = s.newPassword;
    return c;
}

CommandBytes MiscCommand(const TConfigItem &camera, const QString &rowKind,
                         const L60MiscSettings &s, const CommandSources &sources)
{
    return Commands::MiscSettingsCommand(camera, rowKind, {s.sensitivity, s.sourceIndex}, sources);
}

bool Unicast(const TConfigItem &camera)
{
    return Commands::UnicastTarget(camera, false);
}

QString ErrorCaption()
{
    return GetString(3184, QStringLiteral("Configuration Error"));
}

} // namespace L60

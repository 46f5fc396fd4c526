#include "site/camera_change.h"

#include "fileconfig/host_checks.h"
#include "fileconfig/network_checks.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"

namespace {

CameraChange::Built refusal(const QString &text)
{
    CameraChange::Built b;
    b.refused = CheckFailure{text, L60::ErrorCaption(), {}, Messenger::Style::Ok};
    return b;
}

CameraChange::Built refusal(const CheckFailure &failure)
{
    CameraChange::Built b;
    b.refused = failure;
    return b;
}

CameraChange::Built finished(CommandBytes command, bool unicast, int capacity = Commands::kCapacity)
{
    CameraChange::Built b;
    if (!command.ok())
        b.refused = CheckFailure{command.error, L60::ErrorCaption(), {}, Messenger::Style::Error};
    b.command = std::move(command);
    b.unicast = unicast;
    b.capacity = capacity;
    return b;
}

// The two families' pages check network and host names by different rules (the
// file-configured pages add length limits and require a DNS address in a field in use);
// a script meets the rules of the camera's own pages.
std::optional<CheckFailure> checkNetwork(const TConfigItem &camera, const L60NetworkSettings &s,
                                         bool remote)
{
    if (TConfigItem::isFileConfigured(camera.modelCode()))
        return CheckNetworkPage(s, remote);
    return L60::CheckNetwork(s, remote);
}

std::optional<CheckFailure> checkHost(const TConfigItem &camera, const L60HostSettings &s)
{
    if (TConfigItem::isFileConfigured(camera.modelCode()))
        return CheckHostPage(s);
    return L60::CheckHost(s);
}

} // namespace

void CameraChange::setStatic(const QString &ip, const QString &mask, const QString &gateway,
                             std::optional<QString> dns)
{
    m_type = L60NetworkType::Static;
    m_ip = ip;
    m_mask = mask;
    m_gateway = gateway;
    m_dns = std::move(dns);
}

void CameraChange::setDhcp()
{
    m_type = L60NetworkType::Dhcp;
}

void CameraChange::setPppoe(const QString &user, const QString &service, const QString &mtu,
                            std::optional<QString> password, std::optional<QString> manualDns)
{
    m_type = L60NetworkType::Pppoe;
    m_pppUser = user;
    m_pppService = service;
    m_pppMtu = mtu;
    m_pppPassword = std::move(password);
    m_pppDns = std::move(manualDns);
}

void CameraChange::setHost(const QString &host, std::optional<QString> domain)
{
    m_host = host;
    m_domain = std::move(domain);
}

void CameraChange::setAccount(std::optional<bool> guest, std::optional<QString> newPassword)
{
    m_guest = guest;
    m_newPassword = std::move(newPassword);
}

void CameraChange::setMisc(std::optional<QString> sensitivity, std::optional<int> source)
{
    m_sensitivity = std::move(sensitivity);
    m_source = source;
}

CameraChange::Built CameraChange::buildNetwork(const TConfigItem &camera, const QString &rowKind,
                                               const CommandSources &sources) const
{
    L60NetworkSettings s = L60::NetworkFromRecord(camera);
    s.type = m_type;
    switch (m_type) {
    case L60NetworkType::Static:
        if (!L60::OffersStatic(camera))
            return refusal(QStringLiteral("The camera offers no static IP setting"));
        s.ip = m_ip;
        s.mask = m_mask;
        s.gateway = m_gateway;
        if (m_dns) {
            if (!s.dnsEnabled)
                return refusal(QStringLiteral("The camera takes no DNS server address"));
            s.dns = *m_dns;
        } else if (!(camera.flags() & Zora::FlagDns)) {
            // The field would show a word the camera never sent; left out, it is empty
            // rather than a stale value that fails the check.
            s.dns.clear();
        }
        break;
    case L60NetworkType::Dhcp:
        if (!L60::OffersDhcp(camera))
            return refusal(QStringLiteral("The camera offers no DHCP setting"));
        break;
    case L60NetworkType::Pppoe:
        if (!L60::OffersPppoe(camera))
            return refusal(QStringLiteral("The camera offers no PPPoE setting"));
        s.pppUser = m_pppUser;
        s.pppService = m_pppService;
        s.pppMtu = m_pppMtu;
        if (m_pppPassword)
            s.pppPassword = *m_pppPassword;
        // Without --dns the camera looks the server up itself; the address it announced
        // stays in the (unused) field, as on the page.
        s.pppManualDns = m_pppDns.has_value();
        if (m_pppDns)
            s.pppDns = *m_pppDns;
        break;
    }
    if (auto failure = checkNetwork(camera, s, rowKind == ConnectionColumnText(Connection::Remote)))
        return refusal(*failure);
    return finished(L60::NetworkCommand(camera, rowKind, s, sources), L60::Unicast(camera));
}

CameraChange::Built CameraChange::build(TConfigItem &camera, const QString &rowKind,
                                        const CommandSources &sources) const
{
    if (!camera.Header)
        return refusal(QStringLiteral("The camera has not answered yet; nothing was sent"));
    switch (m_kind) {
    case Kind::Network:
        return buildNetwork(camera, rowKind, sources);
    case Kind::Host: {
        L60HostSettings s = L60::HostFromRecord(camera);
        s.host = m_host;
        if (m_domain) {
            if (!(camera.flags() & Zora::FlagDomain))
                return refusal(QStringLiteral("The camera has no domain name setting"));
            s.domain = *m_domain;
        }
        if (auto failure = checkHost(camera, s))
            return refusal(*failure);
        return finished(L60::HostCommand(camera, rowKind, s, sources), L60::Unicast(camera));
    }
    case Kind::Account: {
        L60AccountSettings s = L60::AccountFromRecord(camera);
        if (m_guest)
            s.allowGuest = *m_guest;
        if (m_newPassword) {
            s.changePassword = true;
            s.currentPassword = camera.AdminPassword;
            s.newPassword = s.newPasswordAgain = *m_newPassword;
        }
        if (auto failure = L60::CheckAccountSave(s))
            return refusal(*failure);
        return finished(L60::AccountSaveCommand(camera, rowKind, s, sources), L60::Unicast(camera));
    }
    case Kind::Misc: {
        if (!L60::HasMiscPage(camera))
            return refusal(QStringLiteral("The camera has no miscellaneous settings"));
        L60MiscSettings s = L60::MiscFromRecord(camera);
        if (m_sensitivity)
            s.sensitivity = *m_sensitivity;
        if (m_source)
            s.sourceIndex = *m_source;
        if (auto failure = L60::CheckMisc(s))
            return refusal(*failure);
        // The page's spin box keeps the value in 1..255; a script's value outside it is
        // refused rather than cut to its low byte.
        const int value = s.sensitivity.trimmed().toInt();
        if (value < 1 || value > 255)
            return refusal(QStringLiteral("Motion detection sensitivity must be 1 to 255"));
        return finished(L60::MiscCommand(camera, rowKind, s, sources), L60::Unicast(camera));
    }
    case Kind::Reset: {
        // The factory reset of a protocol-configured camera goes to its address, as the
        // Miscellaneous page sends it; the other resets are broadcast unless remote.
        const bool unicastWhenLocal =
            TConfigItem::isProtocolConfigured(camera.modelCode()) && m_scope == 0;
        return finished(Commands::ControlCommand(camera, rowKind, Commands::kActionReset,
                                                 m_scope, sources),
                        Commands::UnicastTarget(camera, unicastWhenLocal),
                        Commands::kResetCapacity);
    }
    }
    return refusal(QStringLiteral("Unknown change"));
}

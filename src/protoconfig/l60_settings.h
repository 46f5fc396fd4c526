#pragma once

#include "base/check_failure.h"
#include "base/messenger.h"

#include <QString>

#include <optional>

struct CommandBytes;
struct CommandSources;
struct TConfigItem;

// What the four pages of a protocol-configured (L60) camera hold, as plain values, and
// the checks their Save runs. The window's pages and the command-line tool share these,
// so both refuse the same input with the same words.

enum class L60NetworkType { Static, Dhcp, Pppoe };

struct L60NetworkSettings {
    L60NetworkType type = L60NetworkType::Static;
    QString ip, mask, gateway, dns;
    // The DNS field only takes part when the camera's flags announce it (bit 0); a
    // disabled field is neither checked nor read.
    bool dnsEnabled = false;
    QString pppUser, pppPassword, pppService, pppMtu;
    bool pppManualDns = true;
    QString pppDns;

    bool operator==(const L60NetworkSettings &) const = default;
};

struct L60HostSettings {
    QString host, domain;

    bool operator==(const L60HostSettings &) const = default;
};

struct L60AccountSettings {
    bool changePassword = false;
    QString currentPassword, newPassword, newPasswordAgain;
    bool allowGuest = false;

    bool operator==(const L60AccountSettings &) const = default;
};

struct L60MiscSettings {
    QString sensitivity = QStringLiteral("1");
    int sourceIndex = -1;   // -1: no entry chosen

    bool operator==(const L60MiscSettings &) const = default;
};

namespace L60 {

// The settings as the camera announced them in its discovery reply.
L60NetworkSettings NetworkFromRecord(const TConfigItem &camera);
L60HostSettings HostFromRecord(const TConfigItem &camera);
L60AccountSettings AccountFromRecord(const TConfigItem &camera);
L60MiscSettings MiscFromRecord(const TConfigItem &camera);

// The network type of the reply (offset 15, bits 0..6); nothing for a value the pages
// do not know, which leaves the choice as it was.
std::optional<L60NetworkType> AnnouncedNetworkType(const TConfigItem &camera);
// The network types this camera may be switched to (flags 0x04, 0x08, 0x10; model
// code 4 never offers PPPoE).
bool OffersStatic(const TConfigItem &camera);
bool OffersDhcp(const TConfigItem &camera);
bool OffersPppoe(const TConfigItem &camera);
// Flags bit 0: the DNS field of the static panel is in use.
bool HasDnsField(const TConfigItem &camera);
// Model code 1 with a reply of version 2 or later carries the miscellaneous settings.
bool HasMiscPage(const TConfigItem &camera);

// A mask whose ones, read from the top bit down, form one unbroken run.
bool ContiguousMask(const QString &mask);

// The checks of the page Save, in their order; the first failure only. remote: the
// row's connection kind is "3", whose gateway may lie on another network.
std::optional<CheckFailure> CheckNetwork(const L60NetworkSettings &s, bool remote);
std::optional<CheckFailure> CheckHost(const L60HostSettings &s);
// The Account page saved through the page Save: a new password is always sent.
std::optional<CheckFailure> CheckPageAccount(const L60AccountSettings &s);
// The account page's own Save: the password rules apply only with "Change Password".
std::optional<CheckFailure> CheckAccountSave(const L60AccountSettings &s);
// The sensitivity must convert as an integer.
std::optional<CheckFailure> CheckMisc(const L60MiscSettings &s);

// Command bytes of checked settings; the error of a refused command is the text to
// show (caption "Configuration Error"). rowKind is the row's connection kind column.
CommandBytes NetworkCommand(const TConfigItem &camera, const QString &rowKind,
                            const L60NetworkSettings &s, const CommandSources &sources);
CommandBytes HostCommand(const TConfigItem &camera, const QString &rowKind,
                         const L60HostSettings &s, const CommandSources &sources);
// The page Save of the Account page: model code at offset 8, the new password always
// scrambled in. On success the record takes the new password, before the camera has
// answered (an authentication failure clears it again).
CommandBytes PageAccountCommand(TConfigItem &camera, const QString &rowKind,
                                const L60AccountSettings &s, const CommandSources &sources);
// The account page's own Save: offset 8 left 0, the new password only with "Change
// Password" (then stored in the record as above).
CommandBytes AccountSaveCommand(TConfigItem &camera, const QString &rowKind,
                                const L60AccountSettings &s, const CommandSources &sources);
CommandBytes MiscCommand(const TConfigItem &camera, const QString &rowKind,
                         const L60MiscSettings &s, const CommandSources &sources);

// Where the command goes: unicast to the camera's address only when it is remote.
bool Unicast(const TConfigItem &camera);

// Caption of refused commands.
QString ErrorCaption();

} // namespace L60

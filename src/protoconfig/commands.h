#pragma once

#include "protocol/command_confirmation.h"

#include <QByteArray>
#include <QString>

#include <functional>

class CredentialPrompt;
struct TConfigItem;
class Messenger;
class UdpEndpoint;

// Where the scrambled blocks of a command take their key and random word from. The key
// is the local host's own address, not the camera's.
struct CommandSources {
    std::function<QString()> localAddress;   // LocalHostAddress when empty
    std::function<quint16()> randomValue;    // the program's generator when empty

    quint32 key() const;
    quint16 random() const;
};

// A built command, or the reason it was refused (nothing is sent then).
struct CommandBytes {
    QByteArray bytes;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Offset 8 carries the model code in the L60 flows, the reset and the control command;
// the file-configured network, host-name and account pages leave it 0.
enum class ModelByte { FromHeader, Zero };

namespace Commands {

inline constexpr int kCapacity = 1023;
inline constexpr int kResetCapacity = 511;
inline constexpr quint8 kActionApply = 5;
inline constexpr quint8 kActionReset = 6;
inline constexpr quint8 kActionRestartAfterUpload = 7;

// Offset 7 from the row's connection kind column: "3" sets the remote flag, "2" the
// plain code, anything else 0.
quint8 WireCode(quint8 code, const QString &rowKind);
// Unicast when the camera is remote, or when the flow asks for it for a local camera too.
bool UnicastTarget(const TConfigItem &camera, bool alsoWhenLocal);

struct StaticNetwork {
    QString ip, mask, gateway, dns;
};
struct PppoeNetwork {
    QString user, password, service, mtu;
    bool manualDns = false;
    QString dns;
};
struct MiscSettings {
    QString sensitivity;   // decimal text; its low byte is sent
    int sourceIndex = -1;  // -1: nothing chosen, sent as 0xFF
};

// The 46-byte prefix; settingsKind goes to offset 15.
CommandBytes Prefix(const TConfigItem &camera, quint8 code, const QString &rowKind,
                    ModelByte model, quint8 settingsKind, const CommandSources &sources);

CommandBytes StaticNetworkCommand(const TConfigItem &camera, const QString &rowKind,
                                  ModelByte model, const StaticNetwork &settings,
                                  const CommandSources &sources);
CommandBytes DhcpNetworkCommand(const TConfigItem &camera, const QString &rowKind,
                                ModelByte model, const CommandSources &sources);
CommandBytes PppoeNetworkCommand(const TConfigItem &camera, const QString &rowKind,
                                 ModelByte model, const PppoeNetwork &settings,
                                 const CommandSources &sources);
// The domain name goes only to cameras whose flags announce one.
CommandBytes HostNameCommand(const TConfigItem &camera, const QString &rowKind, ModelByte model,
                             const QString &hostName, const QString &domainName,
                             const CommandSources &sources);
// newPassword empty: the password is not being changed (22 zero bytes). The caller
// stores a new password in the record itself.
CommandBytes AccountCommand(const TConfigItem &camera, const QString &rowKind, ModelByte model,
                            bool allowGuest, const QString &newPassword,
                            const CommandSources &sources);
CommandBytes MiscSettingsCommand(const TConfigItem &camera, const QString &rowKind,
                                 const MiscSettings &settings, const CommandSources &sources);
CommandBytes ControlCommand(const TConfigItem &camera, const QString &rowKind, quint8 action,
                            quint8 argument, const CommandSources &sources);

// Hands a built command to the confirmation step: target, MAC (offsets 9..14), row, bytes.
// A camera whose address is in doubt (its MAC answered from two addresses) gets nothing
// unless the user, asked through messenger, takes the address it answered from last.
CommandOutcome Submit(TConfigItem &camera, int recordIndex, bool unicast, const QByteArray &bytes,
                      int capacity, CommandConfirmation &confirmation, Messenger *messenger = nullptr);
// The question for a camera whose address is in doubt; true when the user took the last
// address (the doubt is then over), false without a messenger.
bool ChooseAddress(TConfigItem &camera, Messenger *messenger);

} // namespace Commands

// What the reset and control flows need from the window.
struct CommandEnvironment {
    Messenger &messenger;
    CredentialPrompt &prompt;
    CommandConfirmation &confirmation;
    CommandSources sources;
};

// Asks for confirmation, then credentials, then sends the reset (action 6, scope) through
// the confirmation step. camera null or recordIndex -1: nothing happens after the
// question.
CommandOutcome SendResetToDefaults(TConfigItem *camera, int recordIndex, const QString &rowKind,
                                   bool unicastWhenLocal, quint8 scope,
                                   CommandEnvironment &environment);

// The control command sent once, straight through the endpoint, to port 32154 of host
// (broadcast when host is empty). False when nothing was sent: no record, a refused
// command or a send error (the last two reported through messenger when given).
bool IssueControlCommand(const TConfigItem *camera, const QString &rowKind, UdpEndpoint &endpoint,
                         const QString &host, quint8 action, quint8 argument,
                         const CommandSources &sources, Messenger *messenger = nullptr);

#include "protoconfig/commands.h"

#include "base/messenger.h"
#include "base/shared_routines.h"
#include "base/string_table.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protocol/program_random.h"
#include "protocol/udp_endpoint.h"
#include "protoconfig/credentials.h"

namespace {

constexpr int kMaxWireString = 255;

QString errorCaption()
{
    return GetString(3184, QStringLiteral("Configuration Error"));
}

QString cannotEncode(const QString &label)
{
    return label + QStringLiteral(" holds characters that the camera cannot store");
}

// A command under construction: appends stop at the first refusal, whose text is kept.
struct Writer {
    QByteArray bytes;
    QString error;

    bool failed() const { return !error.isEmpty(); }

    void byte(quint8 v)
    {
        if (!failed())
            bytes.append(char(v));
    }
    void raw(QByteArrayView v)
    {
        if (!failed())
            bytes.append(v);
    }
    // Length byte and bytes; longer text is refused, never cut, since the length byte
    // cannot say more than 255.
    void string(const QString &text, const QString &tooLong, const QString &label)
    {
        if (failed())
            return;
        const std::optional<QByteArray> wire = Zora::ToWire(text);
        if (!wire) {
            error = cannotEncode(label);
            return;
        }
        if (wire->size() > kMaxWireString) {
            error = tooLong + QStringLiteral("\n\nMaximum 255 characters");
            return;
        }
        bytes.append(char(wire->size()));
        bytes.append(*wire);
    }
    void address(const QString &dotted, const QString &invalid)
    {
        if (failed())
            return;
        bool ok = false;
        const quint32 v = InetAddr(dotted, &ok);
        if (!ok) {
            error = invalid;
            return;
        }
        addressValue(v);
    }
    void addressValue(quint32 v)
    {
        byte(quint8(v >> 24));
        byte(quint8(v >> 16));
        byte(quint8(v >> 8));
        byte(quint8(v));
    }
    void block(const QString &password, const CommandSources &sources)
    {
        if (failed())
            return;
        const std::optional<QByteArray> wire = Zora::ToWire(password);
        if (!wire) {
            error = cannotEncode(GetString(3137, QStringLiteral("Password")));
            return;
        }
        const std::optional<CredentialBlock> b =
            ScrambleCredential(*wire, sources.key(), sources.random());
        if (!b) {
            error = GetString(3189, QStringLiteral("Password is Too long...")) + QStringLiteral("\n\n")
                    + GetString(3198, QStringLiteral("Maximum 16 characters"));
            return;
        }
        raw(QByteArrayView(reinterpret_cast<const char *>(b->data()), b->size()));
    }

    CommandBytes finish()
    {
        if (failed())
            return {{}, error};
        Zora::PutLe16(bytes, 5, quint16(bytes.size()));
        return {bytes, {}};
    }
};

Writer startCommand(const TConfigItem &camera, quint8 code, const QString &rowKind,
                    ModelByte model, quint8 settingsKind, const CommandSources &sources)
{
    Writer w;
    if (!camera.Header || camera.Header->size() < Zora::kHeaderSize) {
        w.error = QStringLiteral("The camera has not answered yet; nothing was sent");
        return w;
    }
    const std::optional<QByteArray> id = Zora::ToWire(camera.AdminId);
    if (!id) {
        w.error = cannotEncode(GetString(3136, QStringLiteral("ID")));
        return w;
    }
    if (id->size() > kMaxAdminIdChars) {
        w.error = GetString(3298, QStringLiteral("ID MUST be Shorter than 7"));
        return w;
    }
    w.bytes = QByteArray(Zora::kPrefixSize, '\0');
    w.bytes.replace(0, 4, Zora::kRequestMagic.toByteArray());
    w.bytes[4] = char(Zora::kVersion);
    w.bytes[7] = char(Commands::WireCode(code, rowKind));
    w.bytes[8] = model == ModelByte::FromHeader ? char(camera.modelCode()) : '\0';
    w.bytes.replace(9, 6, camera.mac().toByteArray());
    w.bytes[15] = char(settingsKind);
    w.bytes.replace(16, id->size(), *id);
    w.bytes.truncate(24);
    w.block(camera.AdminPassword, sources);
    return w;
}

} // namespace

quint32 CommandSources::key() const
{
    return InetAddr(localAddress ? localAddress() : LocalHostAddress());
}

quint16 CommandSources::random() const
{
    return randomValue ? randomValue() : ProgramRandom::shared().credentialValue();
}

namespace Commands {

quint8 WireCode(quint8 code, const QString &rowKind)
{
    if (rowKind == ConnectionColumnText(Connection::Remote))
        return quint8(code | Zora::RemoteFlag);
    if (rowKind == ConnectionColumnText(Connection::Local))
        return code;
    return 0;
}

bool UnicastTarget(const TConfigItem &camera, bool alsoWhenLocal)
{
    return camera.ConnectionKind == Connection::Remote || alsoWhenLocal;
}

CommandBytes Prefix(const TConfigItem &camera, quint8 code, const QString &rowKind,
                    ModelByte model, quint8 settingsKind, const CommandSources &sources)
{
    return startCommand(camera, code, rowKind, model, settingsKind, sources).finish();
}

CommandBytes StaticNetworkCommand(const TConfigItem &camera, const QString &rowKind,
                                  ModelByte model, const StaticNetwork &s,
                                  const CommandSources &sources)
{
    Writer w = startCommand(camera, Zora::CmdNetwork, rowKind, model, Zora::NetStatic, sources);
    w.address(s.ip, GetString(3177, QStringLiteral("IP Address is Invalid")));
    w.address(s.mask, GetString(3178, QStringLiteral("SubnetMask Address is Invalid")));
    w.address(s.gateway, GetString(3179, QStringLiteral("Gatway Address is Invalid")));
    if (camera.flags() & Zora::FlagDns)
        w.address(s.dns, GetString(3180, QStringLiteral("Primary DNS Address is Invalid")));
    return w.finish();
}

CommandBytes DhcpNetworkCommand(const TConfigItem &camera, const QString &rowKind,
                                ModelByte model, const CommandSources &sources)
{
    return startCommand(camera, Zora::CmdNetwork, rowKind, model, Zora::NetDhcp, sources).finish();
}

CommandBytes PppoeNetworkCommand(const TConfigItem &camera, const QString &rowKind,
                                 ModelByte model, const PppoeNetwork &s,
                                 const CommandSources &sources)
{
    bool mtuOk = false;
    const int mtu = s.mtu.trimmed().toInt(&mtuOk);
    if (!mtuOk)
        return {{}, ConversionErrorText(s.mtu)};
    Writer w = startCommand(camera, Zora::CmdNetwork, rowKind, model, Zora::NetPppoe, sources);
    w.string(s.user, GetString(3188, QStringLiteral("User id is TOO Long")),
             GetString(3033, QStringLiteral("User ID")));
    w.string(s.password, GetString(3189, QStringLiteral("Password is TOO Long")),
             GetString(3034, QStringLiteral("Password")));
    w.string(s.service, GetString(3190, QStringLiteral("Service Name is TOO Long")),
             GetString(3035, QStringLiteral("Service Name")));
    const quint32 m = quint32(mtu);
    w.byte(quint8(m));
    w.byte(quint8(m >> 8));
    w.byte(quint8(m >> 16));
    w.byte(quint8(m >> 24));
    w.byte(s.manualDns ? 1 : 0);
    // With automatic DNS the field is not in use and may be empty; it goes as the
    // standard conversion gives it.
    if (s.manualDns)
        w.address(s.dns, GetString(3180, QStringLiteral("Primary DNS Address is Invalid")));
    else
        w.addressValue(InetAddr(s.dns));
    return w.finish();
}

CommandBytes HostNameCommand(const TConfigItem &camera, const QString &rowKind, ModelByte model,
                             const QString &hostName, const QString &domainName,
                             const CommandSources &sources)
{
    Writer w = startCommand(camera, Zora::CmdNetwork, rowKind, model, 3, sources);
    w.string(hostName, GetString(3195, QStringLiteral("Host Name is TOO Long")),
             GetString(3017, QStringLiteral("Host Name")));
    if (camera.flags() & Zora::FlagDomain)
        w.string(domainName, GetString(3196, QStringLiteral("Domain Name is TOO Long")),
                 GetString(3047, QStringLiteral("Domain Name")));
    return w.finish();
}

CommandBytes AccountCommand(const TConfigItem &camera, const QString &rowKind, ModelByte model,
                            bool allowGuest, const QString &newPassword,
                            const CommandSources &sources)
{
    Writer w = startCommand(camera, Zora::CmdAccount, rowKind, model, camera.networkTypeByte(),
                            sources);
    w.byte(allowGuest ? 1 : 0);
    if (newPassword.isEmpty())
        w.raw(QByteArray(kCredentialBlockSize, '\0'));
    else
        w.block(newPassword, sources);
    return w.finish();
}

CommandBytes MiscSettingsCommand(const TConfigItem &camera, const QString &rowKind,
                                 const MiscSettings &s, const CommandSources &sources)
{
    bool ok = false;
    const int sensitivity = s.sensitivity.trimmed().toInt(&ok);
    if (!ok)
        return {{}, ConversionErrorText(s.sensitivity)};
    Writer w = startCommand(camera, Zora::CmdTagged, rowKind, ModelByte::FromHeader,
                            camera.networkTypeByte(), sources);
    w.byte(3);
    w.byte(1);
    w.byte(quint8(sensitivity & 0xFF));
    w.byte(4);
    w.byte(1);
    w.byte(s.sourceIndex < 0 ? 0xFF : quint8(s.sourceIndex & 0xFF));
    return w.finish();
}

CommandBytes ControlCommand(const TConfigItem &camera, const QString &rowKind, quint8 action,
                            quint8 argument, const CommandSources &sources)
{
    Writer w = startCommand(camera, Zora::CmdTagged, rowKind, ModelByte::FromHeader,
                            camera.networkTypeByte(), sources);
    w.byte(action);
    w.byte(1);
    w.byte(argument);
    return w.finish();
}

bool ChooseAddress(TConfigItem &camera, Messenger *messenger)
{
    if (!camera.addressInDoubt())
        return true;
    if (!messenger
        || !messenger->ask(camera.conflictText() + QStringLiteral(".\n\nSend to %1, where it answered last?")
                                                       .arg(camera.Address),
                           GetString(3169, QStringLiteral("Warning"))))
        return false;
    camera.ConflictAddresses.clear();
    return true;
}

CommandOutcome Submit(TConfigItem &camera, int recordIndex, bool unicast, const QByteArray &bytes,
                      int capacity, CommandConfirmation &confirmation, Messenger *messenger)
{
    if (!ChooseAddress(camera, messenger))
        return CommandOutcome::NotSent;
    return confirmation.confirm(ConfirmRequest::to(camera, recordIndex, unicast, bytes, capacity));
}

} // namespace Commands

CommandOutcome SendResetToDefaults(TConfigItem *camera, int recordIndex, const QString &rowKind,
                                   bool unicastWhenLocal, quint8 scope, CommandEnvironment &env)
{
    const QString sure = GetString(3168, QStringLiteral("Are you sure?"));
    QString question;
    if (scope == 0)
        question = GetString(3259, QStringLiteral("Reset all Configuration to factory default"))
                   + QStringLiteral("\n\n")
                   + GetString(3240, QStringLiteral("This work may cause camera to work improperly"))
                   + QStringLiteral("\n\n") + sure;
    else
        question = GetString(3260, QStringLiteral("Reset this Configuration to default"))
                   + QStringLiteral("\n") + sure;
    if (!env.messenger.askDestructive(question, GetString(3169, QStringLiteral("Warning"))))
        return CommandOutcome::NotSent;
    if (!camera || recordIndex < 0)
        return CommandOutcome::NotSent;
    if (!RequireCredentials(*camera, env.prompt))
        return CommandOutcome::NotSent;
    const CommandBytes c =
        Commands::ControlCommand(*camera, rowKind, Commands::kActionReset, scope, env.sources);
    if (!c.ok()) {
        env.messenger.tell(c.error, errorCaption(), Messenger::Style::Error);
        return CommandOutcome::NotSent;
    }
    return Commands::Submit(*camera, recordIndex,
                            Commands::UnicastTarget(*camera, unicastWhenLocal), c.bytes,
                            Commands::kResetCapacity, env.confirmation, &env.messenger);
}

bool IssueControlCommand(const TConfigItem *camera, const QString &rowKind, UdpEndpoint &endpoint,
                         const QString &host, quint8 action, quint8 argument,
                         const CommandSources &sources, Messenger *messenger)
{
    if (!camera)
        return false;
    endpoint.markSend();
    const CommandBytes c = Commands::ControlCommand(*camera, rowKind, action, argument, sources);
    if (!c.ok()) {
        if (messenger)
            messenger->tell(c.error, errorCaption(), Messenger::Style::Error);
        return false;
    }
    QString error;
    if (!endpoint.sendCommand(host, c.bytes, &error)) {
        if (messenger)
            messenger->tell(error, GetString(3169, QStringLiteral("Warning")), Messenger::Style::Error);
        return false;
    }
    return true;
}

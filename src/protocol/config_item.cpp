#include "protocol/config_item.h"

QByteArrayView TConfigItem::mac() const
{
    static const QByteArray none(6, '\0');
    return Header ? QByteArrayView(*Header).sliced(9, 6) : QByteArrayView(none);
}

QString TConfigItem::macText() const
{
    return Zora::MacText(mac());
}

QString TConfigItem::addressWord(int i) const
{
    if (!AddressBlock || i < 0 || i > 3)
        return {};
    const auto &b = *AddressBlock;
    return QStringLiteral("%1.%2.%3.%4")
        .arg(b[i * 4]).arg(b[i * 4 + 1]).arg(b[i * 4 + 2]).arg(b[i * 4 + 3]);
}

std::optional<Zora::PppoeSettings> TConfigItem::pppoe() const
{
    if (!PppoeBlock)
        return std::nullopt;
    return Zora::PppoeSettings::decode(*PppoeBlock);
}

bool TConfigItem::isFileConfigured(quint8 code)
{
    return code == 0 || code == 2 || code == 3 || code == 5 || code == 6;
}

void TConfigItem::takeOptionalBytes(const Zora::DiscoveryReply &reply)
{
    if (reply.guest)
        UseAccount = *reply.guest != 0;
    TagsAnnounced = 0;
    const std::optional<quint8> Zora::DiscoveryReply::*const tags[] = {
        &Zora::DiscoveryReply::spareTag, &Zora::DiscoveryReply::audioAvailable,
        &Zora::DiscoveryReply::mdSensitivity, &Zora::DiscoveryReply::doSource};
    quint8 *const values[] = {&SpareTag, &AudioAvailable, &MdSensitivity, &DoSource};
    for (int i = 0; i < 4; ++i) {
        if (const std::optional<quint8> &tag = reply.*tags[i]) {
            *values[i] = *tag;
            TagsAnnounced |= quint8(1u << (i + 1));
        }
    }
}

void TConfigItem::fillFromReply(const Zora::DiscoveryReply &reply, const QString &address,
                                qint32 defaultFtpPort)
{
    zero();
    Header = reply.header;
    ModelName = reply.modelName;
    if (!reply.hostName.isEmpty())
        HostName = reply.hostName;
    if (reply.domainName && !reply.domainName->isEmpty())
        DomainName = reply.domainName;
    AddressBlock = reply.addressBlock;
    PppoeBlock = reply.pppoeBlock;
    takeOptionalBytes(reply);
    if (reply.modelCode() != 1) {
        FtpConnectionSetting ftp;
        ftp.port = defaultFtpPort;
        FtpSettings = ftp;
    }
    Address = address;
}

void TConfigItem::updateFromReply(const Zora::DiscoveryReply &reply, const QString &address)
{
    // The camera answers from another address now: a re-addressed camera, or another
    // device using its MAC. The password typed for the old address does not go along;
    // the next command asks for it again.
    if (!Address.isEmpty() && address != Address)
        AdminPassword.clear();
    Address = address;
    Header = reply.header;
    if (reply.modelName != ModelName)
        ModelName = reply.modelName;
    if (reply.hostName.isEmpty())
        HostName.reset();
    else
        HostName = reply.hostName;
    if (reply.flags() & Zora::FlagDomain) {
        if (reply.domainName && !reply.domainName->isEmpty())
            DomainName = reply.domainName;
        else
            DomainName.reset();
    } else if (DomainName) {
        DomainName->clear();
    }
    if ((reply.flags() & Zora::FlagAddress) && reply.addressBlock)
        AddressBlock = reply.addressBlock;
    if ((reply.flags() & Zora::FlagPppoe) && PppoeBlock && reply.pppoeBlock)
        PppoeBlock = reply.pppoeBlock;
    takeOptionalBytes(reply);
}

QString TConfigItem::conflictText() const
{
    return QStringLiteral("%1 answered from %2 within one scan: another device may be using its MAC")
        .arg(macText(), ConflictAddresses.join(QStringLiteral(" and ")));
}

QString TConfigItem::displayName() const
{
    QStringList name{modelNameText(), hostNameText()};
    name.removeAll(QString());
    name << QStringLiteral("(%1)").arg(macText());
    return name.join(QLatin1Char(' '));
}

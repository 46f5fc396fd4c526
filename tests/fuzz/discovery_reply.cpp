// Any datagram through the discovery reply reader, the camera record it fills and the
// reply header every receiver reads.
#include "fuzz_support.h"

#include "protocol/command_reply.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"

namespace {

void check(bool ok, const char *what)
{
    if (!ok)
        Fuzz::fail("discovery_reply", what);
}

bool sameReply(const Zora::DiscoveryReply &a, const Zora::DiscoveryReply &b)
{
    return a.header == b.header && a.modelName == b.modelName && a.hostName == b.hostName
           && a.domainName == b.domainName && a.addressBlock == b.addressBlock
           && a.pppoeBlock == b.pppoeBlock && a.guest == b.guest && a.spareTag == b.spareTag
           && a.audioAvailable == b.audioAvailable && a.mdSensitivity == b.mdSensitivity
           && a.doSource == b.doSource;
}

// What a listed camera's record shows of its reply.
bool sameRecord(const TConfigItem &a, const TConfigItem &b)
{
    return a.Header == b.Header && a.ModelName == b.ModelName && a.HostName == b.HostName
           && a.DomainName == b.DomainName && a.AddressBlock == b.AddressBlock
           && a.PppoeBlock == b.PppoeBlock && a.AdminId == b.AdminId
           && a.AdminPassword == b.AdminPassword && a.Address == b.Address
           && a.UseAccount == b.UseAccount && a.ConnectionKind == b.ConnectionKind
           && a.DoSource == b.DoSource && a.MdSensitivity == b.MdSensitivity
           && a.AudioAvailable == b.AudioAvailable && a.SpareTag == b.SpareTag
           && a.TagsAnnounced == b.TagsAnnounced && a.FtpSettings == b.FtpSettings;
}

void checkCommandReply(QByteArrayView datagram)
{
    const CommandReply c = CommandReply::parse(datagram);
    check(c.type == (c.rawType & 0x7F) && c.remote == bool(c.rawType & 0x80), "reply type bits");
    check(c.mac.isEmpty() || c.mac.size() == 6, "reply MAC size");
    check(c.carriesMac() == (datagram.size() >= 15), "reply MAC presence");
    if (c.carriesMac())
        check(c.isFrom(datagram.sliced(9, 6)), "reply MAC bytes");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView datagram = Fuzz::bytesOf(data, size);
    checkCommandReply(datagram);

    const auto reply = Zora::DiscoveryReply::parse(datagram);
    check(reply.has_value() == (datagram.size() >= Zora::kHeaderSize
                                && datagram.startsWith(Zora::kReplyMagic)),
          "accepted or refused against the header rule");
    if (!reply)
        return 0;
    const Zora::DiscoveryReply &r = *reply;
    check(r.header == datagram.first(Zora::kHeaderSize), "header bytes");
    check(r.modelName.size() <= 255 && r.hostName.size() <= 255, "string sizes");
    check(!r.domainName || (r.flags() & Zora::FlagDomain), "domain without its flag");
    check(!r.addressBlock || (r.flags() & Zora::FlagAddress), "address block without its flag");
    check(!r.guest || (r.flags() & Zora::FlagGuest), "guest byte without its flag");
    if (r.pppoeBlock) {
        check(r.flags() & Zora::FlagPppoe, "PPPoE block without its flag");
        // The reader cut the block along its own fields: it must decode.
        check(Zora::PppoeSettings::decode(*r.pppoeBlock).has_value(), "PPPoE block does not decode");
    }
    check(Zora::NormalMacText(r.macText()) == r.macText(), "MAC text");

    // The reply is read from a 1024-byte zero-filled buffer: what lies past it, and zeros
    // after the datagram, change nothing.
    QByteArray padded = datagram.first(qMin<qsizetype>(datagram.size(), Zora::kReceiveBuffer))
                            .toByteArray();
    padded.append(QByteArray(Zora::kReceiveBuffer - padded.size(), '\0'));
    const auto again = Zora::DiscoveryReply::parse(padded);
    check(again && sameReply(r, *again), "reply depends on bytes outside the buffer");

    TConfigItem item;
    item.fillFromReply(r, QStringLiteral("127.0.0.5"), 2121);
    check(item.macText() == r.macText() && item.modelCode() == r.modelCode(), "record header");
    check(item.FtpSettings.has_value() == (r.modelCode() != 1), "FTP defaults");
    check(!item.HostName || !item.HostName->isEmpty(), "empty host name kept");
    for (int i = 0; i < 4; ++i)
        check(item.addressWord(i).isEmpty() == !item.AddressBlock, "address words");
    if (item.PppoeBlock)
        check(item.pppoe().has_value(), "record PPPoE block does not decode");

    // The same reply again refreshes nothing; what belongs to the user stays.
    item.AdminId = QStringLiteral("admin");
    item.AdminPassword = QStringLiteral("pw");
    item.ConnectionKind = Connection::Remote;
    const TConfigItem before = item;
    item.updateFromReply(r, QStringLiteral("127.0.0.5"));
    check(sameRecord(item, before), "the same reply changed the record");

    // A later reply from the same camera (the bytes after the first 17, taken as a
    // datagram of their own when they form one).
    if (datagram.size() > Zora::kHeaderSize) {
        const QByteArrayView tail = datagram.sliced(Zora::kHeaderSize);
        checkCommandReply(tail);
        if (const auto next = Zora::DiscoveryReply::parse(tail)) {
            item.updateFromReply(*next, QStringLiteral("127.0.0.5"));
            check(item.AdminId == before.AdminId && item.AdminPassword == before.AdminPassword
                      && item.ConnectionKind == before.ConnectionKind
                      && item.FtpSettings == before.FtpSettings,
                  "an update lost what belongs to the user");
            check(item.Header == next->header, "an update kept the old header");
            // From another address the password may go; the rest stays.
            item.updateFromReply(*next, QStringLiteral("127.0.0.6"));
            check(item.AdminId == before.AdminId && item.ConnectionKind == before.ConnectionKind
                      && item.FtpSettings == before.FtpSettings
                      && item.Address == QStringLiteral("127.0.0.6"),
                  "an update from another address lost the user's settings");
            (void)item.pppoe();
            (void)item.addressWord(3);
        }
    }
    return 0;
}

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

// The ZORA datagrams: requests start with "ADCT", replies with "ZORA"; a common header
// of magic, version, little-endian length, command or reply type, model code and MAC.
namespace Zora {

inline constexpr QByteArrayView kRequestMagic = "ADCT";
inline constexpr QByteArrayView kReplyMagic = "ZORA";
inline constexpr quint8 kVersion = 2;
inline constexpr int kReceiveBuffer = 1024;
inline constexpr int kHeaderSize = 17;    // reply offsets 0..16 kept in a camera's record
inline constexpr int kPrefixSize = 46;    // request header before a command body

enum Command : quint8 {
    CmdDiscovery = 3,
    CmdNetwork = 4,
    CmdAccount = 5,
    CmdTagged = 6,
    RemoteFlag = 0x80,
};

enum ReplyType : quint8 {
    ReplySuccess = 0,
    ReplyFailed = 1,
    ReplyAuthFailed = 2,
    ReplyMismatch = 3,
    ReplyUnknownError = 4,
    ReplyDiscovery = 5,
};

enum Flag : quint8 {
    FlagDomain = 0x01,
    FlagDns = 0x02,
    FlagAddress = 0x04,
    FlagDhcp = 0x08,
    FlagPppoe = 0x10,
    FlagGuest = 0x20,
};

enum NetworkType : quint8 { NetDhcp = 0, NetStatic = 1, NetPppoe = 2 };

// Camera strings are 8-bit text. Latin-1 maps every byte to one character and back, so
// a name survives display and resend unchanged.
QString WireText(QByteArrayView bytes);
// The 8-bit form of a text; nothing when a character has no 8-bit form.
std::optional<QByteArray> ToWire(const QString &text);

QString MacText(QByteArrayView sixBytes);
std::optional<std::array<quint8, 6>> ParseMac(const QString &text);
// A MAC typed in any case with ':' or '-' in the form the camera list shows
// ("00:0A:1B:2C:3D:4E"); empty when the text is not a MAC.
QString NormalMacText(const QString &text);

quint16 ReadLe16(QByteArrayView data, qsizetype offset);
quint32 ReadLe32(QByteArrayView data, qsizetype offset);
void PutLe16(QByteArray &data, qsizetype offset, quint16 value);
void PutLe32(QByteArray &data, qsizetype offset, quint32 value);

// The 9-byte discovery request: broadcast (3) or to one named host (0x83), with the
// model filter code (255 for any model).
QByteArray BuildDiscoveryRequest(quint8 modelFilter, bool toOneHost);

// The fields of a PPPoE block (user, password and service as length-prefixed strings,
// then MTU, DNS mode and DNS server).
struct PppoeSettings {
    QByteArray user;
    QByteArray password;
    QByteArray service;
    quint32 mtu = 0;
    quint8 dnsMode = 0;       // 1 manual DNS, anything else automatic
    std::array<quint8, 4> dns{};

    bool manualDns() const { return dnsMode == 1; }
    QString dnsText() const;
    static std::optional<PppoeSettings> decode(QByteArrayView block);
};

// A discovery reply, read as the camera lays it out: the fixed part, then the optional
// fields the flags announce, each after the other, then the tagged tail of a version 2
// reply. Every read is bounded by the 1024-byte zero-filled receive buffer; a field that
// would cross it counts as absent.
struct DiscoveryReply {
    QByteArray header;                        // offsets 0..16
    QByteArray modelName;
    QByteArray hostName;
    std::optional<QByteArray> domainName;
    std::optional<std::array<quint8, 16>> addressBlock;
    std::optional<QByteArray> pppoeBlock;
    std::optional<quint8> guest;
    std::optional<quint8> spareTag;           // tag 1
    std::optional<quint8> audioAvailable;     // tag 2
    std::optional<quint8> mdSensitivity;      // tag 3
    std::optional<quint8> doSource;           // tag 4

    quint8 version() const { return quint8(header.at(4)); }
    quint16 length() const { return ReadLe16(header, 5); }
    quint8 replyType() const { return quint8(header.at(7)); }
    quint8 modelCode() const { return quint8(header.at(8)); }
    QByteArrayView mac() const { return QByteArrayView(header).sliced(9, 6); }
    QString macText() const { return MacText(mac()); }
    quint8 networkType() const { return quint8(header.at(15)); }
    quint8 flags() const { return quint8(header.at(16)); }

    // Nothing for a datagram under 17 bytes or without the "ZORA" magic; the reply type
    // is not checked here.
    static std::optional<DiscoveryReply> parse(QByteArrayView datagram);
};

} // namespace Zora

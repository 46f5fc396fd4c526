#pragma once

#include "protocol/datagram.h"
#include "protocol/ftp_connection_setting.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// How the tool reaches a camera. The camera list's column 4 holds the number: a saved row
// that has not answered yet alternates between the two poll values, an answered row is
// local or remote.
enum class Connection : quint8 {
    PollBroadcast = 0,   // the next poll broadcasts
    PollAddress = 1,     // the next poll asks the row's address
    Local = 2,           // found by broadcast; commands are broadcast
    Remote = 3,          // registered by address; commands go to the address
};

// The text of the camera list's column 4 for a connection kind.
inline QString ConnectionColumnText(Connection kind) { return QString::number(int(kind)); }

// One camera known to the tool, filled from its discovery reply. A zeroed record (empty
// Address) is free for the next camera.
struct TConfigItem {
    std::optional<QByteArray> Header;            // reply offsets 0..16; none until it answers
    QByteArray ModelName;
    std::optional<QByteArray> HostName;          // only when not empty
    std::optional<QByteArray> DomainName;        // only with flags bit 0 and not empty
    std::optional<std::array<quint8, 16>> AddressBlock; // ip, mask, gateway, dns
    std::optional<QByteArray> PppoeBlock;
    QString AdminId;                             // credentials live here and nowhere else
    QString AdminPassword;
    QString Address;                             // dotted address of the camera
    bool UseAccount = false;
    Connection ConnectionKind = Connection::PollBroadcast;
    quint8 DoSource = 0;
    quint8 MdSensitivity = 0;
    quint8 AudioAvailable = 0;
    quint8 SpareTag = 0;
    // Bit n set: the last reply carried tag n (the four bytes above keep their value
    // when a reply leaves their tag out).
    quint8 TagsAnnounced = 0;
    std::optional<FtpConnectionSetting> FtpSettings;
    // Addresses this MAC answered from within one scan when there was more than one:
    // another device may be using the camera's MAC. Nothing goes to the camera (no
    // command, no login) until one address is chosen; empty when there is no doubt.
    QStringList ConflictAddresses;
    // The adapter (interface number) the camera's last reply came in on; 0 unknown.
    // Broadcasts meant for this camera leave through it.
    int AdapterIndex = 0;

    bool isFree() const { return Address.isEmpty(); }
    bool addressInDoubt() const { return !ConflictAddresses.isEmpty(); }
    // "00:0A:1B:2C:3D:4E answered from 127.0.0.5 and 127.0.0.9 within one scan"
    QString conflictText() const;
    // "L80 cam1 (00:0A:1B:2C:3D:4E)": the camera as window titles name it.
    QString displayName() const;
    void zero() { *this = TConfigItem(); }

    quint8 modelCode() const { return Header ? quint8(Header->at(8)) : 0; }
    QByteArrayView mac() const;
    QString macText() const;
    quint8 networkTypeByte() const { return Header ? quint8(Header->at(15)) : 0; }
    quint8 flags() const { return Header ? quint8(Header->at(16)) : 0; }
    QString modelNameText() const { return Zora::WireText(ModelName); }
    QString hostNameText() const { return HostName ? Zora::WireText(*HostName) : QString(); }
    bool announced(int tag) const { return TagsAnnounced & (1u << tag); }
    QString domainNameText() const { return DomainName ? Zora::WireText(*DomainName) : QString(); }
    // Dotted text of word i of the address block (0 ip, 1 mask, 2 gateway, 3 dns).
    QString addressWord(int i) const;
    std::optional<Zora::PppoeSettings> pppoe() const;

    // Protocol-configured family (model codes 1 and 4) or file-configured.
    static bool isProtocolConfigured(quint8 modelCode) { return modelCode == 1 || modelCode == 4; }
    // The models whose pages are the file-configured ones and that have FTP.
    static bool isFileConfigured(quint8 modelCode);

    // A new row's record: zeroed, then filled from the reply (credentials empty, FTP
    // defaults for every model but 1).
    void fillFromReply(const Zora::DiscoveryReply &reply, const QString &address,
                       qint32 defaultFtpPort = 21);
    // A listed camera answering again: settings refreshed, credentials, connection kind
    // and FTP settings kept (the password only while the address stays the same).
    void updateFromReply(const Zora::DiscoveryReply &reply, const QString &address);

private:
    void takeOptionalBytes(const Zora::DiscoveryReply &reply);
};

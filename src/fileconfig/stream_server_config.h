#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The Stream Server page: which servers rc.server starts, and the port and connection
// limits of udp_server.conf and tcp_server.conf. One port serves both servers.
struct StreamServerSettings {
    bool udpEnabled = false;
    bool tcpEnabled = false;
    QByteArray port;
    QByteArray udpMaxConnect;
    QByteArray tcpMaxConnect;

    bool operator==(const StreamServerSettings &) const = default;
};

class StreamServerConfig final
{
public:
    static constexpr const char *ScriptFile = "rc.server";
    static constexpr const char *UdpFile = "udp_server.conf";
    static constexpr const char *TcpFile = "tcp_server.conf";

    // Without rc.server both servers read as disabled and nothing else changes.
    static ConfigError read(const QString &folder, StreamServerSettings &settings);
    // All three files must exist before any is written.
    static ConfigError write(const QString &folder, const StreamServerSettings &settings);

    static void readScript(QByteArrayView script, StreamServerSettings &settings);
    static void readText(QByteArrayView udp, QByteArrayView tcp, StreamServerSettings &settings);
    // Each file with the lines of the fields that changed from `before` to `after`, every
    // other byte kept; nothing when a value cannot be stored. rc.server gains or loses
    // only the start lines of the servers switched on or off.
    static std::optional<QByteArray> editUdp(const QByteArray &contents,
                                             const StreamServerSettings &before,
                                             const StreamServerSettings &after);
    static std::optional<QByteArray> editTcp(const QByteArray &contents,
                                             const StreamServerSettings &before,
                                             const StreamServerSettings &after);
    static QByteArray editScript(const QByteArray &contents, const StreamServerSettings &before,
                                 const StreamServerSettings &after);
};

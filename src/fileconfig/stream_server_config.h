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
    static QByteArray editUdp(const QByteArray &contents, const StreamServerSettings &settings);
    static QByteArray editTcp(const QByteArray &contents, const StreamServerSettings &settings);
    static QByteArray renderScript(const StreamServerSettings &settings);
};

#include "fileconfig/stream_server_config.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_lines.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/config_table.h"

namespace {

bool startsServer(QByteArrayView line, const char *server)
{
    // As readScript() takes the lines: no comment, more than two characters.
    return line.size() > 2 && line.front() != '#' && KeyStartsWith(line, server);
}

void switchServer(ConfigLines &lines, const char *server, bool on,
                  const std::function<bool(QByteArrayView)> &before)
{
    const auto starts = [server](QByteArrayView l) { return startsServer(l, server); };
    if (!on) {
        for (qsizetype i = lines.last(starts); i >= 0; i = lines.last(starts))
            lines.remove(i);
        return;
    }
    qsizetype at = lines.first(before);
    if (at < 0)
        at = lines.first(ScriptExitLine);
    lines.insert(at < 0 ? lines.size() : at, QByteArray(server) + " &");
}

std::optional<QByteArray> edit(const QByteArray &contents, bool portChanged, const QByteArray &port,
                               bool addPort, bool maxChanged, const QByteArray &max)
{
    ConfigLines lines(contents);
    if (portChanged
        && !SetEntryValue(
            lines, [](QByteArrayView k) { return KeyStartsWith(k, "server_port"); }, port,
            "server_port=" + port, addPort))
        return std::nullopt;
    if (maxChanged
        && !SetEntryValue(
            lines, [](QByteArrayView k) { return KeyStartsWith(k, "max_connect"); }, max,
            "max_connect=" + max))
        return std::nullopt;
    return lines.contents();
}

} // namespace

void StreamServerConfig::readScript(QByteArrayView script, StreamServerSettings &settings)
{
    settings.udpEnabled = false;
    settings.tcpEnabled = false;
    for (QByteArrayView line : SplitConfigLines(script)) {
        if (line.size() <= 2 || line.front() == '#')
            continue;
        if (KeyStartsWith(line, "/bin/tcp_server"))
            settings.tcpEnabled = true;
        else if (KeyStartsWith(line, "/bin/udp_server"))
            settings.udpEnabled = true;
    }
}

void StreamServerConfig::readText(QByteArrayView udp, QByteArrayView tcp,
                                  StreamServerSettings &settings)
{
    ConfigTable tcpTable;
    ParseConfigText(tcp, tcpTable);
    for (int i = 0; i < tcpTable.count; ++i) {
        const ConfigEntry &entry = tcpTable.entries[size_t(i)];
        const QByteArray key = entry.keyText();
        if (KeyStartsWith(key, "server_port"))
            settings.port = entry.valueText();
        else if (KeyStartsWith(key, "max_connect"))
            settings.tcpMaxConnect = entry.valueText();
    }
    ConfigTable udpTable;
    ParseConfigText(udp, udpTable);
    for (int i = 0; i < udpTable.count; ++i) {
        const ConfigEntry &entry = udpTable.entries[size_t(i)];
        if (KeyStartsWith(entry.keyText(), "max_connect"))
            settings.udpMaxConnect = entry.valueText();
    }
}

ConfigError StreamServerConfig::read(const QString &folder, StreamServerSettings &settings)
{
    const auto script = ConfigFiles::load(folder, QString::fromLatin1(ScriptFile));
    if (!script) {
        settings.udpEnabled = false;
        settings.tcpEnabled = false;
        return ConfigError::None;
    }
    const auto udp = ConfigFiles::load(folder, QString::fromLatin1(UdpFile));
    const auto tcp = ConfigFiles::load(folder, QString::fromLatin1(TcpFile));
    if (!udp || !tcp)
        return ConfigError::Parse;
    StreamServerSettings read = settings;
    readScript(*script, read);
    readText(*udp, *tcp, read);
    settings = read;
    return ConfigError::None;
}

std::optional<QByteArray> StreamServerConfig::editUdp(const QByteArray &contents,
                                                      const StreamServerSettings &before,
                                                      const StreamServerSettings &after)
{
    // The page reads the port from tcp_server.conf; the UDP server's own port line follows
    // it where the file has one.
    return edit(contents, before.port != after.port, after.port, false,
                before.udpMaxConnect != after.udpMaxConnect, after.udpMaxConnect);
}

std::optional<QByteArray> StreamServerConfig::editTcp(const QByteArray &contents,
                                                      const StreamServerSettings &before,
                                                      const StreamServerSettings &after)
{
    return edit(contents, before.port != after.port, after.port, true,
                before.tcpMaxConnect != after.tcpMaxConnect, after.tcpMaxConnect);
}

QByteArray StreamServerConfig::editScript(const QByteArray &contents,
                                          const StreamServerSettings &before,
                                          const StreamServerSettings &after)
{
    ConfigLines lines(contents);
    // A server started anew goes before the script's exit, UDP before TCP.
    if (before.udpEnabled != after.udpEnabled) {
        switchServer(lines, "/bin/udp_server", after.udpEnabled,
                     [](QByteArrayView l) { return startsServer(l, "/bin/tcp_server"); });
    }
    if (before.tcpEnabled != after.tcpEnabled)
        switchServer(lines, "/bin/tcp_server", after.tcpEnabled, ScriptExitLine);
    return lines.contents();
}

ConfigError StreamServerConfig::write(const QString &folder, const StreamServerSettings &settings)
{
    const QString udpName = QString::fromLatin1(UdpFile);
    const QString tcpName = QString::fromLatin1(TcpFile);
    const QString scriptName = QString::fromLatin1(ScriptFile);
    const auto udp = ConfigFiles::load(folder, udpName);
    const auto tcp = ConfigFiles::load(folder, tcpName);
    const auto script = ConfigFiles::load(folder, scriptName);
    if (!udp || !tcp || !script)
        return ConfigError::Write;
    StreamServerSettings before;
    readScript(*script, before);
    readText(*udp, *tcp, before);
    const auto newUdp = editUdp(*udp, before, settings);
    const auto newTcp = editTcp(*tcp, before, settings);
    if (!newUdp || !newTcp)
        return ConfigError::Write;
    const QByteArray newScript = editScript(*script, before, settings);
    if ((*newUdp != *udp && !ConfigFiles::save(folder, udpName, *newUdp))
        || (*newTcp != *tcp && !ConfigFiles::save(folder, tcpName, *newTcp))
        || (newScript != *script && !ConfigFiles::save(folder, scriptName, newScript)))
        return ConfigError::Write;
    return ConfigError::None;
}

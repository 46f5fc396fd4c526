#include "fileconfig/stream_server_config.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/config_table.h"

namespace {

QByteArray edit(const QByteArray &contents, const QByteArray &port, const QByteArray &max)
{
    return ConfigFiles::copyEdit(contents, [&](QByteArrayView line) -> std::optional<QByteArray> {
        if (KeyStartsWith(line, "server_port"))
            return "server_port=" + port;
        if (KeyStartsWith(line, "max_connect"))
            return "max_connect=" + max;
        return std::nullopt;
    });
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

QByteArray StreamServerConfig::editUdp(const QByteArray &contents,
                                       const StreamServerSettings &settings)
{
    return edit(contents, settings.port, settings.udpMaxConnect);
}

QByteArray StreamServerConfig::editTcp(const QByteArray &contents,
                                       const StreamServerSettings &settings)
{
    return edit(contents, settings.port, settings.tcpMaxConnect);
}

QByteArray StreamServerConfig::renderScript(const StreamServerSettings &settings)
{
    QByteArray out = "#!/bin/sh\n";
    if (settings.udpEnabled)
        out += "/bin/udp_server &\n";
    if (settings.tcpEnabled)
        out += "/bin/tcp_server &\n";
    out += "exit 0\n";
    return out;
}

ConfigError StreamServerConfig::write(const QString &folder, const StreamServerSettings &settings)
{
    const QString udpName = QString::fromLatin1(UdpFile);
    const QString tcpName = QString::fromLatin1(TcpFile);
    const QString scriptName = QString::fromLatin1(ScriptFile);
    const auto udp = ConfigFiles::load(folder, udpName);
    const auto tcp = ConfigFiles::load(folder, tcpName);
    if (!udp || !tcp || !ConfigFiles::exists(folder, scriptName))
        return ConfigError::Write;
    if (!ConfigFiles::save(folder, udpName, editUdp(*udp, settings))
        || !ConfigFiles::save(folder, tcpName, editTcp(*tcp, settings))
        || !ConfigFiles::save(folder, scriptName, renderScript(settings)))
        return ConfigError::Write;
    return ConfigError::None;
}

#include "fileconfig/web_server_config.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/config_table.h"

namespace {

void take(const ConfigTable &table, WebServerSettings &settings)
{
    for (int i = 0; i < table.count; ++i) {
        const ConfigEntry &entry = table.entries[size_t(i)];
        const QByteArray key = entry.keyText();
        if (KeyStartsWith(key, "var title"))
            settings.title = entry.valueText();
        else if (KeyStartsWith(key, "port"))
            settings.port = entry.valueText();
    }
}

} // namespace

ConfigError WebServerConfig::read(const QString &folder, WebServerSettings &settings)
{
    const auto server = ConfigFiles::load(folder, QString::fromLatin1(ServerFile));
    const auto title = ConfigFiles::load(folder, QString::fromLatin1(TitleFile));
    if (!server || !title)
        return ConfigError::Parse;
    readText(*server, *title, settings);
    return ConfigError::None;
}

void WebServerConfig::readText(QByteArrayView server, QByteArrayView title,
                               WebServerSettings &settings)
{
    // One table each: a long thttpd.conf must not crowd the title out of a shared one.
    ConfigTable serverTable;
    ParseConfigText(server, serverTable);
    ConfigTable titleTable;
    ParseConfigText(title, titleTable);
    take(serverTable, settings);
    take(titleTable, settings);
}

QByteArray WebServerConfig::editServer(const QByteArray &contents,
                                       const WebServerSettings &settings)
{
    return ConfigFiles::copyEdit(contents, [&](QByteArrayView line) -> std::optional<QByteArray> {
        if (KeyStartsWith(line, "port"))
            return "port=" + settings.port;
        return std::nullopt;
    });
}

QByteArray WebServerConfig::editTitle(const QByteArray &contents,
                                      const WebServerSettings &settings)
{
    return ConfigFiles::copyEdit(contents, [&](QByteArrayView line) -> std::optional<QByteArray> {
        if (KeyStartsWith(line, "var title"))
            return "var title = \"" + settings.title + '"';
        return std::nullopt;
    });
}

ConfigError WebServerConfig::write(const QString &folder, const WebServerSettings &settings)
{
    const QString server = QString::fromLatin1(ServerFile);
    const auto serverText = ConfigFiles::load(folder, server);
    if (!serverText)
        return ConfigError::Write;
    if (!ConfigFiles::save(folder, server, editServer(*serverText, settings)))
        return ConfigError::Write;

    const QString title = QString::fromLatin1(TitleFile);
    const auto titleText = ConfigFiles::load(folder, title);
    if (!titleText)
        return ConfigError::Write;
    if (!ConfigFiles::save(folder, title, editTitle(*titleText, settings)))
        return ConfigError::Write;
    return ConfigError::None;
}

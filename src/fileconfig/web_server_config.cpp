#include "fileconfig/web_server_config.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_lines.h"
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

std::optional<QByteArray> WebServerConfig::editServer(const QByteArray &contents,
                                                      const WebServerSettings &before,
                                                      const WebServerSettings &after)
{
    ConfigLines lines(contents);
    if (before.port != after.port
        && !SetEntryValue(
            lines, [](QByteArrayView k) { return KeyStartsWith(k, "port"); }, after.port,
            "port=" + after.port))
        return std::nullopt;
    return lines.contents();
}

std::optional<QByteArray> WebServerConfig::editTitle(const QByteArray &contents,
                                                     const WebServerSettings &before,
                                                     const WebServerSettings &after)
{
    ConfigLines lines(contents);
    if (before.title != after.title
        && !SetEntryValue(
            lines, [](QByteArrayView k) { return KeyStartsWith(k, "var title"); }, after.title,
            "var title = \"" + after.title + '"'))
        return std::nullopt;
    return lines.contents();
}

ConfigError WebServerConfig::write(const QString &folder, const WebServerSettings &settings)
{
    const QString server = QString::fromLatin1(ServerFile);
    const QString title = QString::fromLatin1(TitleFile);
    // Both files are the camera's own: without one there is nothing to edit.
    const auto serverText = ConfigFiles::load(folder, server);
    if (!serverText)
        return ConfigError::Write;
    const auto titleText = ConfigFiles::load(folder, title);
    WebServerSettings before;
    readText(*serverText, titleText.value_or(QByteArray()), before);
    const auto newServer = editServer(*serverText, before, settings);
    if (!newServer || (*newServer != *serverText && !ConfigFiles::save(folder, server, *newServer)))
        return ConfigError::Write;
    if (!titleText)
        return ConfigError::Write;
    const auto newTitle = editTitle(*titleText, before, settings);
    if (!newTitle || (*newTitle != *titleText && !ConfigFiles::save(folder, title, *newTitle)))
        return ConfigError::Write;
    return ConfigError::None;
}

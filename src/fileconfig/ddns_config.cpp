#include "fileconfig/ddns_config.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_lines.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/config_table.h"

ConfigError DdnsConfig::read(const QString &folder, DdnsSettings &settings)
{
    const std::optional<QByteArray> contents =
        ConfigFiles::load(folder, QString::fromLatin1(FileName));
    if (!contents)
        return ConfigError::Parse;
    readText(*contents, settings);
    return ConfigError::None;
}

void DdnsConfig::readText(QByteArrayView contents, DdnsSettings &settings)
{
    ConfigTable table;
    ParseConfigText(contents, table);
    for (int i = 0; i < table.count; ++i) {
        const ConfigEntry &entry = table.entries[size_t(i)];
        const QByteArray key = entry.keyText();
        // This file's keys must match whole: the camera writes no longer variants.
        if (KeyEquals(key, "ddns_enable"))
            settings.enabled = KeyEquals(entry.valueText(), "true");
        else if (KeyEquals(key, "DDNS_ID"))
            settings.id = entry.valueText();
        else if (KeyEquals(key, "DDNS_PW"))
            settings.password = entry.valueText();
        else if (KeyEquals(key, "DDNS_HD"))
            settings.handle = entry.valueText();
    }
}

QByteArray DdnsConfig::render(const DdnsSettings &settings)
{
    QByteArray out;
    out += "DDNS_ENABLE=\"" + QByteArray(settings.enabled ? "true" : "false") + "\"\n";
    out += "DDNS_ID=\"" + settings.id + "\"\n";
    out += "DDNS_PW=\"" + settings.password + "\"\n";
    out += "DDNS_HD=\"" + settings.handle + "\"\n";
    return out;
}

std::optional<QByteArray> DdnsConfig::edit(const QByteArray &contents, const DdnsSettings &settings)
{
    DdnsSettings before;
    readText(contents, before);
    ConfigLines lines(contents);
    // The reader's keys, matched whole; a new line takes the form render() writes.
    auto set = [&lines](const char *key, const char *written, bool changed, const QByteArray &value) {
        return !changed
               || SetEntryValue(
                   lines, [key](QByteArrayView k) { return KeyEquals(k, key); }, value,
                   QByteArray(written) + "=\"" + value + '"');
    };
    if (!set("ddns_enable", "DDNS_ENABLE", before.enabled != settings.enabled,
             settings.enabled ? "true" : "false")
        || !set("DDNS_ID", "DDNS_ID", before.id != settings.id, settings.id)
        || !set("DDNS_PW", "DDNS_PW", before.password != settings.password, settings.password)
        || !set("DDNS_HD", "DDNS_HD", before.handle != settings.handle, settings.handle))
        return std::nullopt;
    return lines.contents();
}

ConfigError DdnsConfig::write(const QString &folder, const DdnsSettings &settings)
{
    const QString name = QString::fromLatin1(FileName);
    const std::optional<QByteArray> contents = ConfigFiles::load(folder, name);
    const std::optional<QByteArray> out = contents ? edit(*contents, settings) : render(settings);
    if (!out || (out != contents && !ConfigFiles::save(folder, name, *out)))
        return ConfigError::Write;
    return ConfigError::None;
}

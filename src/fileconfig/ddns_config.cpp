#include "fileconfig/ddns_config.h"

#include "fileconfig/config_files.h"
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

ConfigError DdnsConfig::write(const QString &folder, const DdnsSettings &settings)
{
    if (!ConfigFiles::save(folder, QString::fromLatin1(FileName), render(settings)))
        return ConfigError::Write;
    return ConfigError::None;
}

#include "fileconfig/system_info_config.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/config_table.h"

void SystemInfoConfig::readText(QByteArrayView contents, SystemInfoSettings &settings)
{
    ConfigTable table;
    ParseConfigText(contents, table);
    for (int i = 0; i < table.count; ++i) {
        const ConfigEntry &entry = table.entries[size_t(i)];
        const QByteArray key = entry.keyText();
        if (KeyStartsWith(key, "model_name"))
            settings.modelName = entry.valueText();
        else if (KeyStartsWith(key, "serial_no"))
            settings.serialNo = entry.valueText();
        else if (KeyStartsWith(key, "software_version"))
            settings.softwareVersion = entry.valueText();
        else if (KeyStartsWith(key, "install_location"))
            settings.location = entry.valueText();
        else if (KeyStartsWith(key, "admin_email"))
            settings.email = entry.valueText();
    }
}

QByteArray SystemInfoConfig::rebuild(QByteArrayView contents, const SystemInfoSettings &settings)
{
    QByteArray out = "[GENERAL]\n";
    // The reader's table holds 21 entries of cut text; rebuilding from it would drop
    // the rest of a longer file, so the writer takes every entry whole.
    for (const auto &[key, value] : ParseConfigPairs(contents)) {
        out += key;
        out += '=';
        if (KeyStartsWith(key, "install_location"))
            out += settings.location;
        else if (KeyStartsWith(key, "admin_email"))
            out += settings.email;
        else
            out += value;
        out += '\n';
    }
    return out;
}

ConfigError SystemInfoConfig::read(const QString &folder, SystemInfoSettings &settings)
{
    const auto contents = ConfigFiles::load(folder, QString::fromLatin1(FileName));
    if (!contents)
        return ConfigError::Parse;
    readText(*contents, settings);
    return ConfigError::None;
}

ConfigError SystemInfoConfig::write(const QString &folder, const SystemInfoSettings &settings)
{
    const QString name = QString::fromLatin1(FileName);
    const auto contents = ConfigFiles::load(folder, name);
    if (!contents)
        return ConfigError::Parse;
    if (!ConfigFiles::save(folder, name, rebuild(*contents, settings)))
        return ConfigError::Write;
    return ConfigError::None;
}

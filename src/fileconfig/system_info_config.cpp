#include "fileconfig/system_info_config.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_lines.h"
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

std::optional<QByteArray> SystemInfoConfig::edit(const QByteArray &contents,
                                                 const SystemInfoSettings &settings)
{
    SystemInfoSettings before;
    readText(contents, before);
    ConfigLines lines(contents);
    auto set = [&lines](const char *key, const QByteArray &was, const QByteArray &value) {
        return was == value
               || SetEntryValue(
                   lines, [key](QByteArrayView k) { return KeyStartsWith(k, key); }, value,
                   QByteArray(key) + '=' + value);
    };
    if (!set("install_location", before.location, settings.location)
        || !set("admin_email", before.email, settings.email))
        return std::nullopt;
    return lines.contents();
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
    const std::optional<QByteArray> out = edit(*contents, settings);
    if (!out || (*out != *contents && !ConfigFiles::save(folder, name, *out)))
        return ConfigError::Write;
    return ConfigError::None;
}

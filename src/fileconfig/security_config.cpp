#include "fileconfig/security_config.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_parser.h"

void SecurityConfig::readText(QByteArrayView contents, SecuritySettings &settings)
{
    settings.level = SecuritySettings::Level::Unset;
    for (QByteArrayView line : SplitConfigLines(contents)) {
        if (line.isEmpty())
            continue;
        const char c = line.front();
        if (c == '\n' || c == '#' || c == '%' || c == '\r')
            continue;
        // A later line wins.
        if (KeyStartsWith(line, "/etc/iptables_script/high.sh"))
            settings.level = SecuritySettings::Level::High;
        else if (KeyStartsWith(line, "/etc/iptables_script/medium.sh"))
            settings.level = SecuritySettings::Level::Medium;
        else if (KeyStartsWith(line, "/etc/iptables_script/low.sh"))
            settings.level = SecuritySettings::Level::Low;
    }
}

QByteArray SecurityConfig::render(const SecuritySettings &settings)
{
    QByteArray out = "#!/bin/sh\n";
    switch (settings.level) {
    case SecuritySettings::Level::High:
        out += "/etc/iptables_script/high.sh\n";
        break;
    case SecuritySettings::Level::Medium:
        out += "/etc/iptables_script/medium.sh\n";
        break;
    case SecuritySettings::Level::Low:
    case SecuritySettings::Level::Unset:
        out += "/etc/iptables_script/low.sh\n";
        break;
    }
    out += "exit 0\n\n";
    return out;
}

ConfigError SecurityConfig::read(const QString &folder, SecuritySettings &settings)
{
    if (const auto contents = ConfigFiles::load(folder, QString::fromLatin1(FileName)))
        readText(*contents, settings);
    return ConfigError::None;
}

ConfigError SecurityConfig::write(const QString &folder, const SecuritySettings &settings)
{
    if (!ConfigFiles::save(folder, QString::fromLatin1(FileName), render(settings)))
        return ConfigError::Write;
    return ConfigError::None;
}

#include "fileconfig/security_config.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_lines.h"
#include "fileconfig/config_parser.h"

namespace {

constexpr const char *HighScript = "/etc/iptables_script/high.sh";
constexpr const char *MediumScript = "/etc/iptables_script/medium.sh";
constexpr const char *LowScript = "/etc/iptables_script/low.sh";

const char *scriptOf(SecuritySettings::Level level)
{
    switch (level) {
    case SecuritySettings::Level::High:
        return HighScript;
    case SecuritySettings::Level::Medium:
        return MediumScript;
    case SecuritySettings::Level::Low:
    case SecuritySettings::Level::Unset:
        break;
    }
    return LowScript;
}

// The script a line starts, as readText() takes it; nothing for other lines.
const char *levelScriptOf(QByteArrayView line)
{
    if (line.isEmpty())
        return nullptr;
    const char c = line.front();
    if (c == '\n' || c == '#' || c == '%' || c == '\r')
        return nullptr;
    for (const char *script : {HighScript, MediumScript, LowScript}) {
        if (KeyStartsWith(line, script))
            return script;
    }
    return nullptr;
}

} // namespace

void SecurityConfig::readText(QByteArrayView contents, SecuritySettings &settings)
{
    settings.level = SecuritySettings::Level::Unset;
    for (QByteArrayView line : SplitConfigLines(contents)) {
        // A later line wins.
        if (const char *script = levelScriptOf(line)) {
            settings.level = script == HighScript     ? SecuritySettings::Level::High
                             : script == MediumScript ? SecuritySettings::Level::Medium
                                                      : SecuritySettings::Level::Low;
        }
    }
}

QByteArray SecurityConfig::render(const SecuritySettings &settings)
{
    return "#!/bin/sh\n" + QByteArray(scriptOf(settings.level)) + "\nexit 0\n\n";
}

QByteArray SecurityConfig::edit(const QByteArray &contents, const SecuritySettings &settings)
{
    SecuritySettings before;
    readText(contents, before);
    if (settings.level == before.level)
        return contents;
    const QByteArray wanted = scriptOf(settings.level);
    ConfigLines lines(contents);
    bool found = false;
    // Every level line names the new script, so the camera runs no other level's rules
    // after it; what follows the script's name on the line stays.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView text = lines.text(i);
        if (const char *script = levelScriptOf(text)) {
            lines.setText(i, wanted + text.sliced(qstrlen(script)).toByteArray());
            found = true;
        }
    }
    if (!found) {
        const qsizetype exit = lines.first(ScriptExitLine);
        lines.insert(exit < 0 ? lines.size() : exit, wanted);
    }
    return lines.contents();
}

ConfigError SecurityConfig::read(const QString &folder, SecuritySettings &settings)
{
    if (const auto contents = ConfigFiles::load(folder, QString::fromLatin1(FileName)))
        readText(*contents, settings);
    return ConfigError::None;
}

ConfigError SecurityConfig::write(const QString &folder, const SecuritySettings &settings)
{
    const QString name = QString::fromLatin1(FileName);
    const std::optional<QByteArray> contents = ConfigFiles::load(folder, name);
    const QByteArray out = contents ? edit(*contents, settings) : render(settings);
    if (out != contents && !ConfigFiles::save(folder, name, out))
        return ConfigError::Write;
    return ConfigError::None;
}

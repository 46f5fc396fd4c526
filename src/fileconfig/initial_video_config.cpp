#include "fileconfig/initial_video_config.h"

#include "app/profile_file.h"
#include "fileconfig/config_files.h"
#include "fileconfig/ini_section_name.h"

namespace {

QByteArray sectionOf(const QByteArray &contents)
{
    return IniSectionName(contents, SectionPick::First, "middle_info");
}

int readInt(const QByteArray &contents, const QByteArray &section, const char *key)
{
    bool found = false;
    const QByteArray value = ProfileFile::lookup(contents, section, key, {}, &found);
    return found ? ProfileFile::toInt(value) : 0;
}

} // namespace

void InitialVideoConfig::readText(const QByteArray &contents, InitialVideoSettings &settings)
{
    const QByteArray section = sectionOf(contents);
    settings.pal = readInt(contents, section, "video_type") != 0;

    const int quality = readInt(contents, section, "init_quality");
    // 55 falls to "50"; 0..9 and 100 and above name no item.
    const int qualityIndex = quality / 10 - 1;
    settings.qualityIndex = (quality >= 0 && qualityIndex >= 0
                             && qualityIndex < InitialVideoSettings::QualityItems)
                                ? qualityIndex
                                : -1;

    const int resolution = readInt(contents, section, "init_resolution");
    settings.resolutionIndex =
        (resolution >= 0 && resolution < InitialVideoSettings::ResolutionItems) ? resolution : -1;

    settings.flickerless = readInt(contents, section, "flickerless") == 1;
}

QByteArray InitialVideoConfig::edit(const QByteArray &contents, const InitialVideoSettings &settings)
{
    const QByteArray section = sectionOf(contents);
    QByteArray out = ConfigFiles::setProfileValue(contents, section, "video_type",
                                                  settings.pal ? "1" : "0");
    if (settings.qualityIndex >= 0 && settings.qualityIndex < InitialVideoSettings::QualityItems)
        out = ConfigFiles::setProfileValue(out, section, "init_quality",
                                           QByteArray::number((settings.qualityIndex + 1) * 10));
    if (settings.resolutionIndex >= 0
        && settings.resolutionIndex < InitialVideoSettings::ResolutionItems)
        out = ConfigFiles::setProfileValue(out, section, "init_resolution",
                                           QByteArray::number(settings.resolutionIndex));
    return ConfigFiles::setProfileValue(out, section, "flickerless",
                                        settings.flickerless ? "1" : "0");
}

ConfigError InitialVideoConfig::read(const QString &folder, InitialVideoSettings &settings)
{
    readText(ConfigFiles::load(folder, QString::fromLatin1(FileName)).value_or(QByteArray()),
             settings);
    return ConfigError::None;
}

ConfigError InitialVideoConfig::write(const QString &folder, const InitialVideoSettings &settings)
{
    const QString name = QString::fromLatin1(FileName);
    const QByteArray contents = ConfigFiles::load(folder, name).value_or(QByteArray());
    if (!ConfigFiles::save(folder, name, edit(contents, settings)))
        return ConfigError::Write;
    return ConfigError::None;
}

#include "fileconfig/initial_video_config.h"

#include "base/profile_file.h"
#include "fileconfig/config_files.h"
#include "fileconfig/ini_section_name.h"
#include "fileconfig/profile_edit.h"

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

namespace {

// Every field when there is no `before` (a file the camera lacks), else those that differ.
std::optional<QByteArray> apply(const QByteArray &contents, const InitialVideoSettings *before,
                                const InitialVideoSettings &after)
{
    const QByteArray section = sectionOf(contents);
    ProfileEdit edit(contents);
    if (!before || before->pal != after.pal)
        edit.set(section, "video_type", after.pal ? "1" : "0");
    if ((!before || before->qualityIndex != after.qualityIndex) && after.qualityIndex >= 0
        && after.qualityIndex < InitialVideoSettings::QualityItems)
        edit.set(section, "init_quality", QByteArray::number((after.qualityIndex + 1) * 10));
    if ((!before || before->resolutionIndex != after.resolutionIndex) && after.resolutionIndex >= 0
        && after.resolutionIndex < InitialVideoSettings::ResolutionItems)
        edit.set(section, "init_resolution", QByteArray::number(after.resolutionIndex));
    if (!before || before->flickerless != after.flickerless)
        edit.set(section, "flickerless", after.flickerless ? "1" : "0");
    return edit.result();
}

} // namespace

std::optional<QByteArray> InitialVideoConfig::edit(const QByteArray &contents,
                                                   const InitialVideoSettings &settings)
{
    InitialVideoSettings before;
    readText(contents, before);
    return apply(contents, &before, settings);
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
    const std::optional<QByteArray> contents = ConfigFiles::load(folder, name);
    const auto out = contents ? edit(*contents, settings) : apply({}, nullptr, settings);
    if (!out || (out != contents && !ConfigFiles::save(folder, name, *out)))
        return ConfigError::Write;
    return ConfigError::None;
}

#include "fileconfig/audio_config.h"

#include "base/profile_file.h"
#include "fileconfig/config_files.h"
#include "fileconfig/ini_section_name.h"
#include "fileconfig/profile_edit.h"

namespace {

QByteArray sectionOf(const QByteArray &contents)
{
    return IniSectionName(contents, SectionPick::Last, "audio_server_info");
}

} // namespace

void AudioConfig::readText(const QByteArray &contents, AudioSettings &settings)
{
    const QByteArray section = sectionOf(contents);
    settings.port = ProfileFile::lookup(contents, section, "server_port", "1853");
    settings.maxConnect = ProfileFile::lookup(contents, section, "max_connect", "0");
    settings.samplingVolume = ProfileFile::lookup(contents, section, "sampling_volume", "256");
    settings.playbackVolume = ProfileFile::lookup(contents, section, "playback_volume", "256");
}

namespace {

// Every field when there is no `before` (a file the camera lacks), else those that differ.
std::optional<QByteArray> apply(const QByteArray &contents, const AudioSettings *before,
                                const AudioSettings &after)
{
    const QByteArray section = sectionOf(contents);
    ProfileEdit edit(contents);
    const auto field = [&](const char *key, QByteArray AudioSettings::*member) {
        if (!before || before->*member != after.*member)
            edit.set(section, key, after.*member);
    };
    field("server_port", &AudioSettings::port);
    field("max_connect", &AudioSettings::maxConnect);
    field("sampling_volume", &AudioSettings::samplingVolume);
    field("playback_volume", &AudioSettings::playbackVolume);
    return edit.result();
}

} // namespace

std::optional<QByteArray> AudioConfig::edit(const QByteArray &contents, const AudioSettings &settings)
{
    AudioSettings before;
    readText(contents, before);
    return apply(contents, &before, settings);
}

ConfigError AudioConfig::read(const QString &folder, AudioSettings &settings)
{
    readText(ConfigFiles::load(folder, QString::fromLatin1(FileName)).value_or(QByteArray()),
             settings);
    return ConfigError::None;
}

ConfigError AudioConfig::write(const QString &folder, const AudioSettings &settings)
{
    const QString name = QString::fromLatin1(FileName);
    const std::optional<QByteArray> contents = ConfigFiles::load(folder, name);
    const auto out = contents ? edit(*contents, settings) : apply({}, nullptr, settings);
    if (!out || (out != contents && !ConfigFiles::save(folder, name, *out)))
        return ConfigError::Write;
    return ConfigError::None;
}

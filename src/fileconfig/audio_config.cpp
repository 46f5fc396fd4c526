#include "fileconfig/audio_config.h"

#include "app/profile_file.h"
#include "fileconfig/config_files.h"
#include "fileconfig/ini_section_name.h"

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

QByteArray AudioConfig::edit(const QByteArray &contents, const AudioSettings &settings)
{
    const QByteArray section = sectionOf(contents);
    QByteArray out = ConfigFiles::setProfileValue(contents, section, "server_port", settings.port);
    out = ConfigFiles::setProfileValue(out, section, "max_connect", settings.maxConnect);
    out = ConfigFiles::setProfileValue(out, section, "sampling_volume", settings.samplingVolume);
    return ConfigFiles::setProfileValue(out, section, "playback_volume", settings.playbackVolume);
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
    const QByteArray contents = ConfigFiles::load(folder, name).value_or(QByteArray());
    if (!ConfigFiles::save(folder, name, edit(contents, settings)))
        return ConfigError::Write;
    return ConfigError::None;
}

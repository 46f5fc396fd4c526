#include "fileconfig/camera_control_config.h"

#include "base/profile_file.h"
#include "fileconfig/config_files.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/profile_edit.h"

namespace {

QByteArray sectionOf(int channel)
{
    return "channel_" + QByteArray::number(channel + 1);
}

} // namespace

void CameraControlConfig::readText(const QByteArray &contents, const QStringList &daemons,
                                   CameraControlSettings &settings)
{
    settings.daemons = daemons;
    for (int n = 0; n < CameraControlSettings::Channels; ++n) {
        const QByteArray section = sectionOf(n);
        CameraChannel &channel = settings.channels[size_t(n)];
        channel.alias = ProfileFile::lookup(contents, section, "cam_alias", "none")
                            .left(CameraControlSettings::AliasLimit);
        bool found = false;
        const QByteArray id = ProfileFile::lookup(contents, section, "cam_id", {}, &found);
        const quint16 number = found ? quint16(ProfileFile::toInt(id)) : 0;
        channel.id = QByteArray::number(number);
        const QByteArray daemon = ProfileFile::lookup(contents, section, "control_deamon", "none");
        // "none" is no daemon, also beside a daemon of that name (whose value is its path).
        channel.daemonIndex = KeyEquals(daemon, "none")
                                  ? 0
                                  : FindListSuffix(daemons, QString::fromLatin1(daemon));
    }
}

namespace {

// Every field when there is no `before` (a file the camera lacks), else those that differ.
std::optional<QByteArray> apply(const QByteArray &contents, const CameraControlSettings *before,
                                const CameraControlSettings &after)
{
    ProfileEdit edit(contents);
    for (int n = 0; n < CameraControlSettings::Channels; ++n) {
        const QByteArray section = sectionOf(n);
        const CameraChannel &channel = after.channels[size_t(n)];
        const CameraChannel *was = before ? &before->channels[size_t(n)] : nullptr;
        if (!was || was->alias != channel.alias)
            edit.set(section, "cam_alias", channel.alias);
        if (!was || was->id != channel.id)
            edit.set(section, "cam_id", channel.id);
        if (was && was->daemonIndex == channel.daemonIndex)
            continue;
        if (channel.daemonIndex == 0) {
            edit.set(section, "control_deamon", "none");
        } else if (channel.daemonIndex > 0 && channel.daemonIndex <= after.daemons.size()) {
            edit.set(section, "control_deamon",
                     CameraControlConfig::DaemonFolder
                         + after.daemons.at(channel.daemonIndex - 1).toLatin1());
        }
    }
    return edit.result();
}

} // namespace

std::optional<QByteArray> CameraControlConfig::edit(const QByteArray &contents,
                                                    const CameraControlSettings &settings)
{
    CameraControlSettings before;
    readText(contents, settings.daemons, before);
    return apply(contents, &before, settings);
}

ConfigError CameraControlConfig::read(const QString &folder, const QStringList &daemons,
                                      CameraControlSettings &settings)
{
    readText(ConfigFiles::load(folder, QString::fromLatin1(FileName)).value_or(QByteArray()),
             daemons, settings);
    return ConfigError::None;
}

ConfigError CameraControlConfig::write(const QString &folder,
                                       const CameraControlSettings &settings)
{
    const QString name = QString::fromLatin1(FileName);
    const std::optional<QByteArray> contents = ConfigFiles::load(folder, name);
    const auto out = contents ? edit(*contents, settings) : apply({}, nullptr, settings);
    if (!out || (out != contents && !ConfigFiles::save(folder, name, *out)))
        return ConfigError::Write;
    return ConfigError::None;
}

#include "fileconfig/camera_control_config.h"

#include "app/profile_file.h"
#include "fileconfig/config_files.h"
#include "fileconfig/config_parser.h"

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

QByteArray CameraControlConfig::edit(const QByteArray &contents,
                                     const CameraControlSettings &settings)
{
    QByteArray out = contents;
    for (int n = 0; n < CameraControlSettings::Channels; ++n) {
        const QByteArray section = sectionOf(n);
        const CameraChannel &channel = settings.channels[size_t(n)];
        out = ConfigFiles::setProfileValue(out, section, "cam_alias", channel.alias);
        out = ConfigFiles::setProfileValue(out, section, "cam_id", channel.id);
        if (channel.daemonIndex == 0) {
            out = ConfigFiles::setProfileValue(out, section, "control_deamon", "none");
        } else if (channel.daemonIndex > 0 && channel.daemonIndex <= settings.daemons.size()) {
            const QByteArray path = QByteArray(DaemonFolder)
                                    + settings.daemons.at(channel.daemonIndex - 1).toLatin1();
            out = ConfigFiles::setProfileValue(out, section, "control_deamon", path);
        }
    }
    return out;
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
    const QByteArray contents = ConfigFiles::load(folder, name).value_or(QByteArray());
    if (!ConfigFiles::save(folder, name, edit(contents, settings)))
        return ConfigError::Write;
    return ConfigError::None;
}

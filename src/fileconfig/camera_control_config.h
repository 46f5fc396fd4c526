#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The Camera Control page: control.conf (INI-style, sections channel_1 .. channel_4)
// and the listing of the camera's control-daemon folder.
struct CameraChannel {
    QByteArray alias;   // at most 64 bytes
    QByteArray id;      // decimal text
    // Item of the model box: 0 "none", n the n-th daemon of the listing; -1 when no
    // item is selected (the file keeps its value).
    int daemonIndex = 0;

    bool operator==(const CameraChannel &) const = default;
};

struct CameraControlSettings {
    static constexpr int Channels = 4;
    static constexpr int AliasLimit = 64;

    // The daemon folder's listing (without "." and ".."): the model boxes offer "none"
    // and then these names.
    QStringList daemons;
    std::array<CameraChannel, Channels> channels {};

    bool operator==(const CameraControlSettings &) const = default;
};

class CameraControlConfig final
{
public:
    static constexpr const char *FileName = "control.conf";
    static constexpr const char *DaemonFolder = "/etc/control_deamon/";

    // `daemons` is the filtered listing fetched with the file.
    static ConfigError read(const QString &folder, const QStringList &daemons,
                            CameraControlSettings &settings);
    static ConfigError write(const QString &folder, const CameraControlSettings &settings);

    static void readText(const QByteArray &contents, const QStringList &daemons,
                         CameraControlSettings &settings);
    // `contents` with the keys of the channel fields that differ from what it says set,
    // every other byte kept; nothing when a value cannot be stored.
    static std::optional<QByteArray> edit(const QByteArray &contents,
                                          const CameraControlSettings &settings);
};

#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The Audio page: audio.conf (INI-style), updated key by key on save.
struct AudioSettings {
    QByteArray port = "1853";
    QByteArray maxConnect = "0";
    QByteArray samplingVolume = "256";
    QByteArray playbackVolume = "256";

    bool operator==(const AudioSettings &) const = default;
};

class AudioConfig final
{
public:
    static constexpr const char *FileName = "audio.conf";

    static ConfigError read(const QString &folder, AudioSettings &settings);
    static ConfigError write(const QString &folder, const AudioSettings &settings);

    static void readText(const QByteArray &contents, AudioSettings &settings);
    // `contents` with the keys of the fields that differ from what it says set, every
    // other byte kept; nothing when a value cannot be stored.
    static std::optional<QByteArray> edit(const QByteArray &contents, const AudioSettings &settings);
};

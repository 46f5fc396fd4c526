#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The Initial Video page: middle.conf (INI-style), updated key by key on save.
struct InitialVideoSettings {
    static constexpr int QualityItems = 9;    // "10" .. "90"
    static constexpr int ResolutionItems = 3; // QCIF, CIF, VGA

    bool pal = false;
    // Item indexes of the two boxes; -1 when the file's value names no item. A box left
    // at -1 is not written, so the file keeps its value.
    int qualityIndex = -1;
    int resolutionIndex = -1;
    bool flickerless = false;

    bool operator==(const InitialVideoSettings &) const = default;
};

class InitialVideoConfig final
{
public:
    static constexpr const char *FileName = "middle.conf";

    static ConfigError read(const QString &folder, InitialVideoSettings &settings);
    static ConfigError write(const QString &folder, const InitialVideoSettings &settings);

    static void readText(const QByteArray &contents, InitialVideoSettings &settings);
    // `contents` with the keys of the fields that differ from what it says set, every
    // other byte kept; nothing when a value cannot be stored.
    static std::optional<QByteArray> edit(const QByteArray &contents,
                                          const InitialVideoSettings &settings);
};

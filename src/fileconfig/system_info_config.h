#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The System Info page: general.conf. Model, serial number and software version are
// shown only; location and e-mail are written back.
struct SystemInfoSettings {
    QByteArray modelName;
    QByteArray serialNo;
    QByteArray softwareVersion;
    QByteArray location;
    QByteArray email;

    bool operator==(const SystemInfoSettings &) const = default;
};

class SystemInfoConfig final
{
public:
    static constexpr const char *FileName = "general.conf";

    static ConfigError read(const QString &folder, SystemInfoSettings &settings);
    // Edits the location and e-mail in the file the camera sent (see edit()); a folder
    // without it is a parse error, as on reading.
    static ConfigError write(const QString &folder, const SystemInfoSettings &settings);

    static void readText(QByteArrayView contents, SystemInfoSettings &settings);
    // `contents` with the location and e-mail lines set where they differ, every other
    // byte kept; nothing when a value cannot be stored.
    static std::optional<QByteArray> edit(const QByteArray &contents,
                                          const SystemInfoSettings &settings);
};

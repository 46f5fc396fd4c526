#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

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
    // Rebuilds the file as "[GENERAL]" and one key=value line per entry of the old
    // file, every entry kept whole; comments and quotes do not survive.
    static ConfigError write(const QString &folder, const SystemInfoSettings &settings);

    static void readText(QByteArrayView contents, SystemInfoSettings &settings);
    static QByteArray rebuild(QByteArrayView contents, const SystemInfoSettings &settings);
};

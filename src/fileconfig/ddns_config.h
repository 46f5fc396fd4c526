#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

// The DDNS page: ddns.conf, rewritten whole on save.
struct DdnsSettings {
    bool enabled = false;
    QByteArray id;
    QByteArray password;
    QByteArray handle;

    bool operator==(const DdnsSettings &) const = default;
};

class DdnsConfig final
{
public:
    static constexpr const char *FileName = "ddns.conf";

    // Fields whose key the file lacks keep their value; on error nothing changes.
    static ConfigError read(const QString &folder, DdnsSettings &settings);
    static ConfigError write(const QString &folder, const DdnsSettings &settings);

    static void readText(QByteArrayView contents, DdnsSettings &settings);
    static QByteArray render(const DdnsSettings &settings);
};

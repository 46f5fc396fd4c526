#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The DDNS page: ddns.conf. A save edits the lines of the fields it changes; a camera
// without the file gets one written whole.
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
    // `contents` with the lines of the fields that differ from what it says set to
    // `settings`, every other byte kept; nothing when a value cannot be stored.
    static std::optional<QByteArray> edit(const QByteArray &contents, const DdnsSettings &settings);
};

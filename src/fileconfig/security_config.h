#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

// The Security page: the iptables script rc.iptables starts.
struct SecuritySettings {
    enum class Level { Unset, Low, Medium, High };

    // Unset when the script starts none of the three; written as Low.
    Level level = Level::Unset;

    bool operator==(const SecuritySettings &) const = default;
};

class SecurityConfig final
{
public:
    static constexpr const char *FileName = "rc.iptables";

    // A missing script leaves the level as it was.
    static ConfigError read(const QString &folder, SecuritySettings &settings);
    static ConfigError write(const QString &folder, const SecuritySettings &settings);

    static void readText(QByteArrayView contents, SecuritySettings &settings);
    // The script written whole, for a camera without one.
    static QByteArray render(const SecuritySettings &settings);
    // `contents` with its level lines naming the new level's script (one added before the
    // script's exit when there is none), every other byte kept.
    static QByteArray edit(const QByteArray &contents, const SecuritySettings &settings);
};

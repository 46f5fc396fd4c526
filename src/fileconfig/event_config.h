#pragma once

#include "fileconfig/config_error.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The Event Server page: one INI-style file per event source in /etc/event/.
enum class EventSource { DigitalInput, Motion, Timer };

// Box items are indexes; -1 when the file's value names no item, and such a box is not
// written, so the file keeps its value.
struct EventSettings {
    static constexpr int CameraItems = 4;      // channels "1" .. "4"
    static constexpr int AreaItems = 4;        // upper, center, lower, all
    static constexpr int SensitivityItems = 14; // "2" .. "15"

    // Motion only.
    int areaIndex = -1;
    int sensitivityIndex = -1;
    // Timer only.
    QByteArray period;

    bool outputEnabled = false;
    QByteArray outputTime;

    bool ftpEnabled = false;
    QByteArray ftpServer;
    QByteArray ftpPort;
    QByteArray ftpUser;
    QByteArray ftpPassword;
    QByteArray ftpImageName;
    int ftpCameraIndex = -1;

    bool mailEnabled = false;
    QByteArray mailServer;
    QByteArray mailPort;
    QByteArray mailSubject;
    QByteArray mailFrom;
    QByteArray mailTo;
    int mailCameraIndex = -1;

    bool notifyEnabled = false;
    QByteArray notifyServer;
    int notifyCameraIndex = -1;

    bool operator==(const EventSettings &) const = default;
};

class EventConfig final
{
public:
    static QString fileName(EventSource source);

    // Keys the file lacks take the source's defaults; a missing file reads as all
    // defaults.
    static ConfigError read(const QString &folder, EventSource source, EventSettings &settings);
    // Writes only the source's file, marking that source enabled when `activate` (a new
    // file always is).
    static ConfigError write(const QString &folder, EventSource source,
                             const EventSettings &settings, bool activate = true);

    static EventSettings readText(const QByteArray &contents, EventSource source);
    // `contents` with the keys of the fields that differ from what it says set (and the
    // source marked enabled when `activate`), every other byte kept; nothing when a value
    // cannot be stored.
    static std::optional<QByteArray> edit(const QByteArray &contents, EventSource source,
                                          const EventSettings &settings, bool activate = true);
};

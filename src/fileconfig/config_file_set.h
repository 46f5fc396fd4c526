#pragma once

#include <QString>
#include <QStringList>

#include <QtGlobal>

// The camera files that one settings page (or one daemon operation) moves. Remote paths
// are absolute; local names are bare names inside the local folder of the run.
class ConfigFileSet
{
public:
    enum Number : int {
        Ddns = 0,
        WebServer = 1,
        StreamServer = 2,
        EventWithMotion = 3,
        InitialVideo = 4,
        CameraControl = 5,
        SystemInfo = 6,
        Security = 9,
        DaemonListing = 10,
        DaemonAdd = 11,
        DaemonDelete = 12,
        Audio = 13,
        RestartOnly = 14,
        EventWithoutMotion = 15,
    };

    static constexpr const char *kDaemonFolder = "/etc/control_deamon/";
    static constexpr const char *kTemporarySuffix = ".tmp";

    constexpr explicit ConfigFileSet(int number) : m_number(number) {}
    constexpr int number() const { return m_number; }

    // Download names, in the order they are fetched (and stored, with the suffix).
    QStringList remotePaths() const;
    QStringList localNames() const;
    // The final paths of an upload in the order they are moved into place.
    QStringList finishOrder() const;
    // "chmod 755 ..." after the set was moved into place, or empty.
    QString siteAfterFinish() const;
    // Whether the run ends with a name listing of the daemon folder.
    bool listsDaemonFolder() const;
    // Whether uploaded files go under a temporary name first.
    bool usesTemporaryNames() const;
    // The control action that asks the camera to take an uploaded set.
    quint8 applyAction() const;

private:
    int m_number;
};

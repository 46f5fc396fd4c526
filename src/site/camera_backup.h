#pragma once

#include "fileconfig/page_settings.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTemporaryDir;
struct TConfigItem;

// One camera's configuration kept as files: DIR/<MAC>/ holds the camera files of every
// page, byte for byte, "settings.json" (what the camera's discovery reply announces, no
// password) and "manifest.json" (who the camera is, when, and each file's set, size and
// SHA-256). A folder is written beside its final name and renamed only when complete,
// so a folder with a manifest is always a whole backup.
class CameraBackup final
{
public:
    static constexpr const char *ManifestName = "manifest.json";
    static constexpr const char *SettingsName = "settings.json";

    // A camera folder as read back.
    struct Folder {
        // The files as checked against the manifest, kept in a private copy: what the
        // pages read and restore uploads is what was checked, whatever happens to the
        // folder meanwhile.
        QString path;
        QString source;            // the folder as named, for messages
        std::shared_ptr<const QTemporaryDir> copy;
        QString mac;               // "00:0A:1B:2C:3D:4E"
        quint8 modelCode = 0;
        QString model;
        QString address;
        QString host;
        QString softwareVersion;
        QString time;
        bool fileConfigured = false;
        QList<int> sets;           // the file sets the folder holds
        QStringList daemons;       // the daemon folder's listing at the backup
        QJsonObject settings;      // settings.json
    };

    // The folder name of a MAC: its six bytes with dashes, which every file system takes.
    static QString folderName(const QString &mac);
    // The file sets of a camera's pages; none for a protocol-configured camera.
    static QList<int> setsOf(quint8 modelCode, bool audio);
    // settings.json: the camera's record as scan prints it, and its network and host
    // pages field by field, without any password.
    static QJsonObject settingsOf(const TConfigItem &camera);
    // One page of settings.json: FIELD → value, passwords left out.
    static QJsonObject pageObject(const PageSettings &settings);
    static QJsonObject manifestOf(const TConfigItem &camera, const QString &folder,
                                  const QList<int> &sets, const QStringList &daemons,
                                  const QDateTime &utc);

    // Writes the files of the sets (from the folder `from`) and the JSON files into
    // staging, made anew, and moves it to finalPath, replacing an older backup there only
    // once the new one is in place. Nothing at these names (nor at finalPath's ".old") is
    // followed: a link or other non-folder there is refused with its name. False with the
    // reason; a failure leaves nothing at staging.
    static bool commit(const QString &from, const QList<int> &sets, const QString &staging,
                       const QString &finalPath, const QJsonObject &manifest, const QJsonObject &settings,
                       QString *error);

    // Reads a camera folder and checks every file against its manifest. Only plain
    // files are read; anything else is refused with its name.
    static std::optional<Folder> load(const QString &path, QString *error);
};

#pragma once

#include "protoconfig/credentials.h"
#include "site/batch_runner.h"
#include "site/camera_backup.h"

#include <QString>

#include <optional>

class CameraNetwork;
class RunSink;
struct TConfigItem;

// The network and host-name pages of a restore: sent as the set-network and
// set-hostname commands would send them, host name first, the camera then followed
// through the restart the network change causes.
class ConfigNetworkRestore final
{
public:
    // The changes the backup's settings ask of the camera (none when they are the same).
    static std::optional<CameraChange> hostChange(const QJsonObject &host, const TConfigItem &camera);
    static std::optional<CameraChange> networkChange(const QJsonObject &network, const TConfigItem &camera);

    // The steps that give the camera these pages: the host name first, then the network,
    // followed through its restart (to its static address when it gets one). A page not
    // given, or already so, takes no step.
    static QList<BatchStep> steps(const TConfigItem &camera, const std::optional<QJsonObject> &host,
                                  const std::optional<QJsonObject> &network);

    // Runs them after the file pages; `before` is how those went. The result covers both.
    static BatchResult run(CameraNetwork &network, RunSink &sink, const CameraBackup::Folder &backup,
                           const QString &mac, const LoginEntry &login, bool networkPage, bool hostPage,
                           bool dryRun, const BatchResult &before);
};

#pragma once

#include "protoconfig/credentials.h"
#include "site/batch_runner.h"
#include "site/camera_backup.h"

#include <QString>
#include <QStringList>

class CameraNetwork;
class RunSink;
struct TConfigItem;

// Gives one camera the configuration kept in a camera folder: each page whose files
// differ from the backup's is uploaded from the backup's bytes and applied, as the
// window's Save does; with the network pages, the backup's network and host name follow
// as their commands.
class ConfigRestore final
{
public:
    struct Job {
        CameraBackup::Folder backup;
        QString mac;
        QStringList pages;           // only these pages; empty: every page
        bool dryRun = false;         // say which pages differ; send nothing
        bool withNetwork = false;    // the network and host-name pages too
        LoginEntry login;
    };

    // Why the camera cannot take the backup (one of another model); empty when it can.
    static QString refusal(const CameraBackup::Folder &backup, const TConfigItem &camera);

    explicit ConfigRestore(CameraNetwork &network);

    // The camera must be listed. Its result, the pages restored in its text.
    BatchResult run(RunSink &sink, const Job &job);

private:
    CameraNetwork &m_network;
};

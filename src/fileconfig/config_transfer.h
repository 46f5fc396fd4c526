#pragma once

#include "fileconfig/transfer_mode.h"
#include "transfer/transfer_worker.h"

#include <QString>

struct TConfigItem;

// Everything one configuration run needs, set by the page before the dialog is shown.
struct ConfigTransfer {
    // FTP connection of the camera; the limits are the worker's.
    FtpConnection ftp;

    int set = 0;               // ConfigFileSet number
    TransferMode mode = TransferMode::Download;

    // The run's camera: the apply command is built from it and only its replies are
    // taken. Null: no apply command is sent.
    const TConfigItem *camera = nullptr;
    int row = -1;              // record index for the success and failure reports
    QString rowKind;           // the row's connection-kind column ("2" local, "3" remote)

    // Set 11: the daemon's local path (absolute, or relative to the local folder).
    // Set 12: the remote path of the file to delete.
    QString daemon;

    // A run for a camera record, with its address, credentials and FTP settings.
    static ConfigTransfer forCamera(const TConfigItem &camera, int row, const QString &rowKind,
                                    int set, TransferMode mode);
};

#include "fileconfig/config_transfer.h"

ConfigTransfer ConfigTransfer::forCamera(const TConfigItem &camera, int row,
                                         const QString &rowKind, int set, TransferMode mode)
{
    ConfigTransfer t;
    t.ftp = FtpConnection::forCamera(camera);
    t.set = set;
    t.mode = mode;
    t.camera = &camera;
    t.row = row;
    t.rowKind = rowKind;
    return t;
}

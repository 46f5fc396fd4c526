#include "fileconfig/config_transfer.h"

#include "protocol/config_item.h"

ConfigTransfer ConfigTransfer::forCamera(const TConfigItem &camera, int row,
                                         const QString &rowKind, int set, TransferMode mode)
{
    ConfigTransfer t;
    t.host = camera.Address;
    const FtpConnectionSetting ftp = camera.FtpSettings.value_or(FtpConnectionSetting());
    t.port = ftp.port;
    t.passive = ftp.passive;
    t.transferType = ftp.transferType;
    t.user = camera.AdminId;
    t.password = camera.AdminPassword;
    t.set = set;
    t.mode = mode;
    t.camera = &camera;
    t.row = row;
    t.rowKind = rowKind;
    return t;
}

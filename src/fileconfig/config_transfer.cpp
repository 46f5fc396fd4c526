#include "fileconfig/config_transfer.h"

#include "protocol/config_item.h"

ConfigTransfer ConfigTransfer::forCamera(const TConfigItem &camera, int row,
                                         const QString &rowKind, int set, TransferMode mode)
{
    ConfigTransfer t;
    t.ftp.host = camera.Address;
    const FtpConnectionSetting ftp = camera.FtpSettings.value_or(FtpConnectionSetting());
    t.ftp.port = ftp.port;
    t.ftp.passive = ftp.passive;
    t.ftp.transferType = ftp.transferType;
    t.ftp.user = camera.AdminId;
    t.ftp.password = camera.AdminPassword;
    t.set = set;
    t.mode = mode;
    t.camera = &camera;
    t.row = row;
    t.rowKind = rowKind;
    return t;
}

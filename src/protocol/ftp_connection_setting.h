#pragma once

#include <QtGlobal>

// FTP connection settings of one camera: port, passive mode, transfer type (0 binary,
// 1 ASCII).
struct FtpConnectionSetting {
    qint32 port = 21;
    bool passive = true;
    quint8 transferType = 0;

    bool operator==(const FtpConnectionSetting &) const = default;
};

#pragma once

#include "transfer/transfer_worker.h"

#include <QString>

// The only image size a camera takes: 3 MiB and a 24-byte trailer.
inline constexpr qint64 kFlashImageSize = 3145752;

// True when the file can be opened and read and holds exactly kFlashImageSize bytes.
bool FlashImageValid(const QString &path);

// One upload of the upload worker: a firmware image (stored as "flash" or "flash_all",
// always binary) or a web-page picture (stored under its fixed path in the camera's
// transfer type).
struct FlashJob {
    FtpConnection connection;
    QString localFile;
    bool firmware = true;
    bool kernelOnly = true;     // firmware: "flash" when set, "flash_all" when clear
    QString remoteName;         // pictures: "/etc/html/logo.gif", ...
    // Firmware: how long the camera may take to answer the store after the last byte
    // (it clears and writes its flash first); 0 uses the client's reply limit.
    int finalReplyMs = 0;

    QString remotePath() const;

    static FlashJob firmwareImage(const FtpConnection &connection, const QString &localFile,
                                  bool kernelOnly);
    static FlashJob picture(const FtpConnection &connection, const QString &localFile,
                            const QString &remoteName);
};

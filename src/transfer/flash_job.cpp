#include "transfer/flash_job.h"

#include <QFile>

bool FlashImageValid(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != kFlashImageSize)
        return false;
    // Readable to the end: an image the tool cannot read would reach the camera cut.
    char block[64 * 1024];
    qint64 total = 0;
    for (;;) {
        const qint64 got = file.read(block, sizeof block);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        total += got;
    }
    return total == kFlashImageSize;
}

QString FlashJob::remotePath() const
{
    if (!firmware)
        return remoteName;
    return kernelOnly ? QStringLiteral("flash") : QStringLiteral("flash_all");
}

FlashJob FlashJob::firmwareImage(const FtpConnection &connection, const QString &localFile,
                                 bool kernelOnly)
{
    FlashJob job;
    job.connection = connection;
    job.connection.transferType = 0;
    job.localFile = localFile;
    job.firmware = true;
    job.kernelOnly = kernelOnly;
    return job;
}

FlashJob FlashJob::picture(const FtpConnection &connection, const QString &localFile,
                           const QString &remoteName)
{
    FlashJob job;
    job.connection = connection;
    job.localFile = localFile;
    job.firmware = false;
    job.remoteName = remoteName;
    return job;
}

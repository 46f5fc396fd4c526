#pragma once

#include "fileconfig/config_transfer.h"
#include "transfer/transfer_worker.h"

#include <QString>
#include <QStringList>

// The worker of one configuration run: checks the local files, connects, moves the set's
// files and reports the outcome once through finished(). Progress counts the set's files
// (done of total). A download lands beside the local files and takes their names only
// when the whole set arrived.
class TGetConfThread final : public TransferWorker
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TGetConfThread)

public:
    using Result = TransferResult;

    // Suffix of a download in progress; the file takes its real name only when the whole
    // set arrived.
    static constexpr const char *kPartialSuffix = ".fetching";
    // The reply limit of a login made only to take temporary names off the camera.
    static constexpr int kCleanupReplyMs = 2000;

    TGetConfThread(quint64 runId, const ConfigTransfer &transfer, const QString &localFolder,
                   const FtpClient::Limits &limits, QObject *parent = nullptr);

protected:
    TransferResult check() override;
    void build(FtpJob &job, FtpClient &client) override;
    void conclude(TransferResult &result) override;
    bool leavesCameraRunning() const override { return m_mode == TransferMode::Download; }

private:
    void buildDownload(FtpJob &job, FtpClient &client);
    void buildUpload(FtpJob &job, FtpClient &client);
    void buildDelete(FtpJob &job, FtpClient &client);
    void buildDaemonListing(FtpJob &job, FtpClient &client);
    QString localPath(const QString &name) const;
    void step(int done);
    void removeTemporaries(FtpClient &client);
    void discardPartials() const;
    bool movePartialsIntoPlace() const;

    const ConfigTransfer m_transfer;
    const TransferMode m_mode;
    const QString m_folder;
    QStringList m_remote;
    QStringList m_local;
    QString m_storedPath;
    QString m_lackingOnCamera;
    // Temporary names a store went to (or was tried for) and not yet moved into place.
    QStringList m_temporaries;
};

#pragma once

#include "fileconfig/config_transfer.h"
#include "transfer/ftp_client.h"

#include <QMetaType>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

// The worker of one configuration run: checks the local files, connects, moves the set's
// files and reports the outcome once through threadDone(), which the dialog receives
// queued on its own thread. It drives its own FtpClient, so an abandoned run can never
// touch a client the dialog uses afterwards. It deletes itself when it ends.
class TGetConfThread final : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TGetConfThread)

public:
    // Suffix of a download in progress; the file takes its real name only when the whole
    // set arrived.
    static constexpr const char *kPartialSuffix = ".fetching";

    struct Result {
        int code = 0;              // 0 done, 1 transfer failed, 2 connection or login failed
        QString errorText;         // the FTP client's own text of the failure
        QString missingLocal;      // a local file of the upload that does not exist
        QString lackingOnCamera;   // a final path that may be gone: its replacement failed
        QStringList listing;       // the daemon folder's names, unfiltered
    };

    TGetConfThread(quint64 runId, const ConfigTransfer &transfer, const QString &localFolder,
                   const FtpClient::Limits &limits, QObject *parent = nullptr);
    ~TGetConfThread() override;

    quint64 runId() const { return m_runId; }
    // Callable from any thread. Cuts the transfer at once, except while a final file is
    // being replaced on the camera: then the cut waits until the rename is done, so the
    // camera is never left without the file because of an abort.
    void requestAbort();

    // Workers that have not ended yet, across all dialogs.
    static int running() { return s_running.load(); }

Q_SIGNALS:
    void progress(quint64 runId, int position);
    void threadDone(quint64 runId, const TGetConfThread::Result &result);

protected:
    void run() override;

private:
    Result work(FtpClient &client);
    bool download(FtpClient &client, Result &result);
    bool upload(FtpClient &client, Result &result);
    bool finishUpload(FtpClient &client, Result &result);
    bool replaceOnCamera(FtpClient &client, const QString &finalPath, Result &result);
    bool listDaemonFolder(FtpClient &client, const QString &storedPath, Result &result);
    QString localPath(const QString &name) const;
    void step(int done);
    void discardPartials() const;
    bool movePartialsIntoPlace() const;

    bool enterProtected();
    void leaveProtected();

    const quint64 m_runId;
    const ConfigTransfer m_transfer;
    const QString m_folder;
    const FtpClient::Limits m_limits;
    QStringList m_remote;
    QStringList m_local;
    QString m_storedPath;

    QMutex m_abortMutex;
    FtpClient *m_client = nullptr;   // guarded by m_abortMutex
    bool m_abortRequested = false;
    bool m_protected = false;

    static std::atomic<int> s_running;
};

Q_DECLARE_METATYPE(TGetConfThread::Result)

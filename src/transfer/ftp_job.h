#pragma once

#include "transfer/ftp_client.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The outcome a transfer worker posts to its dialog when it ends.
enum class FtpOutcome : int {
    Done = 0,            // every operation of the job was done
    TransferFailed = 1,  // an operation failed, or a local file the job needs is missing
    ConnectFailed = 2,   // connecting or logging in failed
};

// One job on one connection: connect and log in (or resume a connection an earlier job of
// the same session left open), the queued operations in order, quit.
// A worker thread builds the job, calls run() on its own thread and learns the outcome
// from the return value or from finished(), which a dialog on the user-interface thread
// receives queued. The first failing operation ends the job.
class FtpJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FtpJob)

public:
    enum class QuitErrors { Fail, Ignore };

    // The client is lent, not owned; its parameters must be set.
    explicit FtpJob(FtpClient *client, QObject *parent = nullptr);
    ~FtpJob() override;

    void addStore(const QString &localPath, const QString &remoteName,
                  const FtpClient::StoreOptions &options = {});
    // A remote name ending in "/" is a folder: the file goes in it under its local name.
    void addStoreInto(const QString &localPath, const QString &remoteName);
    void addRetrieve(const QString &remoteName, const QString &localPath);
    void addDelete(const QString &remotePath);
    void addRename(const QString &oldPath, const QString &newPath);
    void addReplace(const QString &tmpPath, const QString &finalPath);
    void addSite(const QString &command);
    // "SITE " + prefix + the remote path the last store used.
    void addSiteOnStored(const QString &prefix);
    void addChangeDirectory(const QString &name);
    void addNameList();
    // Any other step on the job's connection; false ends the job as failed.
    void addStep(std::function<bool()> step);
    void setQuitErrors(QuitErrors policy) { m_quitErrors = policy; }
    // A job that ends well leaves the connection logged in for the next job of its
    // session; a failing one quits as any job does.
    void setKeepOpen(bool keep) { m_keepOpen = keep; }
    // A kept connection is checked with a command before the job unless told otherwise.
    void setProbeOnResume(bool probe) { m_probe = probe; }
    // Runs with the job's client after a step failed, before the quit. Best effort: the
    // job keeps the failing step's error and reply whatever the cleanup meets.
    void setCleanup(std::function<void()> cleanup) { m_cleanup = std::move(cleanup); }

    int run();

    QString errorString() const { return m_error; }
    // The server's reply to the job's last operation (the failing one when it failed),
    // before the quit.
    QString lastReply() const { return m_lastReply; }
    QString storedPath() const { return m_storedPath; }
    QStringList listing() const { return m_listing; }

    // The name a store to a folder falls back to: the folder followed by the local file's
    // name (after its last "/" or "\").
    static QString fallbackName(const QString &remoteName, const QString &localPath);

Q_SIGNALS:
    void finished(int outcome, const QString &errorText);

private:
    int finish(FtpOutcome outcome);

    FtpClient *m_client = nullptr;
    std::vector<std::function<bool()>> m_steps;
    std::function<void()> m_cleanup;
    QuitErrors m_quitErrors = QuitErrors::Fail;
    bool m_keepOpen = false;
    bool m_probe = true;
    QString m_error;
    QString m_lastReply;
    QString m_storedPath;
    QStringList m_listing;
};

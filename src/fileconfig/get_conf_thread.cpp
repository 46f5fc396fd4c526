#include "fileconfig/get_conf_thread.h"

#include "fileconfig/config_file_set.h"
#include "transfer/ftp_job.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

// The camera's connection with the limits of this run.
FtpConnection connectionOf(const ConfigTransfer &transfer, const FtpClient::Limits &limits)
{
    FtpConnection c = transfer.ftp;
    c.limits = limits;
    return c;
}

TransferMode effectiveMode(const ConfigTransfer &t)
{
    switch (t.set) {
    case ConfigFileSet::DaemonAdd:
        return TransferMode::Upload;
    case ConfigFileSet::DaemonDelete:
        return TransferMode::Delete;
    case ConfigFileSet::DaemonListing:
        return TransferMode::Download;
    default:
        return t.mode;
    }
}

} // namespace

TGetConfThread::TGetConfThread(quint64 runId, const ConfigTransfer &transfer,
                               const QString &localFolder, const FtpClient::Limits &limits,
                               QObject *parent)
    : TransferWorker(runId, connectionOf(transfer, limits), parent)
    , m_transfer(transfer)
    , m_mode(effectiveMode(transfer))
    , m_folder(localFolder)
{
    const ConfigFileSet set(transfer.set);
    switch (m_mode) {
    case TransferMode::Download:
        m_remote = set.remotePaths();
        m_local = set.localNames();
        break;
    case TransferMode::Upload:
        if (transfer.set == ConfigFileSet::DaemonAdd) {
            m_remote = {QString::fromLatin1(ConfigFileSet::kDaemonFolder)};
            m_local = {transfer.daemon};
        } else {
            m_local = set.localNames();
            for (const QString &path : set.remotePaths())
                m_remote.append(path + QLatin1String(ConfigFileSet::kTemporarySuffix));
        }
        break;
    case TransferMode::Delete:
        if (!transfer.daemon.isEmpty())
            m_remote = {transfer.daemon};
        break;
    }
}

QString TGetConfThread::localPath(const QString &name) const
{
    if (QDir::isAbsolutePath(name))
        return name;
    return QDir(m_folder).filePath(name);
}

void TGetConfThread::step(int done)
{
    if (!m_remote.isEmpty())
        reportProgress(done, m_remote.size());
}

TransferResult TGetConfThread::check()
{
    TransferResult result;
    // Before any connection: a missing local file would otherwise be found only after
    // some of the set was already stored on the camera.
    if (m_mode == TransferMode::Upload) {
        for (const QString &name : std::as_const(m_local)) {
            if (name.isEmpty() || !QFileInfo(localPath(name)).isFile()) {
                result.outcome = TransferResult::Outcome::LocalFileMissing;
                result.missingLocal = name;
                return result;
            }
        }
    }
    return result;
}

void TGetConfThread::build(FtpJob &job, FtpClient &client)
{
    job.addStep([this] {
        step(0);
        return true;
    });
    switch (m_mode) {
    case TransferMode::Download:
        buildDownload(job, client);
        break;
    case TransferMode::Upload:
        buildUpload(job, client);
        break;
    case TransferMode::Delete:
        buildDelete(job, client);
        break;
    }
    if (ConfigFileSet(m_transfer.set).listsDaemonFolder())
        buildDaemonListing(job, client);
}

void TGetConfThread::buildDownload(FtpJob &job, FtpClient &client)
{
    for (int i = 0; i < m_remote.size(); ++i) {
        job.addStep([this, &client, i] {
            if (!client.retrieve(m_remote.at(i),
                                 localPath(m_local.at(i)) + QLatin1String(kPartialSuffix)))
                return false;
            step(i + 1);
            return true;
        });
    }
}

void TGetConfThread::buildUpload(FtpJob &job, FtpClient &client)
{
    const ConfigFileSet set(m_transfer.set);
    const bool temporary = set.usesTemporaryNames();
    for (int i = 0; i < m_remote.size(); ++i) {
        job.addStep([this, &client, i, temporary] {
            const QString local = localPath(m_local.at(i));
            QString target = m_remote.at(i);
            // A refused or broken store may still leave a partial file under the name.
            if (temporary)
                m_temporaries.append(target);
            bool stored = client.store(local, target);
            // A folder cannot be stored to; the file goes into it under its own name.
            if (!stored && target.endsWith(u'/') && !client.isAborted()) {
                target = FtpJob::fallbackName(target, local);
                stored = client.store(local, target);
            }
            if (!stored)
                return false;
            m_storedPath = target;
            step(i + 1);
            return true;
        });
    }
    if (!temporary)
        return;
    job.setCleanup([this, &client] { removeTemporaries(client); });
    for (const QString &finalPath : set.finishOrder()) {
        job.addStep([this, &client, finalPath] {
            if (!enterProtected())
                return false;
            // Kept even when the move fails: the final file may already be deleted, and
            // then this is the camera's only copy.
            m_temporaries.removeOne(finalPath + QLatin1String(ConfigFileSet::kTemporarySuffix));
            // One exchange: "DELE" (a camera that never had the file answers 550, which
            // is no error), "RNFR", "RNTO". Once it fails the final file may be gone.
            const bool ok = client.replace(
                finalPath + QLatin1String(ConfigFileSet::kTemporarySuffix), finalPath);
            if (!ok)
                m_lackingOnCamera = finalPath;
            leaveProtected();
            return ok;
        });
    }
    const QString site = set.siteAfterFinish();
    if (!site.isEmpty())
        job.addSite(site);
}

void TGetConfThread::buildDelete(FtpJob &job, FtpClient &client)
{
    for (const QString &path : std::as_const(m_remote))
        job.addDelete(path);
    job.addStep([this, &client] {
        Q_UNUSED(client);
        step(int(m_remote.size()));
        return true;
    });
}

void TGetConfThread::buildDaemonListing(FtpJob &job, FtpClient &client)
{
    if (m_transfer.set == ConfigFileSet::DaemonAdd) {
        job.addStep([this, &client] {
            return client.site(QStringLiteral("chmod 755 ") + m_storedPath);
        });
    }
    job.addChangeDirectory(QStringLiteral("etc"));
    job.addChangeDirectory(QStringLiteral("control_deamon"));
    job.addNameList();
}

// A failed upload takes its scratch names off the camera, which would otherwise keep them
// for good. Best effort: the job's failure stays the reason whatever happens here.
void TGetConfThread::removeTemporaries(FtpClient &client)
{
    if (m_temporaries.isEmpty() || client.isAborted())
        return;
    if (!client.isConnected()) {
        // A refused command or a broken transfer closed the connection. A short login of
        // its own: a camera that does not answer at once keeps the names.
        FtpClient::Limits quick = client.limits();
        quick.replyMs = qMin(quick.replyMs, kCleanupReplyMs);
        client.setLimits(quick);
        if (!client.connectToHost())
            return;
    }
    client.removeIfPresent(m_temporaries);
}

void TGetConfThread::conclude(TransferResult &result)
{
    result.lackingOnCamera = m_lackingOnCamera;
    if (m_mode != TransferMode::Download)
        return;
    if (result.ok() && !movePartialsIntoPlace()) {
        result.outcome = TransferResult::Outcome::TransferFailed;
        result.errorText = QStringLiteral("The fetched files could not take their names");
    }
    if (!result.ok())
        discardPartials();
}

void TGetConfThread::discardPartials() const
{
    for (const QString &name : m_local)
        QFile::remove(localPath(name) + QLatin1String(kPartialSuffix));
}

bool TGetConfThread::movePartialsIntoPlace() const
{
    for (const QString &name : m_local) {
        const QString target = localPath(name);
        const QString partial = target + QLatin1String(kPartialSuffix);
        // rename(2) replaces the old copy in one step; QFile::rename refuses to.
        if (std::rename(QFile::encodeName(partial).constData(),
                        QFile::encodeName(target).constData())
            != 0)
            return false;
    }
    return true;
}

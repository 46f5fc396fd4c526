#include "fileconfig/get_conf_thread.h"

#include "fileconfig/config_file_set.h"
#include "transfer/ftp_job.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include <cstdio>

std::atomic<int> TGetConfThread::s_running = 0;

namespace {

constexpr int kLoggedInPosition = 10;
constexpr int kFilesShare = 90;

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
    : QThread(parent)
    , m_runId(runId)
    , m_transfer(transfer)
    , m_folder(localFolder)
    , m_limits(limits)
{
    qRegisterMetaType<TGetConfThread::Result>();
    const ConfigFileSet set(transfer.set);
    switch (effectiveMode(transfer)) {
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
    ++s_running;
}

TGetConfThread::~TGetConfThread()
{
    // A worker is only destroyed after run() returned (or when it never started).
    wait();
}

void TGetConfThread::requestAbort()
{
    QMutexLocker lock(&m_abortMutex);
    m_abortRequested = true;
    if (m_client && !m_protected)
        m_client->abort();
}

bool TGetConfThread::enterProtected()
{
    QMutexLocker lock(&m_abortMutex);
    if (m_abortRequested)
        return false;
    m_protected = true;
    return true;
}

void TGetConfThread::leaveProtected()
{
    QMutexLocker lock(&m_abortMutex);
    m_protected = false;
    if (m_abortRequested && m_client)
        m_client->abort();
}

QString TGetConfThread::localPath(const QString &name) const
{
    if (QDir::isAbsolutePath(name))
        return name;
    return QDir(m_folder).filePath(name);
}

void TGetConfThread::step(int done)
{
    if (m_remote.isEmpty())
        return;
    Q_EMIT progress(m_runId, kLoggedInPosition + done * (kFilesShare / int(m_remote.size())));
}

void TGetConfThread::run()
{
    Result result;
    {
        FtpClient client;
        client.setHost(m_transfer.host);
        client.setPort(m_transfer.port);
        client.setUser(m_transfer.user);
        client.setPassword(m_transfer.password);
        client.setPassive(m_transfer.passive);
        client.setTransferType(m_transfer.transferType);
        client.setLimits(m_limits);
        {
            QMutexLocker lock(&m_abortMutex);
            m_client = &client;
            if (m_abortRequested)
                client.abort();
        }
        result = work(client);
        QMutexLocker lock(&m_abortMutex);
        m_client = nullptr;
    }
    if (effectiveMode(m_transfer) == TransferMode::Download) {
        if (result.code == 0 && !movePartialsIntoPlace())
            result.code = 1;
        if (result.code != 0)
            discardPartials();
    }
    --s_running;
    Q_EMIT threadDone(m_runId, result);
}

TGetConfThread::Result TGetConfThread::work(FtpClient &client)
{
    Result result;
    const TransferMode mode = effectiveMode(m_transfer);
    // Before any connection: a missing local file would otherwise be found only after
    // some of the set was already stored on the camera.
    if (mode == TransferMode::Upload) {
        for (const QString &name : std::as_const(m_local)) {
            if (name.isEmpty() || !QFileInfo(localPath(name)).isFile()) {
                result.code = 1;
                result.missingLocal = name;
                return result;
            }
        }
    }
    if (!client.connectToHost()) {
        result.code = 2;
        result.errorText = client.errorString();
        client.quit();
        return result;
    }
    step(0);

    bool ok = true;
    switch (mode) {
    case TransferMode::Download:
        ok = download(client, result);
        break;
    case TransferMode::Upload:
        ok = upload(client, result) && finishUpload(client, result);
        break;
    case TransferMode::Delete:
        for (const QString &path : std::as_const(m_remote)) {
            if (!(ok = client.remove(path)))
                break;
        }
        step(int(m_remote.size()));
        break;
    }
    if (ok && ConfigFileSet(m_transfer.set).listsDaemonFolder())
        ok = listDaemonFolder(client, m_storedPath, result);
    if (!ok) {
        result.code = 1;
        if (result.errorText.isEmpty())
            result.errorText = client.errorString();
        client.quit();
        return result;
    }
    if (!client.quit()) {
        result.code = 1;
        result.errorText = client.errorString();
        return result;
    }
    result.code = 0;
    return result;
}

bool TGetConfThread::download(FtpClient &client, Result &result)
{
    Q_UNUSED(result);
    for (int i = 0; i < m_remote.size(); ++i) {
        if (!client.retrieve(m_remote.at(i),
                             localPath(m_local.at(i)) + QLatin1String(kPartialSuffix)))
            return false;
        step(i + 1);
    }
    return true;
}

bool TGetConfThread::upload(FtpClient &client, Result &result)
{
    Q_UNUSED(result);
    for (int i = 0; i < m_remote.size(); ++i) {
        const QString local = localPath(m_local.at(i));
        QString target = m_remote.at(i);
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
    }
    return true;
}

bool TGetConfThread::finishUpload(FtpClient &client, Result &result)
{
    const ConfigFileSet set(m_transfer.set);
    if (!set.usesTemporaryNames())
        return true;
    for (const QString &finalPath : set.finishOrder()) {
        if (!replaceOnCamera(client, finalPath, result))
            return false;
    }
    const QString site = set.siteAfterFinish();
    return site.isEmpty() || client.site(site);
}

bool TGetConfThread::replaceOnCamera(FtpClient &client, const QString &finalPath, Result &result)
{
    if (!enterProtected()) {
        result.errorText = QStringLiteral("Aborted");
        return false;
    }
    // One exchange: "DELE" (a camera that never had the file answers 550, which is no
    // error), "RNFR", "RNTO". Once it fails the final file may already be gone.
    const bool ok = client.replace(
        finalPath + QLatin1String(ConfigFileSet::kTemporarySuffix), finalPath);
    if (!ok)
        result.lackingOnCamera = finalPath;
    leaveProtected();
    return ok;
}

bool TGetConfThread::listDaemonFolder(FtpClient &client, const QString &storedPath,
                                      Result &result)
{
    if (m_transfer.set == ConfigFileSet::DaemonAdd
        && !client.site(QStringLiteral("chmod 755 ") + storedPath))
        return false;
    return client.changeDirectory(QStringLiteral("etc"))
           && client.changeDirectory(QStringLiteral("control_deamon"))
           && client.nameList(&result.listing);
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

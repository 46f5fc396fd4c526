#include "transfer/ftp_job.h"

FtpJob::FtpJob(FtpClient *client, QObject *parent)
    : QObject(parent)
    , m_client(client)
{
}

FtpJob::~FtpJob() = default;

QString FtpJob::fallbackName(const QString &remoteName, const QString &localPath)
{
    const qsizetype cut = qMax(localPath.lastIndexOf(u'/'), localPath.lastIndexOf(u'\\'));
    return remoteName + localPath.mid(cut + 1);
}

void FtpJob::addStore(const QString &localPath, const QString &remoteName,
                      const FtpClient::StoreOptions &options)
{
    m_steps.push_back([this, localPath, remoteName, options] {
        if (!m_client->store(localPath, remoteName, options))
            return false;
        m_storedPath = remoteName;
        return true;
    });
}

void FtpJob::addStoreInto(const QString &localPath, const QString &remoteName)
{
    m_steps.push_back([this, localPath, remoteName] {
        // Only a folder name gets a second try: for a file name the fallback would be a
        // name nobody asked for ("/etc/ddns.conf.tmpddns.conf").
        const QString target =
            remoteName.endsWith(u'/') ? fallbackName(remoteName, localPath) : remoteName;
        if (!m_client->store(localPath, target))
            return false;
        m_storedPath = target;
        return true;
    });
}

void FtpJob::addRetrieve(const QString &remoteName, const QString &localPath)
{
    m_steps.push_back([this, remoteName, localPath] {
        return m_client->retrieve(remoteName, localPath);
    });
}

void FtpJob::addDelete(const QString &remotePath)
{
    m_steps.push_back([this, remotePath] { return m_client->remove(remotePath); });
}

void FtpJob::addRename(const QString &oldPath, const QString &newPath)
{
    m_steps.push_back([this, oldPath, newPath] { return m_client->rename(oldPath, newPath); });
}

void FtpJob::addReplace(const QString &tmpPath, const QString &finalPath)
{
    m_steps.push_back([this, tmpPath, finalPath] { return m_client->replace(tmpPath, finalPath); });
}

void FtpJob::addSite(const QString &command)
{
    m_steps.push_back([this, command] { return m_client->site(command); });
}

void FtpJob::addSiteOnStored(const QString &prefix)
{
    m_steps.push_back([this, prefix] { return m_client->site(prefix + m_storedPath); });
}

void FtpJob::addChangeDirectory(const QString &name)
{
    m_steps.push_back([this, name] { return m_client->changeDirectory(name); });
}

void FtpJob::addNameList()
{
    m_steps.push_back([this] { return m_client->nameList(&m_listing); });
}

void FtpJob::addStep(std::function<bool()> step)
{
    m_steps.push_back(std::move(step));
}

int FtpJob::finish(FtpOutcome outcome)
{
    const int code = int(outcome);
    Q_EMIT finished(code, m_error);
    return code;
}

int FtpJob::run()
{
    m_error.clear();
    m_storedPath.clear();
    m_listing.clear();
    m_lastReply.clear();
    const bool loggedIn = m_client->isConnected() ? m_client->resume(m_probe) : m_client->connectToHost();
    if (!loggedIn) {
        m_error = m_client->errorString();
        m_lastReply = m_client->lastReply();
        m_client->quit();
        return finish(FtpOutcome::ConnectFailed);
    }
    for (const auto &step : m_steps) {
        if (!step()) {
            m_error = m_client->errorString();
            m_lastReply = m_client->lastReply();
            if (m_cleanup)
                m_cleanup();
            m_client->quit();
            return finish(FtpOutcome::TransferFailed);
        }
    }
    m_lastReply = m_client->lastReply();
    if (m_keepOpen && m_client->isConnected())
        return finish(FtpOutcome::Done);
    if (!m_client->quit() && m_quitErrors == QuitErrors::Fail) {
        m_error = m_client->errorString();
        return finish(FtpOutcome::TransferFailed);
    }
    return finish(FtpOutcome::Done);
}

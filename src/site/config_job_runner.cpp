#include "site/config_job_runner.h"

#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/camera_backup.h"
#include "site/camera_outcome.h"
#include "site/config_job.h"
#include "site/restart_follower.h"

#include <QDir>

ConfigJobRunner::ConfigJobRunner(CameraNetwork &network, QObject *parent)
    : QObject(parent)
    , m_network(network)
{
    m_clock.setInterval(kClockMs);
    connect(&m_clock, &QTimer::timeout, this, &ConfigJobRunner::clockTick);
}

ConfigJobRunner::~ConfigJobRunner() = default;

QList<BatchResult> ConfigJobRunner::run(const QStringList &macs, const LoginEntry &login, const Start &start)
{
    m_macs = macs;
    m_login = login;
    m_start = start;
    m_out = QList<BatchResult>(macs.size());
    m_next = 0;
    m_done = 0;
    m_stopping = false;
    const UdpEndpoint::Hold listening(m_network.endpoint());
    QEventLoop loop;
    m_loop = &loop;
    startMore();
    if (m_done < m_macs.size() && !m_jobs.empty())
        loop.exec();
    m_loop = nullptr;
    for (int i = 0; i < m_macs.size(); ++i) {
        if (m_out[i].mac.isEmpty()) {
            m_out[i].mac = m_macs[i];
            m_out[i].verdict = QStringLiteral("not started");
            m_out[i].text = QStringLiteral("stopped before this camera");
            m_out[i].status = m_stopStatus;
        }
    }
    return m_out;
}

void ConfigJobRunner::stop(int status)
{
    if (!m_stopping)
        m_stopStatus = status;
    m_stopping = true;
    if (m_jobs.empty() && m_loop)
        m_loop->quit();
}

void ConfigJobRunner::startMore()
{
    while (!m_stopping && m_next < m_macs.size() && int(m_jobs.size()) < m_parallel) {
        const int index = m_next++;
        const QString &mac = m_macs[index];
        const int recordIndex = m_network.recordOfMac(mac);
        if (recordIndex < 0) {
            BatchResult r;
            r.mac = mac;
            r.verdict = QStringLiteral("not found");
            r.text = QStringLiteral("no camera with this MAC answered");
            r.status = CameraOutcome::Error;
            record(index, r);
            continue;
        }
        const TConfigItem &camera = m_network.registry().record(recordIndex);
        if (camera.addressInDoubt()) {
            // No login goes to an address that may be another device's.
            BatchResult r;
            r.mac = mac;
            r.verdict = QStringLiteral("address in doubt");
            r.text = camera.conflictText() + QStringLiteral("; nothing was sent");
            r.status = CameraOutcome::Error;
            record(index, r);
            continue;
        }
        const QString folder = QDir(m_scratch.path()).filePath(CameraBackup::folderName(mac));
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        auto job = std::make_unique<ConfigJob>(m_network, recordIndex, m_login, folder);
        ConfigJob *raw = job.get();
        connect(raw, &ConfigJob::ended, this, [this, index] {
            // The job may still be inside its own call stack: it goes on the next turn.
            QMetaObject::invokeMethod(this, [this, index] { jobDone(index); }, Qt::QueuedConnection);
        });
        m_jobs.emplace(index, std::move(job));
        emit jobStarted(index, mac);
        m_start(*raw);
    }
    emit statusChanged(QStringLiteral("%1 of %2 cameras done, %3 in progress")
                           .arg(m_done)
                           .arg(m_macs.size())
                           .arg(m_jobs.size()));
    if (m_jobs.empty() && (m_stopping || m_next >= m_macs.size()) && m_loop)
        m_loop->quit();
}

void ConfigJobRunner::jobDone(int index)
{
    const auto it = m_jobs.find(index);
    if (it == m_jobs.end())
        return;
    const ConfigJob &job = *it->second;
    BatchResult r;
    r.mac = m_macs[index];
    r.verdict = job.verdict();
    r.text = job.text();
    r.status = job.status();
    r.address = job.camera().Address;
    r.started = true;
    r.sent = job.sent();
    m_followers.erase(it->second.get());
    m_asked.erase(it->second.get());
    // Each camera's scratch files go with its job rather than all at the end, where a
    // long run's thousands of files would hold up the event loop at once.
    const QString folder = job.folder();
    m_jobs.erase(it);
    QDir(folder).removeRecursively();
    record(index, r);
    startMore();
}

void ConfigJobRunner::follow(ConfigJob &job, std::function<void(bool back)> then)
{
    const int row = m_network.list().rowOfRecord(job.record());
    if (row < 0) {
        QMetaObject::invokeMethod(this, [then] { then(false); }, Qt::QueuedConnection);
        return;
    }
    m_network.discovery().startCountdown(row, CameraList::Updating);
    m_followers[&job] = std::move(then);
    m_asked[&job].start();
    if (!m_clock.isActive())
        m_clock.start();
}

void ConfigJobRunner::clockTick()
{
    if (m_followers.empty()) {
        m_clock.stop();
        return;
    }
    m_network.discovery().pollTick();
    QList<ConfigJob *> ended;
    for (const auto &[job, then] : m_followers) {
        const RestartFollower follower(m_network, job->record());
        if (follower.state() != RestartFollower::State::Waiting) {
            ended << job;
            continue;
        }
        // Within half a tick counts: at a 500 ms clock the camera is asked every second.
        QElapsedTimer &asked = m_asked[job];
        if (asked.elapsed() + m_clock.interval() / 2 >= RestartFollower::kAskMs) {
            asked.start();
            follower.ask();
        }
    }
    for (ConfigJob *job : ended) {
        const auto then = std::move(m_followers[job]);
        m_followers.erase(job);
        m_asked.erase(job);
        then(RestartFollower(m_network, job->record()).state() == RestartFollower::State::Back);
    }
}

void ConfigJobRunner::record(int index, const BatchResult &result)
{
    m_out[index] = result;
    ++m_done;
    emit jobEnded(index, result);
}

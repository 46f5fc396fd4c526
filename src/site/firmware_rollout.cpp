#include "site/firmware_rollout.h"

#include "fileconfig/config_file_set.h"
#include "fileconfig/page_settings.h"
#include "fileconfig/system_info_config.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/camera_outcome.h"
#include "site/config_backup.h"
#include "site/config_job.h"
#include "site/config_job_runner.h"
#include "site/plan_log.h"
#include "site/report_text.h"
#include "site/run_sink.h"
#include "transfer/flash_job.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The software version general.conf in the folder gives, as the System Info page reads it.
std::optional<QString> versionIn(const QString &folder)
{
    SystemInfoSettings info;
    if (SystemInfoConfig::read(folder, info) != ConfigError::None)
        return std::nullopt;
    return PageText::fromBytes(info.softwareVersion);
}

// The camera's version now: general.conf fetched, then read.
void readVersion(ConfigJob &job, std::function<void(std::optional<QString>)> then)
{
    job.transfer(ConfigFileSet::SystemInfo, TransferMode::Download, [&job, then](ConfigJob::Outcome outcome) {
        then(outcome == ConfigJob::Outcome::Done ? versionIn(job.folder()) : std::nullopt);
    });
}

QString storeFailure(const TransferResult &r)
{
    const QString text = !r.lastReply.isEmpty() ? r.lastReply : r.errorText;
    return text.isEmpty() ? u"the upload failed"_s : text;
}

QString imageTagOf(const QString &path)
{
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (f.open(QIODevice::ReadOnly))
        hash.addData(&f);
    return QString::fromLatin1(hash.result().toHex().left(12));
}

BatchResult skipped(const QString &mac, const QString &text, int status = CameraOutcome::Error)
{
    BatchResult r;
    r.mac = mac;
    r.verdict = u"skipped"_s;
    r.text = text;
    r.status = status;
    return r;
}

} // namespace

FirmwareRollout::FirmwareRollout(CameraNetwork &network, const Job &job, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_job(job)
    , m_imageTag(imageTagOf(job.image))
{
}

FirmwareRollout::~FirmwareRollout() = default;

QString FirmwareRollout::step() const
{
    return u"firmware "_s + m_imageTag;
}

bool FirmwareRollout::isCanary(const QString &mac) const
{
    const qsizetype i = m_todo.indexOf(mac);
    return i >= 0 && i < m_job.canary;
}

QStringList FirmwareRollout::ofModel(CameraNetwork &network, const QStringList &macs, const QString &model)
{
    QStringList out;
    for (const QString &mac : macs) {
        if (network.registry().record(network.recordOfMac(mac)).modelNameText().compare(model, Qt::CaseInsensitive)
            == 0)
            out << mac;
    }
    return out;
}

QString FirmwareRollout::imageRefusal(const QString &image)
{
    if (FlashImageValid(image))
        return {};
    return u"%1 is not an image a camera takes: it must be a readable file of exactly %2 bytes"_s
        .arg(QDir::toNativeSeparators(image))
        .arg(kFlashImageSize);
}

QString FirmwareRollout::refusal(const QStringList &macs) const
{
    QStringList found;
    for (const QString &mac : macs) {
        if (m_network.recordOfMac(mac) >= 0)
            found << mac;
    }
    if (found.isEmpty())
        return {};
    // One model, of the family whose firmware this tool uploads.
    QStringList others, protocolFamily;
    const TConfigItem &first = m_network.registry().record(m_network.recordOfMac(found.first()));
    for (const QString &mac : found) {
        const TConfigItem &c = m_network.registry().record(m_network.recordOfMac(mac));
        if (!TConfigItem::isFileConfigured(c.modelCode()))
            protocolFamily << u"%1 (%2)"_s.arg(mac, ReportText::escaped(c.modelNameText()));
        else if (c.modelCode() != first.modelCode() || c.modelNameText() != first.modelNameText())
            others << u"%1 (%2)"_s.arg(mac, ReportText::escaped(c.modelNameText()));
    }
    if (!protocolFamily.isEmpty()) {
        return u"these cameras take no firmware upload from this tool; nothing was sent: %1"_s.arg(
            protocolFamily.join(u", "_s));
    }
    if (!others.isEmpty()) {
        return u"the list mixes models: these are not %1 like %2; nothing was sent: %3"_s.arg(
            ReportText::escaped(first.modelNameText()), found.first(), others.join(u", "_s));
    }
    return {};
}

void FirmwareRollout::plan(const QStringList &macs, const QList<QJsonObject> &logRecords)
{
    m_macs = macs;
    m_todo.clear();
    m_results.clear();
    m_earlier.clear();
    m_found = 0;
    const FirmwareHistory history = FirmwareHistory::of(logRecords, m_imageTag, step());
    for (const QString &mac : macs) {
        const int record = m_network.recordOfMac(mac);
        if (record < 0) {
            m_results[mac] = skipped(mac, u"no camera with this MAC answered"_s);
            continue;
        }
        ++m_found;
        // Cameras a run with this log and image already updated are not sent it again;
        // those it may have sent it to are judged by their version.
        const FirmwareHistory::Camera earlier = history.camera(mac);
        if (earlier.state == FirmwareHistory::State::Sent)
            m_earlier.insert(mac, earlier);
        if (earlier.state == FirmwareHistory::State::Updated) {
            BatchResult r;
            r.mac = mac;
            r.verdict = u"updated"_s;
            r.text = u"updated by an earlier run (log)"_s;
            r.address = m_network.registry().record(record).Address;
            m_results[mac] = r;
        } else {
            m_todo << mac;
        }
    }
}

QList<BatchResult> FirmwareRollout::run(RunSink &sink, const LoginEntry &login, PlanLog *log)
{
    m_log = log;
    ConfigJobRunner runner(m_network);
    runner.setParallel(m_job.parallel);
    // The front end shows the cameras in flight, not the runner's one-line status.
    sink.attach(runner, false);
    int ended = 0;
    const int all = int(m_todo.size());
    connect(&runner, &ConfigJobRunner::jobEnded, this, [this, &ended, all](int, const BatchResult &r) {
        emit cameraEnded(r);
        emit countsChanged(++ended, all);
    });
    auto start = [this, &runner](ConfigJob &job) { startCamera(job, runner); };
    emit countsChanged(0, all);
    auto keep = [this](const QList<BatchResult> &list) {
        for (const BatchResult &r : list) {
            const bool notStarted = r.verdict == u"not started"_s;
            m_results[r.mac] = notStarted ? skipped(r.mac, u"stopped before this camera"_s, r.status) : r;
        }
    };
    const QStringList canaries = m_todo.mid(0, m_job.canary);
    const QStringList rest = m_todo.mid(m_job.canary);
    const QList<BatchResult> first = runner.run(canaries, login, start);
    keep(first);
    const bool canariesUpdated = std::all_of(first.begin(), first.end(),
                                             [](const BatchResult &r) { return r.status == CameraOutcome::Ok; });
    if (!canariesUpdated) {
        for (const QString &mac : rest)
            m_results[mac] = skipped(mac, u"not started: a canary was not updated"_s);
    } else if (const int stopped = sink.stopStatus(); stopped == 0) {
        keep(runner.run(rest, login, start));
    } else {
        for (const QString &mac : rest)
            m_results[mac] = skipped(mac, u"stopped before this camera"_s, stopped);
    }
    sink.clearStatus();
    m_log = nullptr;
    QList<BatchResult> ordered;
    for (const QString &mac : m_macs)
        ordered << m_results[mac];
    return ordered;
}

bool FirmwareRollout::log(ConfigJob &job, const QString &step, const QString &result, const QString &message,
                          const QJsonObject &extra, bool synced)
{
    return !m_log || m_log->append(job.mac(), step, result, job.camera().Address, message, extra,
                                   synced ? PlanLog::Durability::Synced : PlanLog::Durability::Written);
}

// The camera's version now decides for a camera an earlier run may have sent the image
// to: it is never sent twice.
void FirmwareRollout::judgeEarlier(const FirmwareHistory::Camera &earlier, const QString &now, const End &end) const
{
    const bool updated = m_job.expectVersion ? now == *m_job.expectVersion : now != earlier.versionBefore;
    if (updated) {
        end(u"updated"_s, u"updated by an earlier run: version %1 → %2"_s.arg(earlier.versionBefore, now),
            CameraOutcome::Ok);
    } else if (earlier.acknowledged) {
        end(u"wrong version"_s,
            u"the camera took this image at %1 and still reports version %2; it is not sent twice"_s.arg(
                earlier.time, now),
            CameraOutcome::Refused);
    } else {
        end(u"skipped"_s,
            u"a run began sending this image at %1 and did not see the end; the camera reports version %2 "
            u"as before and may still be writing its flash: nothing was sent. Once it has restarted and "
            u"still reports %2, take its lines of this image out of the log to send it again"_s.arg(
                earlier.time, now),
            CameraOutcome::Error);
    }
}

// One camera: its backup when asked, its version, the image, its restart and its
// version again.
void FirmwareRollout::startCamera(ConfigJob &job, ConfigJobRunner &runner)
{
    const QString mac = job.mac();
    connect(&job, &ConfigJob::flashProgress, &job,
            [this, mac](qint64 done, qint64 total) { emit bytesSent(mac, done, total); });
    End end = [this, &job, mac](const QString &verdict, const QString &text, int status) {
        log(job, step(), status == CameraOutcome::Ok ? u"done"_s : u"failed"_s, verdict + u": "_s + text);
        emit cameraLeft(mac);
        job.finish(verdict, text, status);
    };
    if (m_job.backupDir.isEmpty()) {
        emit phaseChanged(mac, u"reading the version"_s);
        readVersion(job, [this, &job, &runner, end](std::optional<QString> before) {
            uploadFrom(job, runner, before, end);
        });
        return;
    }
    emit phaseChanged(mac, u"backing up"_s);
    ConfigBackup::backUp(
        job, m_job.backupDir, QDateTime::currentDateTimeUtc(),
        [this, &job, &runner, end](const QString &path) {
            log(job, u"backup"_s, u"done"_s, QDir::toNativeSeparators(path));
            // The backup fetched general.conf into the job's folder.
            uploadFrom(job, runner, versionIn(job.folder()), end);
        },
        [end](const QString &text, int) { end(u"skipped"_s, u"the backup failed: "_s + text, CameraOutcome::Error); });
}

void FirmwareRollout::uploadFrom(ConfigJob &job, ConfigJobRunner &runner, std::optional<QString> before,
                                 const End &end)
{
    if (!before) {
        end(u"refused"_s, job.failureText(), ConfigJob::statusOf(ConfigJob::Outcome::LoginRefused));
        return;
    }
    if (const auto earlier = m_earlier.constFind(job.mac()); earlier != m_earlier.cend()) {
        judgeEarlier(*earlier, *before, end);
        return;
    }
    // A camera that already runs the version wanted (one that came back late from an
    // earlier run, say) is not flashed again.
    if (m_job.expectVersion && *before == *m_job.expectVersion) {
        end(u"updated"_s, u"already at version %1; nothing was sent"_s.arg(*before), CameraOutcome::Ok);
        return;
    }
    upload(job, runner, *before, end);
}

void FirmwareRollout::upload(ConfigJob &job, ConfigJobRunner &runner, const QString &before, const End &end)
{
    const QString mac = job.mac();
    const QJsonObject fields = FirmwareHistory::uploadFields(m_imageTag, before);
    const QString uploadStep = FirmwareHistory::uploadStep();
    // On the disk before the first byte: whatever ends this run, the next one knows the
    // camera may have the image.
    if (!log(job, uploadStep, u"started"_s, u"version "_s + before, fields, true)) {
        end(u"skipped"_s, u"the log cannot be written; nothing was sent"_s, CameraOutcome::Local);
        return;
    }
    emit phaseChanged(mac, u"uploading"_s);
    auto allOut = std::make_shared<bool>(false);
    connect(&job, &ConfigJob::flashProgress, &job, [allOut](qint64 done, qint64 total) {
        *allOut = *allOut || (total > 0 && done >= total);
    });
    const FlashJob flash = FlashJob::firmwareImage(FtpConnection::forCamera(job.camera()), m_job.image,
                                                   !m_job.allData);
    job.flash(flash, [this, &job, &runner, end, mac, before, fields, uploadStep, allOut](const TransferResult &r) {
        if (!r.ok()) {
            QString text = storeFailure(r);
            // Cut off before its last byte the camera drops the image; after it, it may
            // be writing its flash.
            if (!*allOut)
                log(job, uploadStep, u"failed"_s, text, fields);
            else
                text += u"; the whole image was out: a run with this log reads the camera's version "
                        u"before sending it again"_s;
            const bool login = r.outcome == TransferResult::Outcome::ConnectFailed;
            end(u"refused"_s, text, login ? CameraOutcome::AuthFailed : CameraOutcome::Refused);
            return;
        }
        log(job, uploadStep, u"sent"_s, QString(), fields);
        emit phaseChanged(mac, u"restarting"_s);
        runner.follow(job, [this, &job, end, mac, before](bool back) {
            if (!back) {
                end(u"not back"_s, u"the camera did not answer within 60 s of its restart"_s, CameraOutcome::NotBack);
                return;
            }
            emit phaseChanged(mac, u"reading the version"_s);
            readVersion(job, [this, &job, end, before](std::optional<QString> after) {
                if (!after) {
                    end(u"wrong version"_s, u"the version cannot be read back: "_s + job.failureText(),
                        CameraOutcome::Refused);
                    return;
                }
                const std::optional<QString> &expect = m_job.expectVersion;
                if (expect ? *after != *expect : *after == before) {
                    end(u"wrong version"_s,
                        expect ? u"version %1, not %2"_s.arg(*after, *expect) : u"still version %1"_s.arg(*after),
                        CameraOutcome::Refused);
                    return;
                }
                end(u"updated"_s, u"version %1 → %2"_s.arg(before, *after), CameraOutcome::Ok);
            });
        });
    });
}

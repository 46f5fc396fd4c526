#include "zoractl/firmware_command.h"

#include "site/config_job.h"
#include "site/config_job_runner.h"
#include "zoractl/batch_command.h"
#include "site/firmware_history.h"
#include "zoractl/firmware_in_flight.h"
#include "site/plan_log.h"
#include "zoractl/option_values.h"
#include "zoractl/console.h"
#include "zoractl/command_context.h"
#include "site/camera_outcome.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/system_info_config.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "transfer/flash_job.h"
#include "transfer/transfer_worker.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>

#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultParallel = 4;
constexpr int kDefaultCanary = 1;

struct Rollout {
    QString image;
    QString imageTag;          // the first twelve hex digits of the image's SHA-256
    bool allData = false;
    std::optional<QString> expectVersion;
    QString backupDir;
    PlanLog *log = nullptr;
    // Cameras an earlier run sent this image to without seeing them updated.
    QHash<QString, FirmwareHistory::Camera> earlier;
    QString step() const { return u"firmware "_s + imageTag; }
};

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

// The camera's version now decides for a camera an earlier run may have sent the image
// to: it is never sent twice.
void judgeEarlier(const Rollout &plan, const FirmwareHistory::Camera &earlier, const QString &now,
                  const std::function<void(const QString &, const QString &, int)> &end)
{
    const bool updated = plan.expectVersion ? now == *plan.expectVersion : now != earlier.versionBefore;
    if (updated) {
        end(u"updated"_s, u"updated by an earlier run: version %1 → %2"_s.arg(earlier.versionBefore, now), ExitOk);
    } else if (earlier.acknowledged) {
        end(u"wrong version"_s,
            u"the camera took this image at %1 and still reports version %2; it is not sent twice"_s.arg(
                earlier.time, now),
            ExitRefused);
    } else {
        end(u"skipped"_s,
            u"a run began sending this image at %1 and did not see the end; the camera reports version %2 "
            u"as before and may still be writing its flash: nothing was sent. Once it has restarted and "
            u"still reports %2, take its lines of this image out of the log to send it again"_s.arg(
                earlier.time, now),
            ExitError);
    }
}

// One camera: its backup when asked, its version, the image, its restart and its
// version again.
void startCamera(ConfigJob &job, ConfigJobRunner &runner, const Rollout &plan, FirmwareInFlight &shown)
{
    const QString mac = job.mac();
    QObject::connect(&job, &ConfigJob::flashProgress, &job,
                     [&shown, mac](qint64 done, qint64 total) { shown.bytes(mac, done, total); });
    auto log = [&job, &plan](const QString &step, const QString &result, const QString &message,
                             const QJsonObject &extra = {},
                             PlanLog::Durability durability = PlanLog::Durability::Written) {
        return !plan.log || plan.log->append(job.mac(), step, result, job.camera().Address, message, extra, durability);
    };
    auto end = [&job, &plan, &shown, log, mac](const QString &verdict, const QString &text, int status) {
        log(plan.step(), status == ExitOk ? u"done"_s : u"failed"_s, verdict + u": "_s + text);
        shown.remove(mac);
        job.finish(verdict, text, status);
    };
    auto upload = [&job, &runner, &plan, &shown, log, end, mac](const QString &before) {
        const QJsonObject fields = FirmwareHistory::uploadFields(plan.imageTag, before);
        const QString uploadStep = FirmwareHistory::uploadStep();
        // On the disk before the first byte: whatever ends this run, the next one knows
        // the camera may have the image.
        if (!log(uploadStep, u"started"_s, u"version "_s + before, fields, PlanLog::Durability::Synced)) {
            end(u"skipped"_s, u"the log cannot be written; nothing was sent"_s, ExitLocal);
            return;
        }
        shown.phase(mac, u"uploading"_s);
        auto allOut = std::make_shared<bool>(false);
        QObject::connect(&job, &ConfigJob::flashProgress, &job, [allOut](qint64 done, qint64 total) {
            *allOut = *allOut || (total > 0 && done >= total);
        });
        const FlashJob flash = FlashJob::firmwareImage(FtpConnection::forCamera(job.camera()), plan.image,
                                                       !plan.allData);
        job.flash(flash, [&job, &runner, &plan, &shown, log, end, mac, before, fields, uploadStep,
                          allOut](const TransferResult &r) {
            if (!r.ok()) {
                QString text = storeFailure(r);
                // Cut off before its last byte the camera drops the image; after it, it
                // may be writing its flash.
                if (!*allOut)
                    log(uploadStep, u"failed"_s, text, fields);
                else
                    text += u"; the whole image was out: a run with this log reads the camera's version "
                            u"before sending it again"_s;
                end(u"refused"_s, text, r.outcome == TransferResult::Outcome::ConnectFailed ? ExitAuth : ExitRefused);
                return;
            }
            log(uploadStep, u"sent"_s, QString(), fields);
            shown.phase(mac, u"restarting"_s);
            runner.follow(job, [&job, &plan, &shown, end, mac, before](bool back) {
                if (!back) {
                    end(u"not back"_s, u"the camera did not answer within 60 s of its restart"_s, ExitNotBack);
                    return;
                }
                shown.phase(mac, u"reading the version"_s);
                readVersion(job, [&job, &plan, end, before](std::optional<QString> after) {
                    if (!after) {
                        end(u"wrong version"_s, u"the version cannot be read back: "_s + job.failureText(),
                            ExitRefused);
                        return;
                    }
                    const bool expected = plan.expectVersion ? *after == *plan.expectVersion : *after != before;
                    if (!expected) {
                        end(u"wrong version"_s,
                            plan.expectVersion ? u"version %1, not %2"_s.arg(*after, *plan.expectVersion)
                                               : u"still version %1"_s.arg(*after),
                            ExitRefused);
                        return;
                    }
                    end(u"updated"_s, u"version %1 → %2"_s.arg(before, *after), ExitOk);
                });
            });
        });
    };
    auto uploadFrom = [&job, &plan, end, upload, mac](std::optional<QString> before) {
        if (!before) {
            end(u"refused"_s, job.failureText(), ConfigJob::statusOf(ConfigJob::Outcome::LoginRefused));
            return;
        }
        if (const auto earlier = plan.earlier.constFind(mac); earlier != plan.earlier.cend()) {
            judgeEarlier(plan, *earlier, *before, end);
            return;
        }
        // A camera that already runs the version wanted (one that came back late from an
        // earlier run, say) is not flashed again.
        if (plan.expectVersion && *before == *plan.expectVersion) {
            end(u"updated"_s, u"already at version %1; nothing was sent"_s.arg(*before), ExitOk);
            return;
        }
        upload(*before);
    };
    if (plan.backupDir.isEmpty()) {
        shown.phase(mac, u"reading the version"_s);
        readVersion(job, uploadFrom);
        return;
    }
    shown.phase(mac, u"backing up"_s);
    BatchCommand::backUp(
        job, plan.backupDir, QDateTime::currentDateTimeUtc(),
        [&job, log, uploadFrom](const QString &path) {
            log(u"backup"_s, u"done"_s, QDir::toNativeSeparators(path));
            // The backup fetched general.conf into the job's folder.
            uploadFrom(versionIn(job.folder()));
        },
        [end](const QString &text, int) { end(u"skipped"_s, u"the backup failed: "_s + text, ExitError); });
}

QString imageTag(const QString &path)
{
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (f.open(QIODevice::ReadOnly))
        hash.addData(&f);
    return QString::fromLatin1(hash.result().toHex().left(12));
}

BatchResult skipped(const QString &mac, const QString &text, int status = ExitError)
{
    BatchResult r;
    r.mac = mac;
    r.verdict = u"skipped"_s;
    r.text = text;
    r.status = status;
    return r;
}

} // namespace

CommandSyntax FirmwareCommand::syntax()
{
    return {u"firmware"_s,
            u"firmware --image FILE (MAC... | --cameras FILE | --model NAME) --user ID [--all-data] "
            u"[--parallel N] [--canary K] [--expect-version V] [--backup DIR] [--log FILE] [--dry-run] "
            u"[--json]"_s,
            uR"x(Updates the firmware of many cameras of one model. Before anything is sent the
image must be one a camera takes (exactly 3145752 bytes), the cameras are found by
one scan, and a list that mixes models (or holds cameras this tool cannot update)
is refused as a whole. The first K cameras (the canaries) go alone; the others
start only when every canary came back and reports the expected version. Each
camera: its software version is read (general.conf), the image goes up, the camera
is followed through its restart as the presence poll does (asked every 10 s for
60 s) and its version read again. Results: updated, refused (the FTP error), not
back, wrong version, skipped. Exit 0 only when every camera was updated.
  --image FILE        the firmware image
  --model NAME        every camera of this model that answers
  --cameras FILE      the MACs listed in FILE (one a line, '#' starts a comment)
  --all-data          write the whole flash ("flash_all": the camera comes back
                      with factory settings); else the kernel only
  --parallel N        at most N cameras at once after the canaries (default 4)
  --canary K          cameras that go first, alone (default 1; 0: none)
  --expect-version V  the version an updated camera reports; else any version
                      other than the one before
  --backup DIR        first back up each camera's configuration as config backup
                      does; a camera whose backup fails is skipped
  --log FILE          append a JSON line per camera and step; a second run with
                      the same log and image skips the cameras already updated
  --dry-run           print the plan; send nothing
  --json              the results as JSON
Ctrl-C, SIGTERM and SIGHUP start no new camera; uploads in flight finish (a camera
writing its flash is never cut off). Each upload is in the log before its first
byte is sent: a camera a run may have sent the image to is judged by its version
and never sent the same image twice.)x"_s
                + BatchCommand::cameraHelp(),
            BatchCommand::cameraOptions()
                + QList<OptionSpec>{{u"--image"_s, 1, 1},          {u"--cameras"_s, 1, 1},
                                    {u"--model"_s, 1, 1},          {u"--all-data"_s, 0, 0},
                                    {u"--canary"_s, 1, 1},         {u"--expect-version"_s, 1, 1},
                                    {u"--backup"_s, 1, 1},         {u"--log"_s, 1, 1},
                                    {u"--dry-run"_s, 0, 0},        {u"--json"_s, 0, 0}},
            0};
}

int FirmwareCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    auto fail = [&context](const QString &text, int status = ExitUsage) {
        context.console.err(text);
        return status;
    };
    if (!p.has(u"--image"_s))
        return fail(u"--image FILE is required"_s);
    Rollout plan;
    plan.image = p.value(u"--image"_s);
    if (!FlashImageValid(plan.image)) {
        return fail(u"%1 is not an image a camera takes: it must be a readable file of exactly %2 bytes"_s
                        .arg(QDir::toNativeSeparators(plan.image))
                        .arg(kFlashImageSize));
    }
    plan.imageTag = imageTag(plan.image);
    plan.allData = p.has(u"--all-data"_s);
    plan.expectVersion = p.optional(u"--expect-version"_s);
    plan.backupDir = p.value(u"--backup"_s);
    auto macs = BatchCommand::macsOf(context, p, nullptr);
    if (!macs)
        return ExitUsage;
    const bool byModel = p.has(u"--model"_s);
    if (macs->isEmpty() == !byModel)
        return fail(u"name the cameras: MAC..., --cameras FILE or --model NAME (one of them)"_s);
    const auto wait = OptionValues::timeoutMs(p, &error);
    const auto parallel = wait ? OptionValues::count(p, u"--parallel"_s, kDefaultParallel, 1, &error) : std::nullopt;
    const auto canary = parallel ? OptionValues::count(p, u"--canary"_s, kDefaultCanary, 0, &error) : std::nullopt;
    if (!canary)
        return fail(error);
    const bool dryRun = p.has(u"--dry-run"_s);
    std::optional<LoginEntry> login = LoginEntry{};
    if (!dryRun && !(login = OptionValues::credentials(p, context, &error)))
        return fail(error);
    if (!plan.backupDir.isEmpty() && !QDir().mkpath(plan.backupDir))
        return fail(u"cannot make the folder %1"_s.arg(QDir::toNativeSeparators(plan.backupDir)), ExitLocal);

    if (const auto trouble = BatchCommand::locate(context, *macs, byModel, *wait))
        return *trouble;
    CameraNetwork &network = context.network;
    if (byModel) {
        const QString model = p.value(u"--model"_s);
        macs->removeIf([&network, &model](const QString &mac) {
            return network.registry().record(network.recordOfMac(mac)).modelNameText().compare(model, Qt::CaseInsensitive)
                   != 0;
        });
        if (macs->isEmpty())
            return fail(u"no camera of model %1 answered"_s.arg(model), ExitError);
    }

    // One model, of the family whose firmware this tool uploads; anything else refuses
    // the whole list before a byte is sent.
    std::map<QString, BatchResult> results;
    QStringList found;
    for (const QString &mac : *macs) {
        if (network.recordOfMac(mac) < 0)
            results[mac] = skipped(mac, u"no camera with this MAC answered"_s);
        else
            found << mac;
    }
    QStringList others, protocolFamily;
    if (!found.isEmpty()) {
        const TConfigItem &first = network.registry().record(network.recordOfMac(found.first()));
        for (const QString &mac : found) {
            const TConfigItem &c = network.registry().record(network.recordOfMac(mac));
            if (!TConfigItem::isFileConfigured(c.modelCode()))
                protocolFamily << u"%1 (%2)"_s.arg(mac, OptionValues::escaped(c.modelNameText()));
            else if (c.modelCode() != first.modelCode() || c.modelNameText() != first.modelNameText())
                others << u"%1 (%2)"_s.arg(mac, OptionValues::escaped(c.modelNameText()));
        }
        if (!protocolFamily.isEmpty()) {
            return fail(u"these cameras take no firmware upload from this tool; nothing was sent: %1"_s.arg(
                protocolFamily.join(u", "_s)));
        }
        if (!others.isEmpty()) {
            return fail(u"the list mixes models: these are not %1 like %2; nothing was sent: %3"_s.arg(
                OptionValues::escaped(first.modelNameText()), found.first(), others.join(u", "_s)));
        }
    }

    // Cameras a run with this log and image already updated are not sent it again; those
    // it may have sent it to are judged by their version.
    QString logError;
    const FirmwareHistory history =
        FirmwareHistory::of(p.has(u"--log"_s) ? PlanLog::records(p.value(u"--log"_s), &logError) : QList<QJsonObject>(),
                            plan.imageTag, plan.step());
    if (!logError.isEmpty())
        return fail(logError, ExitLocal);
    QStringList todo;
    for (const QString &mac : found) {
        const FirmwareHistory::Camera earlier = history.camera(mac);
        if (earlier.state == FirmwareHistory::State::Sent)
            plan.earlier.insert(mac, earlier);
        if (earlier.state == FirmwareHistory::State::Updated) {
            BatchResult r;
            r.mac = mac;
            r.verdict = u"updated"_s;
            r.text = u"updated by an earlier run (log)"_s;
            r.address = network.registry().record(network.recordOfMac(mac)).Address;
            results[mac] = r;
        } else {
            todo << mac;
        }
    }
    const QStringList canaries = todo.mid(0, *canary);
    const QStringList rest = todo.mid(*canary);

    if (dryRun) {
        const QString sentEarlier =
            plan.earlier.isEmpty()
                ? QString()
                : u" (%1 sent it by an earlier run: their version decides, it is not sent again)"_s.arg(
                      plan.earlier.size());
        context.console.out(u"image %1 (SHA-256 %2…), %3; %4 camera(s) to update, %5 already updated%6"_s
                                .arg(QDir::toNativeSeparators(plan.image), plan.imageTag,
                                     plan.allData ? u"the whole flash"_s : u"the kernel"_s)
                                .arg(todo.size())
                                .arg(found.size() - todo.size())
                                .arg(sentEarlier));
        const QString row = u"%1  %2  %3  %4  %5"_s;
        context.console.out(row.arg(u"STAGE"_s, -6).arg(u"MAC"_s, -17).arg(u"MODEL"_s, -8).arg(u"ADDRESS"_s, -15)
                                .arg(u"HOST"_s));
        for (const QString &mac : todo) {
            const TConfigItem &c = network.registry().record(network.recordOfMac(mac));
            context.console.out(row.arg(canaries.contains(mac) ? u"canary"_s : u"then"_s, -6)
                                    .arg(mac, -17)
                                    .arg(OptionValues::escaped(c.modelNameText()), -8)
                                    .arg(c.Address, -15)
                                    .arg(OptionValues::escaped(c.hostNameText())));
        }
        return ExitOk;
    }

    PlanLog log(p.value(u"--log"_s));
    if (p.has(u"--log"_s)) {
        if (!log.open(&error))
            return fail(error, ExitLocal);
        plan.log = &log;
    }
    ConfigJobRunner runner(network);
    // The in-flight lines stand in for the runner's one-line status.
    BatchCommand::prepare(runner, context, *parallel, BatchCommand::Progress::EndingsOnly);
    FirmwareInFlight shown(context.console);
    int ended = 0;
    const int all = int(todo.size());
    QObject::connect(&runner, &ConfigJobRunner::jobEnded, &runner,
                     [&shown, &ended, all](int, const BatchResult &) { shown.setCounts(++ended, all); });
    auto start = [&runner, &plan, &shown](ConfigJob &job) { startCamera(job, runner, plan, shown); };
    shown.setCounts(0, all);
    auto keep = [&results](const QList<BatchResult> &list) {
        for (const BatchResult &r : list)
            results[r.mac] = r.verdict == u"not started"_s ? skipped(r.mac, u"stopped before this camera"_s, r.status)
                                                           : r;
    };
    const QList<BatchResult> first = runner.run(canaries, *login, start);
    keep(first);
    const bool canariesUpdated =
        std::all_of(first.begin(), first.end(), [](const BatchResult &r) { return r.status == ExitOk; });
    if (!canariesUpdated) {
        for (const QString &mac : rest)
            results[mac] = skipped(mac, u"not started: a canary was not updated"_s);
    } else if (!OptionValues::interrupted(context)) {
        keep(runner.run(rest, *login, start));
    } else {
        for (const QString &mac : rest)
            results[mac] = skipped(mac, u"stopped before this camera"_s, OptionValues::stoppedStatus(context));
    }
    context.console.clearStatus();

    QList<BatchResult> ordered;
    for (const QString &mac : *macs)
        ordered << results[mac];
    return BatchCommand::report(context, ordered, u"updated"_s, p.has(u"--json"_s));
}

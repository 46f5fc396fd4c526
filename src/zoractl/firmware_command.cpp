#include "zoractl/firmware_command.h"

#include "fileconfig/private_folder.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/firmware_rollout.h"
#include "site/plan_log.h"
#include "site/report_text.h"
#include "zoractl/batch_command.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/console_sink.h"
#include "zoractl/exit_status.h"
#include "zoractl/firmware_in_flight.h"
#include "zoractl/option_values.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultParallel = 4;
constexpr int kDefaultCanary = 1;

// The plan of a dry run: the image, then a line a camera to update.
void printPlan(CommandContext &context, const FirmwareRollout &rollout, const FirmwareRollout::Job &job)
{
    const QString sentEarlier =
        rollout.sentEarlier() == 0
            ? QString()
            : u" (%1 sent it by an earlier run: their version decides, it is not sent again)"_s.arg(
                  rollout.sentEarlier());
    context.console.out(u"image %1 (SHA-256 %2…), %3; %4 camera(s) to update, %5 already updated%6"_s
                            .arg(QDir::toNativeSeparators(job.image), rollout.imageTag(),
                                 job.allData ? u"the whole flash"_s : u"the kernel"_s)
                            .arg(rollout.toUpdate().size())
                            .arg(rollout.alreadyUpdated())
                            .arg(sentEarlier));
    const QString row = u"%1  %2  %3  %4  %5"_s;
    context.console.out(row.arg(u"STAGE"_s, -6).arg(u"MAC"_s, -17).arg(u"MODEL"_s, -8).arg(u"ADDRESS"_s, -15)
                            .arg(u"HOST"_s));
    CameraNetwork &network = context.network;
    for (const QString &mac : rollout.toUpdate()) {
        const TConfigItem &c = network.registry().record(network.recordOfMac(mac));
        context.console.out(row.arg(rollout.isCanary(mac) ? u"canary"_s : u"then"_s, -6)
                                .arg(mac, -17)
                                .arg(ReportText::escaped(c.modelNameText()), -8)
                                .arg(c.Address, -15)
                                .arg(ReportText::escaped(c.hostNameText())));
    }
}

// The same plan for scripts.
void printPlanJson(CommandContext &context, const FirmwareRollout &rollout, const FirmwareRollout::Job &job)
{
    CameraNetwork &network = context.network;
    QJsonArray cameras;
    for (const QString &mac : rollout.toUpdate()) {
        const TConfigItem &c = network.registry().record(network.recordOfMac(mac));
        cameras.append(QJsonObject{{u"mac"_s, mac},
                                   {u"stage"_s, rollout.isCanary(mac) ? u"canary"_s : u"then"_s},
                                   {u"model"_s, c.modelNameText()},
                                   {u"address"_s, c.Address},
                                   {u"host"_s, c.hostNameText()}});
    }
    const QJsonObject doc{{u"image"_s, QDir::toNativeSeparators(job.image)},
                          {u"image_tag"_s, rollout.imageTag()},
                          {u"all_data"_s, job.allData},
                          {u"to_update"_s, cameras},
                          {u"already_updated"_s, rollout.alreadyUpdated()},
                          {u"sent_earlier"_s, rollout.sentEarlier()}};
    context.console.outRaw(QJsonDocument(doc).toJson(QJsonDocument::Indented));
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
  --json              the results as JSON (a camera's "sent": the image went
                      to it in this run); with --dry-run the plan: "to_update"
                      ({"mac", "stage", ...}), "already_updated", "sent_earlier"
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
    FirmwareRollout::Job job;
    job.image = p.value(u"--image"_s);
    if (const QString refusal = FirmwareRollout::imageRefusal(job.image); !refusal.isEmpty())
        return fail(refusal);
    job.allData = p.has(u"--all-data"_s);
    job.expectVersion = p.optional(u"--expect-version"_s);
    job.backupDir = p.value(u"--backup"_s);
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
    job.parallel = *parallel;
    job.canary = *canary;
    const bool dryRun = p.has(u"--dry-run"_s);
    std::optional<LoginEntry> login = LoginEntry{};
    if (!dryRun && !(login = OptionValues::credentials(p, context, &error)))
        return fail(error);
    if (!job.backupDir.isEmpty() && !PrivateFolder::makeRoot(job.backupDir))
        return fail(u"cannot make the folder %1"_s.arg(QDir::toNativeSeparators(job.backupDir)), ExitLocal);

    if (const auto trouble = BatchCommand::locate(context, *macs, byModel, *wait))
        return *trouble;
    if (byModel) {
        const QString model = p.value(u"--model"_s);
        *macs = FirmwareRollout::ofModel(context.network, *macs, model);
        if (macs->isEmpty())
            return fail(u"no camera of model %1 answered"_s.arg(model), ExitError);
    }
    FirmwareRollout rollout(context.network, job);
    // Anything but one model this tool updates refuses the whole list before a byte is sent.
    if (const QString refusal = rollout.refusal(*macs); !refusal.isEmpty())
        return fail(refusal);
    QString logError;
    const QList<QJsonObject> earlier =
        p.has(u"--log"_s) ? PlanLog::records(p.value(u"--log"_s), &logError) : QList<QJsonObject>();
    if (!logError.isEmpty())
        return fail(logError, ExitLocal);
    rollout.plan(*macs, earlier);
    if (dryRun) {
        if (p.has(u"--json"_s))
            printPlanJson(context, rollout, job);
        else
            printPlan(context, rollout, job);
        return ExitOk;
    }

    PlanLog log(p.value(u"--log"_s));
    if (p.has(u"--log"_s) && !log.open(&error))
        return fail(error, ExitLocal);
    ConsoleSink sink(context);
    FirmwareInFlight shown(context.console);
    QObject::connect(&rollout, &FirmwareRollout::cameraEnded, &rollout,
                     [&context](const BatchResult &r) { BatchCommand::noteEnding(context, r); });
    QObject::connect(&rollout, &FirmwareRollout::countsChanged, &rollout,
                     [&shown](int done, int all) { shown.setCounts(done, all); });
    QObject::connect(&rollout, &FirmwareRollout::phaseChanged, &rollout,
                     [&shown](const QString &mac, const QString &phase) { shown.phase(mac, phase); });
    QObject::connect(&rollout, &FirmwareRollout::bytesSent, &rollout,
                     [&shown](const QString &mac, qint64 done, qint64 total) { shown.bytes(mac, done, total); });
    QObject::connect(&rollout, &FirmwareRollout::cameraLeft, &rollout,
                     [&shown](const QString &mac) { shown.remove(mac); });
    const QList<BatchResult> results = rollout.run(sink, *login, p.has(u"--log"_s) ? &log : nullptr);
    return BatchCommand::report(context, results, u"updated"_s, p.has(u"--json"_s));
}

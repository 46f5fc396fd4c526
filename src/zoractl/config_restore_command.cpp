#include "zoractl/config_restore_command.h"

#include "site/config_job.h"
#include "site/config_job_runner.h"
#include "zoractl/batch_command.h"
#include "site/config_network_restore.h"
#include "zoractl/option_values.h"
#include "zoractl/console.h"
#include "zoractl/command_context.h"
#include "site/camera_outcome.h"
#include "fileconfig/config_fields.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/page_files.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"

#include <QDir>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// What one camera's restore went through, page by page.
struct RestoreLog {
    QStringList restored;
    QStringList same;
};

bool sameFiles(const QString &backup, const QString &live, int set)
{
    for (const QString &name : ConfigFileSet(set).localNames()) {
        if (ConfigFiles::load(backup, name) != ConfigFiles::load(live, name))
            return false;
    }
    return true;
}

QString summary(const RestoreLog &log, bool dryRun)
{
    if (log.restored.isEmpty())
        return u"every page is as in the backup"_s;
    QString text = (dryRun ? u"would restore "_s : u"restored "_s) + log.restored.join(u", "_s);
    if (!log.same.isEmpty())
        text += u"; the same: "_s + log.same.join(u", "_s);
    return text;
}

// One set after the other: fetched, compared with the backup, and uploaded from the
// backup's bytes when it differs.
void restoreSets(ConfigJob &job, QString backup, QList<int> sets, bool dryRun,
                 std::shared_ptr<RestoreLog> log, std::function<void()> done)
{
    if (sets.isEmpty()) {
        done();
        return;
    }
    const int set = sets.takeFirst();
    const QString page = ConfigJob::pageNameOf(set);
    job.transferEach({set}, TransferMode::Download, [=, &job] {
        if (sameFiles(backup, job.folder(), set)) {
            log->same << page;
            restoreSets(job, backup, sets, dryRun, log, done);
            return;
        }
        log->restored << page;
        if (dryRun) {
            restoreSets(job, backup, sets, dryRun, log, done);
            return;
        }
        if (!PageFiles::CopySet(backup, job.folder(), set)) {
            job.finish(u"failed"_s, page + u": the backup's files cannot be copied"_s, ExitLocal);
            return;
        }
        job.transfer(set, TransferMode::Upload, [=, &job](ConfigJob::Outcome uploaded) {
            if (uploaded != ConfigJob::Outcome::Done) {
                log->restored.removeLast();
                QString text = page + u": "_s + job.failureText();
                if (!log->restored.isEmpty())
                    text += u" (restored before: "_s + log->restored.join(u", "_s) + u')';
                job.finish(ConfigJob::verdictOf(uploaded), text, ConfigJob::statusOf(uploaded));
                return;
            }
            restoreSets(job, backup, sets, dryRun, log, done);
        });
    });
}

} // namespace

CommandSyntax ConfigRestoreCommand::syntax()
{
    return {u"config restore"_s,
            u"config restore MAC --from DIR/MAC --user ID [--page PAGE...] [--dry-run] [--clone] "
            u"[--with-network] [--json]"_s,
            uR"x(Gives the camera the configuration kept in a camera folder of config backup:
each page whose files differ from the backup's is uploaded from the backup's bytes
and applied, as the window's Save does, and reported. A backup of another model is
refused. The network and host-name pages are left alone unless --with-network.
  --from DIR/MAC    the camera folder
  --page PAGE...    only these pages
  --dry-run         say which pages differ; send nothing
  --clone           the backup is of another camera (a replacement takes its
                    predecessor's settings)
  --with-network    also give the camera the backup's network and host-name
                    settings (never two cameras on one address: only for a camera
                    that replaces the one backed up)
  --json            the result as JSON)x"_s
                + BatchCommand::cameraHelp(),
            BatchCommand::cameraOptions()
                + QList<OptionSpec>{{u"--from"_s, 1, 1},   {u"--page"_s, 1, 16},
                                    {u"--dry-run"_s, 0, 0}, {u"--clone"_s, 0, 0},
                                    {u"--with-network"_s, 0, 0}, {u"--json"_s, 0, 0}},
            1};
}

int ConfigRestoreCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    const QString mac = Zora::NormalMacText(p.positional().value(0));
    if (p.positional().size() != 1 || mac.isEmpty() || !p.has(u"--from"_s)) {
        context.console.err(u"usage: zoractl "_s + syntax().synopsis);
        return ExitUsage;
    }
    const auto pages = BatchCommand::pagesOf(context, p);
    if (!pages)
        return ExitUsage;
    const auto backup = CameraBackup::load(p.value(u"--from"_s), &error);
    if (!backup) {
        context.console.err(error);
        return ExitUsage;
    }
    if (backup->mac != mac && !p.has(u"--clone"_s)) {
        context.console.err(u"the backup is of %1, not %2; --clone gives a camera another camera's "
                            u"settings"_s.arg(backup->mac, mac));
        return ExitUsage;
    }
    const auto how = BatchCommand::reach(context, p, 1);
    if (!how)
        return ExitUsage;
    QStringList macs{mac};
    if (const auto trouble = BatchCommand::locate(context, macs, false, how->timeoutMs))
        return *trouble;
    const int record = context.network.recordOfMac(mac);
    if (record < 0) {
        context.console.err(u"%1: no camera with this MAC answered"_s.arg(mac));
        return ExitError;
    }
    const TConfigItem &camera = context.network.registry().record(record);
    if (camera.modelCode() != backup->modelCode) {
        context.console.err(u"the backup is of a %1 (model code %2), the camera a %3 (model code %4): "
                            u"refused"_s.arg(OptionValues::escaped(backup->model)).arg(backup->modelCode)
                                .arg(OptionValues::escaped(camera.modelNameText())).arg(camera.modelCode()));
        return ExitUsage;
    }
    auto wanted = [&pages](const QString &page) { return pages->isEmpty() || pages->contains(page); };
    QList<int> sets;
    for (int set : CameraBackup::setsOf(camera.modelCode(), camera.AudioAvailable != 0)) {
        if (backup->sets.contains(set) && wanted(ConfigJob::pageNameOf(set)))
            sets << set;
    }
    // The initial video page restarts the camera when applied: it goes last.
    if (sets.removeAll(int(ConfigFileSet::InitialVideo)))
        sets << ConfigFileSet::InitialVideo;

    const bool dryRun = p.has(u"--dry-run"_s);
    ConfigJobRunner runner(context.network);
    BatchCommand::prepare(runner, context, 1);
    auto log = std::make_shared<RestoreLog>();
    const QString from = backup->path;
    const QList<BatchResult> results = runner.run(
        macs, how->login, [&](ConfigJob &job) {
            restoreSets(job, from, sets, dryRun, log, [&job, log, dryRun] {
                job.finish(dryRun ? u"dry run"_s : u"success"_s, summary(*log, dryRun), ExitOk);
            });
        });
    context.console.clearStatus();
    BatchResult result = results.first();
    if (result.status == ExitOk && p.has(u"--with-network"_s)
        && (wanted(u"network"_s) || wanted(u"host"_s))) {
        result = ConfigNetworkRestore::run(context, *backup, mac, how->login, wanted(u"network"_s),
                                           wanted(u"host"_s), dryRun, result);
    }
    if (p.has(u"--json"_s))
        return BatchCommand::report(context, {result}, u"restored"_s, true);
    const QString line = u"%1: %2"_s.arg(OptionValues::cameraName(context.network, mac),
                                         OptionValues::escaped(OptionValues::oneLine(result.text)));
    if (result.status == ExitOk)
        context.console.out(line);
    else
        context.console.err(line);
    return OptionValues::interrupted(context) ? OptionValues::stoppedStatus(context) : result.status;
}

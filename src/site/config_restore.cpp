#include "site/config_restore.h"

#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/page_files.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/camera_outcome.h"
#include "site/config_job.h"
#include "site/config_job_runner.h"
#include "site/config_network_restore.h"
#include "site/report_text.h"
#include "site/run_sink.h"

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
            job.finish(u"failed"_s, page + u": the backup's files cannot be copied"_s, CameraOutcome::Local);
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

QString ConfigRestore::refusal(const CameraBackup::Folder &backup, const TConfigItem &camera)
{
    if (camera.modelCode() == backup.modelCode)
        return {};
    return u"the backup is of a %1 (model code %2), the camera a %3 (model code %4): refused"_s
        .arg(ReportText::escaped(backup.model))
        .arg(backup.modelCode)
        .arg(ReportText::escaped(camera.modelNameText()))
        .arg(camera.modelCode());
}

ConfigRestore::ConfigRestore(CameraNetwork &network)
    : m_network(network)
{
}

BatchResult ConfigRestore::run(RunSink &sink, const Job &job)
{
    const TConfigItem &camera = m_network.registry().record(m_network.recordOfMac(job.mac));
    auto wanted = [&job](const QString &page) { return job.pages.isEmpty() || job.pages.contains(page); };
    QList<int> sets;
    for (int set : CameraBackup::setsOf(camera.modelCode(), camera.AudioAvailable != 0)) {
        if (job.backup.sets.contains(set) && wanted(ConfigJob::pageNameOf(set)))
            sets << set;
    }
    // The initial video page restarts the camera when applied: it goes last.
    if (sets.removeAll(int(ConfigFileSet::InitialVideo)))
        sets << ConfigFileSet::InitialVideo;

    ConfigJobRunner runner(m_network);
    runner.setParallel(1);
    sink.attach(runner);
    auto log = std::make_shared<RestoreLog>();
    const QString from = job.backup.path;
    const bool dryRun = job.dryRun;
    const QList<BatchResult> results = runner.run({job.mac}, job.login, [&](ConfigJob &camera) {
        restoreSets(camera, from, sets, dryRun, log, [&camera, log, dryRun] {
            camera.finish(dryRun ? u"dry run"_s : u"success"_s, summary(*log, dryRun), CameraOutcome::Ok);
        });
    });
    sink.clearStatus();
    BatchResult result = results.first();
    if (result.status == CameraOutcome::Ok && job.withNetwork && (wanted(u"network"_s) || wanted(u"host"_s))) {
        result = ConfigNetworkRestore::run(m_network, sink, job.backup, job.mac, job.login, wanted(u"network"_s),
                                           wanted(u"host"_s), dryRun, result);
    }
    return result;
}

#include "site/config_set.h"

#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/file_page_table.h"
#include "fileconfig/page_checks.h"
#include "fileconfig/page_files.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protoconfig/l60_settings.h"
#include "site/camera_outcome.h"
#include "site/config_job.h"
#include "site/config_job_runner.h"
#include "site/config_network_restore.h"
#include "site/run_sink.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Assignment = ConfigAssignments::Assignment;
using Unit = ConfigAssignments::Unit;

void collectSecrets(const PageSettings &settings, QStringList *secrets)
{
    for (const auto &[key, value] : ConfigFields::values(settings)) {
        const auto f = ConfigFields::field(key);
        if (f && f->secret && !value.isEmpty())
            *secrets << value;
    }
}

// The assigned fields whose value the settings change, as they read before and after.
void noteFields(const PageSettings &before, const PageSettings &after, const QList<Assignment> &fields,
                QList<ConfigView::Difference> *out)
{
    const auto was = ConfigFields::values(before);
    const auto now = ConfigFields::values(after);
    for (const Assignment &a : fields) {
        const QString key = a.field.key();
        const auto find = [&key](const QList<std::pair<QString, QString>> &list) {
            for (const auto &[k, v] : list) {
                if (k == key)
                    return v;
            }
            return QString();
        };
        const ConfigView::Difference d{key, find(was), find(now), a.field.secret};
        const bool noted = std::any_of(out->begin(), out->end(), [&key](const auto &o) { return o.key == key; });
        if (d.before != d.after && !noted)
            *out << d;
    }
}

void finishRefused(ConfigJob &job, const QString &text)
{
    job.finish(u"refused value"_s, text, CameraOutcome::RefusedValue);
}

// The page files are fetched, changed, checked and written; only when every page of the
// camera passed its checks does anything go back to the camera.
void changeCamera(ConfigJob &job, const QList<Unit> &units, bool dryRun, std::shared_ptr<ConfigSet::LineChanges> log,
                  std::shared_ptr<ConfigSet::FieldChanges> fieldLog)
{
    const TConfigItem &camera = job.camera();
    const quint8 model = camera.modelCode();
    QList<int> sets;
    for (const Unit &unit : units) {
        if (ConfigAssignments::isRecordPage(unit.tab))
            continue;
        if (unit.tab == FileTab::EventServer && unit.source == EventSource::Motion
            && !PageFiles::HasMotionDetection(model)) {
            finishRefused(job, u"this camera has no motion detection"_s);
            return;
        }
        if (FilePageTable::of(unit.tab)->needsAudio && camera.AudioAvailable == 0) {
            finishRefused(job, u"this camera has no audio"_s);
            return;
        }
        // Cameras with motion detection lock channel 1's model and ID: the page never
        // writes them there.
        if (unit.tab == FileTab::CameraControl && PageFiles::HasMotionDetection(model)) {
            for (const Assignment &a : unit.fields) {
                if (a.field.name == u"ch1.model"_s || a.field.name == u"ch1.id"_s) {
                    finishRefused(job, u"%1 is fixed on this camera"_s.arg(a.field.key()));
                    return;
                }
            }
        }
        const int set = PageFiles::SetOf(unit.tab, model);
        if (!sets.contains(set))
            sets << set;
    }
    job.transferEach(sets, TransferMode::Download, [&job, units, sets, dryRun, log, fieldLog] {
        const TConfigItem &camera = job.camera();
        QHash<QString, QByteArray> before;
        for (int set : sets) {
            for (const QString &name : ConfigFileSet(set).localNames())
                before.insert(name, ConfigFiles::load(job.folder(), name).value_or(QByteArray()));
        }
        PageCheckContext context;
        context.remote = camera.ConnectionKind == Connection::Remote;
        context.channelOneModelBox = !PageFiles::HasMotionDetection(camera.modelCode());
        QStringList secrets;
        QList<PageSettings> written;
        QList<ConfigView::Difference> fields;
        for (const Unit &unit : units) {
            if (ConfigAssignments::isRecordPage(unit.tab))
                continue;
            PageSettings s;
            const ConfigError e = PageFiles::Read(unit.tab, job.folder(), job.listing(), unit.source, s);
            if (e != ConfigError::None) {
                job.finish(u"failed"_s, ConfigFields::pageOf(unit.tab) + u": "_s + ConfigErrorText(e),
                           CameraOutcome::Error);
                return;
            }
            collectSecrets(s, &secrets);
            const PageSettings read = s;
            for (const Assignment &a : unit.fields) {
                QString error;
                if (!ConfigFields::set(s, a.field.name, a.value, &error)) {
                    finishRefused(job, error);
                    return;
                }
            }
            collectSecrets(s, &secrets);
            if (const auto failure = CheckPage(s, context)) {
                finishRefused(job, ConfigFields::pageOf(unit.tab) + u": "_s + failure->text);
                return;
            }
            noteFields(read, s, unit.fields, &fields);
            written << s;
        }
        (*fieldLog)[job.mac()] += fields;
        for (const PageSettings &s : written) {
            if (PageFiles::WriteFields(job.folder(), s) != ConfigError::None) {
                job.finish(u"failed"_s, u"the local copy cannot be written"_s, CameraOutcome::Local);
                return;
            }
        }
        QList<int> changed;
        for (int set : sets) {
            for (const QString &name : ConfigFileSet(set).localNames()) {
                const QByteArray after = ConfigFiles::load(job.folder(), name).value_or(QByteArray());
                if (after == before.value(name))
                    continue;
                ConfigView::lineChanges(ConfigJob::pageNameOf(set), name, before.value(name), after,
                                        &(*log)[job.mac()]);
                if (!changed.contains(set))
                    changed << set;
            }
        }
        // A line holding a password is not printed.
        for (ConfigView::LineChange &l : (*log)[job.mac()]) {
            if (std::any_of(secrets.begin(), secrets.end(), [&l](const QString &v) { return l.line.contains(v); }))
                l.line = u"(a line holding a password)"_s;
        }
        // The initial video page restarts the camera when applied: it goes last.
        if (changed.removeAll(int(ConfigFileSet::InitialVideo)))
            changed << ConfigFileSet::InitialVideo;
        QStringList pages;
        for (int set : changed)
            pages << ConfigJob::pageNameOf(set);
        if (changed.isEmpty()) {
            job.finish(u"success"_s, u"nothing to change"_s, CameraOutcome::Ok);
            return;
        }
        if (dryRun) {
            job.finish(u"dry run"_s, u"would change "_s + pages.join(u", "_s), CameraOutcome::Ok);
            return;
        }
        job.transferEach(changed, TransferMode::Upload, [&job, pages] {
            job.finish(u"success"_s, u"changed "_s + pages.join(u", "_s), CameraOutcome::Ok);
        });
    });
}

} // namespace

ConfigSet::ConfigSet(CameraNetwork &network)
    : m_network(network)
{
}

QList<BatchResult> ConfigSet::run(RunSink &sink, const QStringList &macs, const Job &job)
{
    ConfigJobRunner runner(m_network);
    runner.setParallel(job.parallel);
    sink.attach(runner);
    const QList<Unit> &units = job.units;
    const bool dryRun = job.dryRun;
    auto log = m_lines;
    auto fieldLog = m_fields;
    QList<BatchResult> results = runner.run(macs, job.login, [&units, dryRun, log, fieldLog](ConfigJob &camera) {
        changeCamera(camera, units, dryRun, log, fieldLog);
    });
    sink.clearStatus();
    // The network and host pages go as their commands, to the cameras whose files went well.
    const bool records = std::any_of(units.begin(), units.end(),
                                     [](const Unit &u) { return ConfigAssignments::isRecordPage(u.tab); });
    if (records && sink.stopStatus() == 0)
        sendRecordPages(sink, job, results);
    return results;
}

void ConfigSet::sendRecordPages(RunSink &sink, const Job &job, QList<BatchResult> &results)
{
    QList<BatchTask> tasks;
    QList<int> taskResult;
    QString error;
    for (int i = 0; i < results.size(); ++i) {
        const int record = m_network.recordOfMac(results[i].mac);
        if (results[i].status != CameraOutcome::Ok || record < 0)
            continue;
        const TConfigItem &camera = m_network.registry().record(record);
        BatchTask task;
        task.mac = results[i].mac;
        task.login = job.login;
        // Each page as the camera announces it, with the fields given.
        std::optional<QJsonObject> hostPage, networkPage;
        for (const Unit &unit : job.units) {
            if (!ConfigAssignments::isRecordPage(unit.tab))
                continue;
            PageSettings page = unit.tab == FileTab::HostName ? PageSettings(L60::HostFromRecord(camera))
                                                              : PageSettings(L60::NetworkFromRecord(camera));
            const PageSettings announced = page;
            for (const Assignment &a : unit.fields)
                ConfigFields::set(page, a.field.name, a.value, &error);
            noteFields(announced, page, unit.fields, &(*m_fields)[task.mac]);
            (unit.tab == FileTab::HostName ? hostPage : networkPage) = CameraBackup::pageObject(page);
        }
        task.steps = ConfigNetworkRestore::steps(camera, hostPage, networkPage);
        if (task.steps.isEmpty())
            continue;
        tasks << task;
        taskResult << i;
    }
    if (tasks.isEmpty())
        return;
    BatchRunner commands(m_network);
    commands.setParallel(job.parallel);
    commands.setDryRun(job.dryRun);
    sink.attach(commands);
    const QList<BatchResult> sent = commands.run(tasks);
    sink.clearStatus();
    for (int t = 0; t < sent.size(); ++t) {
        BatchResult &r = results[taskResult[t]];
        const bool nothing = r.text == u"nothing to change"_s;
        QStringList steps;
        for (const BatchStep &step : tasks[t].steps)
            steps << step.name;
        const QString what = (job.dryRun ? u"would send "_s : u"sent "_s) + steps.join(u", "_s);
        r.text = nothing ? what : r.text + u"; "_s + what;
        if (sent[t].status != CameraOutcome::Ok) {
            r.text += u": "_s + sent[t].text;
            r.verdict = sent[t].verdict;
            r.status = sent[t].status;
        }
        r.address = sent[t].address;
        r.sent = r.sent || sent[t].sent;
    }
}

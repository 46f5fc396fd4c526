#include "desktop/site_jobs.h"

#include "base/messenger.h"
#include "desktop/site_action_inputs.h"
#include "fileconfig/config_fields.h"
#include "fileconfig/private_folder.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/camera_backup.h"
#include "site/camera_list_format.h"
#include "site/camera_locator.h"
#include "site/camera_outcome.h"
#include "site/config_assignments.h"
#include "site/config_backup.h"
#include "site/config_restore.h"
#include "site/config_set.h"
#include "site/firmware_rollout.h"
#include "site/job_sink.h"
#include "site/plan_apply.h"
#include "site/plan_log.h"
#include "site/plan_steps.h"
#include "site/report_text.h"
#include "site/result_export.h"
#include "site/site_plan.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

// How long a plan's scan listens for answers, as zoractl plan's default.
constexpr int kPlanScanMs = 3000;

BatchResult failedResult(const QString &mac, const QString &verdict, const QString &text)
{
    BatchResult r;
    r.mac = mac;
    r.verdict = verdict;
    r.text = text;
    r.status = CameraOutcome::Error;
    return r;
}

} // namespace

SiteJobs::SiteJobs(CameraNetwork &network, Messenger &messenger, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_messenger(messenger)
{
}

SiteJobs::~SiteJobs() = default;

void SiteJobs::setIntervals(int confirmMs, int clockMs)
{
    m_confirmMs = confirmMs;
    m_clockMs = clockMs;
}

QString SiteJobs::rolloutLogOf(const QString &image)
{
    return image + u".log"_s;
}

QString SiteJobs::planLogOf(const QString &plan)
{
    return plan + u".log"_s;
}

bool SiteJobs::refuseWhileRunning()
{
    if (!running())
        return false;
    m_messenger.tell(u"A job is running (%1): the next one can start when it is over."_s.arg(m_board.what()),
                     u"Cameras"_s, Messenger::Style::Information);
    return true;
}

std::optional<LoginEntry> SiteJobs::loginFor(const QStringList &macs)
{
    std::optional<LoginEntry> shared;
    bool same = true;
    for (const QString &mac : macs) {
        const int record = m_network.recordOfMac(mac);
        if (record < 0)
            continue;
        const TConfigItem &camera = m_network.registry().record(record);
        if (camera.AdminId.isEmpty()) {
            same = false;
            break;
        }
        if (!shared)
            shared = LoginEntry{camera.AdminId, camera.AdminPassword, {}, true};
        else if (shared->id != camera.AdminId || shared->password != camera.AdminPassword) {
            same = false;
            break;
        }
    }
    if (same && shared)
        return shared;
    if (!m_prompt)
        return std::nullopt;
    m_prompt->setCameraName(ReportText::cameras(int(macs.size())));
    return m_prompt->askCredentials(nullptr);
}

QList<JobBoard::Camera> SiteJobs::camerasOf(const QStringList &macs)
{
    QList<JobBoard::Camera> cameras;
    for (const QString &mac : macs)
        cameras << JobBoard::Camera{mac, CameraListFormat::cameraName(m_network, mac)};
    return cameras;
}

void SiteJobs::begin(const QString &what, const QStringList &macs)
{
    m_sink = std::make_unique<JobSink>(m_board, m_confirmMs, m_clockMs);
    m_board.begin(what, camerasOf(macs));
}

void SiteJobs::end(const QList<BatchResult> &results)
{
    m_board.finish(results);
    m_sink.reset();
    if (m_closeAfter) {
        m_closeAfter = false;
        emit closeWhenDone();
    }
}

void SiteJobs::cancel()
{
    if (m_sink)
        m_sink->requestStop(CameraOutcome::Stopped);
}

bool SiteJobs::mayClose()
{
    if (!running())
        return true;
    if (!m_closeAfter
        && m_messenger.show(u"A job is running (%1). Cancel it and close the window when the cameras in "
                            u"flight are done? No camera is cut off in the middle of a transfer."_s
                                .arg(m_board.what()),
                            u"Close the window"_s, Messenger::Style::YesNoDestructive)
               == Messenger::AnswerYes) {
        m_closeAfter = true;
        cancel();
    }
    return false;
}

bool SiteJobs::exportResults(const QString &path)
{
    QSaveFile file(path);
    const QByteArray bytes = path.endsWith(u".json"_s, Qt::CaseInsensitive) ? ResultExport::json(m_board.results())
                                                                            : ResultExport::csv(m_board.results());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_messenger.tell(u"Cannot write %1: %2"_s.arg(QDir::toNativeSeparators(path), file.errorString()),
                         u"Export results"_s, Messenger::Style::Error);
        return false;
    }
    return true;
}

bool SiteJobs::backUp(const QStringList &macs)
{
    if (macs.isEmpty() || !m_inputs || refuseWhileRunning())
        return false;
    const QString root = m_inputs->backupFolder(int(macs.size()));
    if (root.isEmpty())
        return false;
    if (!m_messenger.ask(u"Back up the configuration of %1 to %2?"_s.arg(ReportText::cameras(int(macs.size())),
                                                                         QDir::toNativeSeparators(root)),
                         u"Back up"_s))
        return false;
    const std::optional<LoginEntry> login = loginFor(macs);
    if (!login)
        return false;
    if (!PrivateFolder::makeRoot(root)) {
        m_messenger.tell(u"Cannot make the folder %1"_s.arg(QDir::toNativeSeparators(root)), u"Back up"_s,
                         Messenger::Style::Error);
        return false;
    }
    begin(u"backup"_s, macs);
    ConfigBackup backup(m_network);
    end(backup.run(*m_sink, macs, *login, root, m_parallel));
    return true;
}

bool SiteJobs::restore(const QStringList &macs)
{
    if (macs.isEmpty() || !m_inputs || refuseWhileRunning())
        return false;
    const std::optional<SiteActionInputs::Restore> from = m_inputs->restoreFrom(int(macs.size()));
    if (!from || (from->root.isEmpty() && from->cloneFolder.isEmpty()))
        return false;
    const bool clone = !from->cloneFolder.isEmpty();
    if (clone && macs.size() != 1) {
        m_messenger.tell(u"Another camera's settings go to one camera at a time: select one camera."_s,
                         u"Restore"_s, Messenger::Style::Error);
        return false;
    }
    // Each camera's own folder, or why it has none it can take; nothing is sent before all
    // are read.
    QList<std::optional<CameraBackup::Folder>> folders;
    QList<BatchResult> refused;
    for (const QString &mac : macs) {
        QString error;
        const QString path =
            clone ? from->cloneFolder : QDir(from->root).filePath(CameraBackup::folderName(mac));
        std::optional<CameraBackup::Folder> folder;
        if (clone || QFileInfo(path).isDir())
            folder = CameraBackup::load(path, &error);
        else
            error = u"no backup of this camera in %1"_s.arg(QDir::toNativeSeparators(from->root));
        const int record = m_network.recordOfMac(mac);
        if (folder && record < 0)
            error = u"no camera with this MAC answered"_s;
        else if (folder)
            error = ConfigRestore::refusal(*folder, m_network.registry().record(record));
        if (!error.isEmpty()) {
            folder.reset();
            refused << failedResult(mac, u"not restored"_s, error);
        }
        folders << folder;
    }
    if (int(refused.size()) == int(macs.size())) {
        m_messenger.tell(macs.size() == 1 ? refused.first().text
                                          : u"None of the selected cameras has a backup it can take in %1."_s.arg(
                                                QDir::toNativeSeparators(from->root)),
                         u"Restore"_s, Messenger::Style::Error);
        return false;
    }
    const QString source = QDir::toNativeSeparators(clone ? from->cloneFolder : from->root);
    QString question = u"Restore the configuration of %1 from %2? Each page that differs from the backup is "
                       u"uploaded and applied; the network settings stay as they are."_s
                           .arg(ReportText::cameras(int(macs.size() - refused.size())), source);
    if (!refused.isEmpty())
        question +=
            u" %1 without a backup they can take are left out."_s.arg(ReportText::cameras(int(refused.size())));
    if (!m_messenger.askDestructive(question, u"Restore"_s))
        return false;
    const std::optional<LoginEntry> login = loginFor(macs);
    if (!login)
        return false;
    begin(u"restore"_s, macs);
    QList<BatchResult> results = refused;
    for (const BatchResult &r : refused)
        m_board.ended(r);
    for (int i = 0; i < macs.size(); ++i) {
        if (!folders[i])
            continue;
        if (m_sink->stopStatus() != 0)
            break;
        m_board.started(macs[i]);
        ConfigRestore::Job job{*folders[i], macs[i], {}, false, false, *login};
        results << ConfigRestore(m_network).run(*m_sink, job);
        m_board.ended(results.last());
    }
    end(results);
    return true;
}

bool SiteJobs::updateFirmware(const QStringList &macs)
{
    if (macs.isEmpty() || !m_inputs || refuseWhileRunning())
        return false;
    std::optional<FirmwareRollout::Job> job = m_inputs->firmwareJob(int(macs.size()));
    if (!job)
        return false;
    const QString caption = u"Update firmware"_s;
    auto fail = [this, &caption](const QString &text) {
        m_messenger.tell(text, caption, Messenger::Style::Error);
        return false;
    };
    if (const QString refusal = FirmwareRollout::imageRefusal(job->image); !refusal.isEmpty())
        return fail(refusal + u'.');
    FirmwareRollout rollout(m_network, *job);
    // Anything but one model this tool updates refuses the whole selection.
    if (const QString refusal = rollout.refusal(macs); !refusal.isEmpty())
        return fail(refusal);
    const QString logPath = rolloutLogOf(job->image);
    QString error;
    const QList<QJsonObject> earlier = PlanLog::records(logPath, &error);
    if (!error.isEmpty())
        return fail(error);
    rollout.plan(macs, earlier);
    if (rollout.toUpdate().isEmpty())
        return fail(u"The log beside the image shows every selected camera updated with it already."_s);
    const int canaries = qMin(job->canary, int(rollout.toUpdate().size()));
    QString question = u"Update the firmware of %1 with %2 (%3)?"_s.arg(
        ReportText::cameras(int(rollout.toUpdate().size())), QFileInfo(job->image).fileName(),
        job->allData ? u"the whole flash: they come back with factory settings"_s : u"the kernel"_s);
    if (canaries > 0)
        question += u" %1 first, alone; the others only when it comes back with the version expected."_s.arg(
            ReportText::cameras(canaries));
    if (rollout.alreadyUpdated() > 0)
        question += u" %1 already updated by an earlier run are left out."_s.arg(
            ReportText::cameras(rollout.alreadyUpdated()));
    if (!m_messenger.askDestructive(question, caption))
        return false;
    const std::optional<LoginEntry> login = loginFor(rollout.toUpdate());
    if (!login)
        return false;
    if (!job->backupDir.isEmpty() && !PrivateFolder::makeRoot(job->backupDir))
        return fail(u"Cannot make the folder %1"_s.arg(QDir::toNativeSeparators(job->backupDir)));
    PlanLog log(logPath);
    if (!log.open(&error))
        return fail(error);

    begin(u"firmware update"_s, macs);
    for (const QString &mac : macs) {
        if (!rollout.toUpdate().contains(mac)) {
            BatchResult r;
            r.mac = mac;
            r.verdict = u"updated earlier"_s;
            r.text = u"the log beside the image shows it updated"_s;
            m_board.ended(r);
        }
    }
    connect(&rollout, &FirmwareRollout::phaseChanged, &m_board, &JobBoard::phase);
    connect(&rollout, &FirmwareRollout::bytesSent, &m_board, &JobBoard::bytes);
    connect(&rollout, &FirmwareRollout::cameraEnded, &m_board, &JobBoard::ended);
    end(rollout.run(*m_sink, *login, &log));
    return true;
}

bool SiteJobs::setField(const QStringList &macs)
{
    if (macs.isEmpty() || !m_inputs || refuseWhileRunning())
        return false;
    const std::optional<SiteActionInputs::Field> field = m_inputs->fieldToSet(int(macs.size()));
    if (!field)
        return false;
    const QString caption = u"Set a field"_s;
    QList<ConfigAssignments::Unit> units;
    QString error;
    // Every value tried on its field before any camera is asked.
    if (!ConfigAssignments::read({field->key + u'=' + field->value}, &units, &error)
        || !ConfigAssignments::fit(units, &error)) {
        m_messenger.tell(error, caption, Messenger::Style::Error);
        return false;
    }
    const std::optional<ConfigField> known = ConfigFields::field(field->key);
    const QString shown = known && known->secret ? u"the password typed"_s : u"\"%1\""_s.arg(field->value);
    if (!m_messenger.askDestructive(u"Set %1 to %2 on %3? Each camera's other lines stay as they are."_s.arg(
                                        field->key, shown, ReportText::cameras(int(macs.size()))),
                                    caption))
        return false;
    const std::optional<LoginEntry> login = loginFor(macs);
    if (!login)
        return false;
    begin(u"field change"_s, macs);
    ConfigSet set(m_network);
    end(set.run(*m_sink, macs, ConfigSet::Job{units, false, *login, m_parallel}));
    return true;
}

bool SiteJobs::applyPlan()
{
    if (!m_inputs || refuseWhileRunning())
        return false;
    const QString path = m_inputs->planFile();
    if (path.isEmpty())
        return false;
    const QString caption = u"Apply site plan"_s;
    auto fail = [this, &caption](const QString &text) {
        m_messenger.tell(text, caption, Messenger::Style::Error);
        return false;
    };
    QStringList errors;
    const std::optional<SitePlan> plan = SitePlan::read(path, &errors);
    if (!plan)
        return fail(errors.join(u'\n'));
    // The check holds the plan against every camera that answers one scan's whole
    // reply window, cameras the plan does not name included.
    QString error;
    if (!CameraLocator(m_network).scan(kPlanScanMs, {}, &error))
        return fail(error);
    const PlanCheck check = PlanSteps::check(m_network, *plan);
    const bool apply = m_inputs->confirmPlan(check);
    if (check.blocksApply() || !apply)
        return false;
    QStringList macs;
    for (const PlanCheck::Row &row : check.rows())
        macs << row.mac;
    const std::optional<LoginEntry> siteLogin = loginFor(macs);
    if (!siteLogin)
        return false;
    const QString logPath = planLogOf(path);
    const QSet<QString> done = PlanLog::doneSteps(logPath, &error);
    if (!error.isEmpty())
        return fail(error);
    PlanLog log(logPath);
    if (!log.open(&error))
        return fail(error);
    PlanApply::Job job{*plan, check, done, &log, {}, m_parallel, false};
    job.loginFor = PlanApply::siteOrRowLogin(siteLogin, siteLogin->id, {});
    PlanApply run(m_network, job);
    if (!run.prepare(&error))
        return fail(error);
    begin(u"site plan"_s, macs);
    const QList<PlanApply::Line> lines = run.run(*m_sink);
    QList<BatchResult> results;
    for (const PlanApply::Line &line : lines) {
        BatchResult r;
        r.mac = line.mac;
        r.verdict = line.verdict;
        r.address = line.address;
        r.text = line.text;
        r.status = line.failed ? CameraOutcome::Error : CameraOutcome::Ok;
        results << r;
    }
    end(results);
    return true;
}

#include "site/plan_apply.h"
#include "site/script_credentials.h"

#include "protocol/camera_network.h"
#include "site/batch_runner.h"
#include "site/camera_outcome.h"
#include "site/plan_log.h"
#include "site/plan_steps.h"
#include "site/report_text.h"
#include "site/run_sink.h"

using namespace Qt::StringLiterals;

PlanApply::LoginFor PlanApply::siteOrRowLogin(std::optional<LoginEntry> site, const QString &user,
                                              const QString &siteError)
{
    return [site, user, siteError](const SitePlan::Entry &entry, QString *why) {
        if (!entry.passwordFile) {
            if (!site)
                *why = siteError;
            return site;
        }
        ScriptCredentials::Sources sources;
        sources.user = user;
        sources.passwordFile = *entry.passwordFile;
        return ScriptCredentials::resolve(sources, why);
    };
}

PlanApply::PlanApply(CameraNetwork &network, Job job, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_job(std::move(job))
{
}

PlanApply::~PlanApply() = default;

bool PlanApply::prepare(QString *error)
{
    m_lines.clear();
    m_lineTask.clear();
    m_tasks.clear();
    for (const PlanCheck::Row &row : m_job.check.rows()) {
        Line line{row.mac, {}, row.address, {}};
        int task = -1;
        const std::optional<SitePlan::Entry> entry = m_job.plan.entryFor(row.mac);
        if (!row.found) {
            line.verdict = u"missing"_s;
            line.text = u"did not answer the scan"_s;
            line.failed = true;
        } else if (row.asPlanned()) {
            line.verdict = u"as planned"_s;
            line.text = u"nothing to change"_s;
        } else if (entry) {
            const int record = m_network.recordOfMac(row.mac);
            const PlanCamera now = PlanSteps::cameraOf(m_network.registry().record(record));
            QList<BatchStep> steps = PlanSteps::of(*entry, row, now);
            QStringList skipped;
            for (qsizetype i = steps.size() - 1; i >= 0; --i) {
                if (m_job.doneSteps.contains(PlanLog::key(row.mac, steps[i].name))) {
                    skipped.prepend(steps[i].name);
                    steps.removeAt(i);
                }
            }
            if (steps.isEmpty()) {
                line.verdict = u"done earlier"_s;
                line.text = u"the log shows %1 sent"_s.arg(skipped.join(u" and "_s));
            } else {
                QString why;
                const std::optional<LoginEntry> login = m_job.loginFor(*entry, &why);
                if (!login) {
                    *error = u"%1: %2"_s.arg(row.mac, why);
                    return false;
                }
                task = int(m_tasks.size());
                line.ran = true;
                m_tasks << BatchTask{row.mac, *login, steps};
            }
        }
        m_lines << line;
        m_lineTask << task;
    }
    return true;
}

void PlanApply::connectRunner(BatchRunner &runner)
{
    connect(&runner, &BatchRunner::commandBuilt, this,
            [this](int task, const QString &step, const QByteArray &bytes, bool unicast, const QString &address) {
                emit commandBuilt(m_tasks[task].mac, step, bytes, unicast, address);
            });
    connect(&runner, &BatchRunner::stepEnded, this,
            [this](int task, const QString &step, const QString &result, const QString &address,
                   const QString &message) {
                const QString &mac = m_tasks[task].mac;
                if (result == u"refused"_s)
                    emit stepRefused(mac, step, message);
                if (!m_job.log || m_job.log->append(mac, step, result, address, ReportText::oneLine(message))
                    || m_logFailed)
                    return;
                m_logFailed = true;
                emit logFailed();
            });
    connect(&runner, &BatchRunner::taskEnded, this, [this](int, const BatchResult &r) {
        const QString partWay = PlanSteps::partWay(r);
        emit cameraEnded(r.mac, partWay.isEmpty() ? r.verdict : u"part-way"_s, partWay.isEmpty() ? r.text : partWay);
    });
}

QList<PlanApply::Line> PlanApply::run(RunSink &sink)
{
    BatchRunner runner(m_network);
    runner.setParallel(m_job.parallel);
    runner.setDryRun(m_job.dryRun);
    sink.attach(runner);
    m_logFailed = false;
    connectRunner(runner);
    const QList<BatchResult> results = runner.run(m_tasks);
    m_stopping = runner.stopping();
    m_stopStatus = runner.stopStatus();
    QList<Line> lines = m_lines;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (m_lineTask[i] < 0)
            continue;
        const BatchResult &r = results[m_lineTask[i]];
        Line &line = lines[i];
        line.verdict = r.verdict;
        line.address = r.address;
        line.text = r.text;
        line.failed = r.status != CameraOutcome::Ok;
        line.sent = r.sent;
        if (const QString text = PlanSteps::partWay(r); !text.isEmpty()) {
            line.partWay = true;
            line.verdict = u"part-way"_s;
            line.text = text;
        }
    }
    return lines;
}

#pragma once

#include "protoconfig/credentials.h"
#include "site/plan_check.h"
#include "site/site_plan.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class BatchRunner;
class CameraNetwork;
class PlanLog;
class RunSink;
struct BatchTask;

// Brings the cameras of a checked site plan to their rows: each camera that differs gets
// its network and host-name changes, is followed through each restart and must come
// back at its planned address. Cameras already as planned are skipped, missing ones
// reported, steps an earlier run's log shows sent are not sent again, and a camera that
// took one step and not the next is told part-way.
class PlanApply final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlanApply)

public:
    // A row's login: the site's, or one of the row's own password file; nothing with the
    // reason.
    using LoginFor = std::function<std::optional<LoginEntry>(const SitePlan::Entry &entry, QString *error)>;
    // A row's password file stands in for the site's password (with user as the ID);
    // without one, the site's login, or siteError when there is none.
    static LoginFor siteOrRowLogin(std::optional<LoginEntry> site, const QString &user, const QString &siteError);

    struct Job {
        SitePlan plan;
        PlanCheck check;             // the plan held against the cameras that answered
        QSet<QString> doneSteps;     // PlanLog::key()s an earlier run's log shows sent
        PlanLog *log = nullptr;      // each step's end goes here; none: no log
        LoginFor loginFor;
        int parallel = 8;
        bool dryRun = false;         // build and show every step's command; send nothing
    };

    // What a row of the plan came to.
    struct Line {
        QString mac;
        QString verdict;             // "missing", "as planned", "done earlier", "part-way", ...
        QString address;
        QString text;
        bool ran = false;            // the row had steps to send
        bool sent = false;           // a command went to the camera in this run
        bool failed = false;
        bool partWay = false;
    };

    PlanApply(CameraNetwork &network, Job job, QObject *parent = nullptr);
    ~PlanApply() override;

    // The steps of every row, before anything is sent. False with "MAC: why" when a row's
    // login cannot be had.
    bool prepare(QString *error);
    // One line a row of the check, in its order.
    QList<Line> run(RunSink &sink);
    // The run was stopped (Ctrl-C): the status the cameras not started got.
    bool stopping() const { return m_stopping; }
    int stopStatus() const { return m_stopStatus; }

signals:
    // A step's command was built (dry run: instead of sending it).
    void commandBuilt(const QString &mac, const QString &step, const QByteArray &bytes, bool unicast,
                      const QString &address);
    // Dry run: a step the camera's own checks would refuse.
    void stepRefused(const QString &mac, const QString &step, const QString &message);
    // A camera's run ended; "part-way" when it took some steps and failed the next.
    void cameraEnded(const QString &mac, const QString &verdict, const QString &text);
    // The log could not be written; told once a run.
    void logFailed();

private:
    void connectRunner(BatchRunner &runner);

    CameraNetwork &m_network;
    Job m_job;
    QList<Line> m_lines;
    QList<int> m_lineTask;
    QList<BatchTask> m_tasks;
    bool m_logFailed = false;
    bool m_stopping = false;
    int m_stopStatus = 0;
};

#include "zoractl/plan_command.h"

#include "protocol/camera_network.h"
#include "site/camera_list_format.h"
#include "site/camera_locator.h"
#include "site/command_dump.h"
#include "site/plan_apply.h"
#include "site/plan_check.h"
#include "site/plan_log.h"
#include "site/plan_steps.h"
#include "site/report_text.h"
#include "site/site_plan.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/console_sink.h"
#include "zoractl/exit_status.h"
#include "zoractl/option_values.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kPlanHelp = uR"(
FILE is CSV with a header line naming its columns (any order):
  mac,ip,mask,gateway,dns,host,domain,network[,password_file]
network is static or dhcp; an empty cell keeps the camera's value; lines starting
with # are comments.)"_s;

struct Scanned {
    SitePlan plan;
    PlanCheck check;
};

// Reads the plan, scans and holds the plan against what answered; nothing with the exit
// status already reported.
std::optional<Scanned> readAndScan(CommandContext &context, const Arguments &p, int *status)
{
    QString error;
    const auto wait = OptionValues::timeoutMs(p, &error);
    if (!wait) {
        context.console.err(error);
        *status = ExitUsage;
        return std::nullopt;
    }
    if (p.positional().size() != 1) {
        context.console.err(u"give one plan file"_s);
        *status = ExitUsage;
        return std::nullopt;
    }
    QStringList errors;
    const std::optional<SitePlan> plan = SitePlan::read(p.positional().first(), &errors);
    if (!plan) {
        for (const QString &e : errors)
            context.console.err(e);
        *status = ExitUsage;
        return std::nullopt;
    }
    if (!context.localReady()) {
        *status = ExitLocal;
        return std::nullopt;
    }
    // The whole reply window: cameras the plan does not name count too.
    context.console.status(u"scanning for %1 s"_s.arg(*wait / 1000.0));
    CameraLocator locator(context.network);
    if (!locator.scan(*wait, {}, &error)) {
        context.console.err(error);
        *status = ExitLocal;
        return std::nullopt;
    }
    context.console.clearStatus();
    return Scanned{*plan, PlanSteps::check(context.network, *plan)};
}

int check(CommandContext &context, const Arguments &p)
{
    int status = ExitOk;
    const std::optional<Scanned> s = readAndScan(context, p, &status);
    if (!s)
        return status;
    if (p.has(u"--json"_s))
        context.console.outRaw(QJsonDocument(s->check.toJson()).toJson(QJsonDocument::Indented));
    else
        context.console.out(s->check.text());
    return s->check.wrong() ? ExitError : ExitOk;
}

// The apply's table and counts; the status of the whole run.
int report(CommandContext &context, const QList<PlanApply::Line> &lines, const PlanApply &apply, bool json)
{
    if (json) {
        QJsonArray a;
        bool failed = false;
        for (const PlanApply::Line &line : lines) {
            failed = failed || line.failed;
            a.append(QJsonObject{{u"mac"_s, line.mac},         {u"result"_s, line.verdict},
                                 {u"address"_s, line.address}, {u"message"_s, line.text},
                                 {u"sent"_s, line.sent},        {u"failed"_s, line.failed},
                                 {u"part_way"_s, line.partWay}});
        }
        context.console.outRaw(QJsonDocument(a).toJson(QJsonDocument::Indented));
        if (apply.stopping())
            return apply.stopStatus();
        return failed ? ExitBatch : ExitOk;
    }
    const QString format = u"%1  %2  %3  %4"_s;
    context.console.out(format.arg(u"MAC"_s, -17).arg(u"RESULT"_s, -21).arg(u"ADDRESS"_s, -15).arg(u"MESSAGE"_s));
    int changed = 0, failed = 0, partWay = 0;
    for (const PlanApply::Line &line : lines) {
        changed += line.ran && !line.failed;
        partWay += line.partWay;
        failed += line.failed;
        context.console.out(format.arg(line.mac, -17).arg(line.verdict, -21).arg(line.address, -15)
                                .arg(ReportText::oneLine(line.text)));
    }
    QString counts = u"%1 changed, %2 not, of %3 planned"_s.arg(changed).arg(failed).arg(lines.size());
    if (partWay > 0)
        counts += u"; %1 left part-way (see above)"_s.arg(partWay);
    context.console.out(counts);
    if (apply.stopping())
        return apply.stopStatus();
    return failed ? ExitBatch : ExitOk;
}

int apply(CommandContext &context, const Arguments &p)
{
    QString error;
    const auto parallel = OptionValues::parallel(p, &error);
    if (!parallel) {
        context.console.err(error);
        return ExitUsage;
    }
    const bool dryRun = p.has(u"--dry-run"_s);
    const QString logPath = p.value(u"--log"_s);
    QSet<QString> done;
    std::optional<PlanLog> log;
    if (!logPath.isEmpty()) {
        done = PlanLog::doneSteps(logPath, &error);
        if (!error.isEmpty()) {
            context.console.err(error);
            return ExitUsage;
        }
        if (!dryRun) {
            log.emplace(logPath);
            if (!log->open(&error)) {
                context.console.err(error);
                return ExitUsage;
            }
        }
    }
    const std::optional<LoginEntry> siteLogin = OptionValues::credentials(p, context, &error);
    int status = ExitOk;
    const std::optional<Scanned> s = readAndScan(context, p, &status);
    if (!s)
        return status;
    const bool planWrong = s->check.blocksApply();
    if (planWrong) {
        context.console.out(s->check.text());
        if (!dryRun) {
            context.console.err(u"the plan has errors: nothing was sent"_s);
            return ExitError;
        }
        context.console.err(u"the plan has errors: an apply would send nothing; the steps as they stand follow"_s);
    }

    PlanApply::Job job{s->plan, s->check, done, log ? &*log : nullptr, {}, *parallel, dryRun};
    // A row's password file stands in for the site's password; without one, the site's
    // login or why there is none.
    job.loginFor = PlanApply::siteOrRowLogin(siteLogin, p.value(u"--user"_s), error);
    PlanApply apply(context.network, job);
    if (!apply.prepare(&error)) {
        context.console.err(error);
        return ExitUsage;
    }
    ConsoleSink sink(context);
    if (dryRun) {
        QObject::connect(&apply, &PlanApply::commandBuilt, &apply,
                         [&context](const QString &mac, const QString &step, const QByteArray &bytes, bool unicast,
                                    const QString &address) {
                             context.console.out(u"%1 %2: would send %3 bytes to %4: %5"_s.arg(
                                 mac, step, QString::number(bytes.size()), unicast ? address : u"broadcast"_s,
                                 CommandDump::text(bytes)));
                         });
        QObject::connect(&apply, &PlanApply::stepRefused, &apply,
                         [&context](const QString &mac, const QString &step, const QString &message) {
                             context.console.out(
                                 u"%1 %2: refused: %3"_s.arg(mac, step, ReportText::oneLine(message)));
                         });
    } else {
        QObject::connect(&apply, &PlanApply::cameraEnded, &apply,
                         [&context](const QString &mac, const QString &verdict, const QString &text) {
                             context.console.note(u"%1: %2 %3"_s.arg(
                                 CameraListFormat::cameraName(context.network, mac), verdict,
                                 ReportText::oneLine(text)));
                         });
    }
    QObject::connect(&apply, &PlanApply::logFailed, &apply, [&context, &logPath] {
        context.console.err(
            u"cannot write to %1: a resumed apply may send the steps from here on again"_s.arg(logPath));
    });
    const QList<PlanApply::Line> lines = apply.run(sink);
    context.console.clearStatus();
    if (dryRun) {
        const bool refused =
            std::any_of(lines.begin(), lines.end(), [](const PlanApply::Line &l) { return l.ran && l.failed; });
        return planWrong || refused ? ExitError : ExitOk;
    }
    return report(context, lines, apply, p.has(u"--json"_s));
}

} // namespace

QList<CommandSyntax> PlanCommand::syntaxes()
{
    return {
        CommandSyntax{u"plan check"_s, u"plan check FILE [--json] [--timeout S]"_s,
                      uR"(One scan, then the plan held against the cameras that answered: each row
found or missing with what would change, and what is wrong (a MAC or an address
planned twice, an address another camera answers from, cameras the plan does
not name, addresses outside this computer's networks, values a camera's own
checks refuse, such as a host name with blanks). Exit status 0 when nothing is
wrong, 1 when something is.
  --json          the report as JSON
  --timeout S     seconds the scan waits for answers (default 3))"_s
                          + kPlanHelp,
                      {{u"--json"_s, 0, 0}, {u"--timeout"_s, 1, 1}},
                      1},
        CommandSyntax{u"plan apply"_s,
                      u"plan apply FILE --user ID [--password-file F] [--dry-run] [--parallel N] "
                      u"[--log FILE] [--timeout S] [--json]"_s,
                      uR"(Checks the plan first and stops on any error; then sends each camera that
differs its network and host-name changes, follows it through each restart and
checks it came back at its planned address. Cameras already as planned are
skipped, missing ones reported; a camera that took one step and not the next
is reported part-way.
  --dry-run       print every step: the command it would send (the credential
                  block as <credentials>) or why it would be refused; send nothing
  --parallel N    at most N cameras at once (default 8)
  --log FILE      append one JSON line per camera and step; a second apply with
                  the same log sends nothing the camera already accepted
  --json          the results as JSON: a row a camera with "result", "sent"
                  (a command went to it), "failed" and "part_way"
  --user ID, --password-file F   as for the set commands; a password_file
                  column gives a row its own password)"_s
                          + kPlanHelp,
                      {{u"--dry-run"_s, 0, 0}, {u"--parallel"_s, 1, 1}, {u"--log"_s, 1, 1},
                       {u"--user"_s, 1, 1}, {u"--password-file"_s, 1, 1}, {u"--timeout"_s, 1, 1},
                       {u"--json"_s, 0, 0}},
                      1},
    };
}

int PlanCommand::run(CommandContext &context, const QString &command, const Arguments &args)
{
    return command == u"plan check"_s ? check(context, args) : apply(context, args);
}

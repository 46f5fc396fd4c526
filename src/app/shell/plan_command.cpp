#include "app/shell/plan_command.h"

#include "app/shell/batch_runner.h"
#include "app/shell/camera_change.h"
#include "app/shell/camera_locator.h"
#include "app/shell/camera_record_format.h"
#include "app/shell/plan_check.h"
#include "app/shell/plan_log.h"
#include "app/shell/script_credentials.h"
#include "app/shell/shell_common.h"
#include "app/shell/shell_console.h"
#include "app/shell/shell_context.h"
#include "app/shell/shell_exit.h"
#include "app/shell/site_plan.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"

#include <QJsonDocument>
#include <QNetworkInterface>

using namespace Qt::StringLiterals;

namespace {

const QString kPlanHelp = uR"(
FILE is CSV with a header line naming its columns (any order):
  mac,ip,mask,gateway,dns,host,domain,network[,password_file]
network is static or dhcp; an empty cell keeps the camera's value; lines starting
with # are comments.)"_s;

PlanCamera planCamera(const TConfigItem &camera)
{
    PlanCamera c;
    c.mac = camera.macText();
    c.ip = camera.AddressBlock ? camera.addressWord(0) : camera.Address;
    c.mask = camera.addressWord(1);
    c.gateway = camera.addressWord(2);
    if (camera.flags() & Zora::FlagDns)
        c.dns = camera.addressWord(3);
    c.host = camera.hostNameText();
    if (camera.flags() & Zora::FlagDomain)
        c.domain = camera.domainNameText();
    c.network = CameraRecordFormat::networkTypeName(camera.networkTypeByte());
    c.model = camera.modelNameText();
    return c;
}

QList<LocalSubnet> localSubnets()
{
    QList<LocalSubnet> out;
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        if (!(i.flags() & QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry &e : i.addressEntries()) {
            if (e.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            out << LocalSubnet{e.ip().toIPv4Address(), e.netmask().toIPv4Address(), i.name()};
        }
    }
    return out;
}

struct Scanned {
    SitePlan plan;
    PlanCheck check;
};

// Reads the plan, scans and holds the plan against what answered; nothing with the exit
// status already reported.
std::optional<Scanned> readAndScan(ShellContext &context, const ShellArguments &p, int *status)
{
    QString error;
    const auto wait = ShellCommon::timeoutMs(p, &error);
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
    if (!ShellCommon::localReady(context)) {
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
    QList<PlanCamera> onWire;
    for (int record : context.network.records())
        onWire << planCamera(context.network.registry().record(record));
    return Scanned{*plan, PlanCheck::run(*plan, onWire, localSubnets())};
}

bool differs(const PlanCheck::Row &row, std::initializer_list<const char *> fields)
{
    for (const PlanCheck::FieldChange &c : row.changes) {
        for (const char *f : fields) {
            if (c.field == QLatin1String(f))
                return true;
        }
    }
    return false;
}

// The steps that bring a camera to its row: the network first (followed to the planned
// address), then the host name.
QList<BatchStep> stepsFor(const SitePlan::Entry &entry, const PlanCheck::Row &row,
                          const PlanCamera &now)
{
    QList<BatchStep> steps;
    if (differs(row, {"ip", "mask", "gateway", "dns", "network"})) {
        BatchStep s;
        s.name = u"network"_s;
        s.follow = true;
        const QString network = entry.network.value_or(now.network == u"dhcp"_s ? u"dhcp"_s : u"static"_s);
        if (network == u"dhcp"_s) {
            s.change = CameraChange(CameraChange::Kind::Network);
            s.change.setDhcp();
        } else {
            const QString ip = entry.ip.value_or(now.ip);
            std::optional<QString> dns = entry.dns;
            if (!dns && !now.dns.isEmpty())
                dns = now.dns;
            s.change = CameraChange(CameraChange::Kind::Network);
            s.change.setStatic(ip, entry.mask.value_or(now.mask), entry.gateway.value_or(now.gateway), dns);
            s.expectAddress = ip;
        }
        steps << s;
    }
    if (differs(row, {"host", "domain"})) {
        BatchStep s;
        s.name = u"host"_s;
        s.follow = true;
        s.change = CameraChange(CameraChange::Kind::Host);
        s.change.setHost(entry.host.value_or(now.host), entry.domain ? entry.domain : now.domain);
        steps << s;
    }
    return steps;
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

int check(ShellContext &context, const ShellArguments &p)
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

int apply(ShellContext &context, const ShellArguments &p)
{
    QString error;
    const auto parallel = ShellCommon::parallel(p, &error);
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
    const std::optional<LoginEntry> siteLogin = ShellCommon::credentials(p, context, &error);
    int status = ExitOk;
    const std::optional<Scanned> s = readAndScan(context, p, &status);
    if (!s)
        return status;
    if (s->check.blocksApply()) {
        context.console.out(s->check.text());
        context.console.err(u"the plan has errors: nothing was sent"_s);
        return ExitError;
    }

    // What every row comes to before anything is sent.
    struct Line {
        QString mac, verdict, address, text;
        int task = -1;
        bool failed = false;
    };
    QList<Line> lines;
    QList<BatchTask> tasks;
    for (const PlanCheck::Row &row : s->check.rows()) {
        Line line{row.mac, {}, row.address, {}};
        const std::optional<SitePlan::Entry> entry = s->plan.entryFor(row.mac);
        if (!row.found) {
            line.verdict = u"missing"_s;
            line.text = u"did not answer the scan"_s;
            line.failed = true;
        } else if (row.asPlanned()) {
            line.verdict = u"as planned"_s;
            line.text = u"nothing to change"_s;
        } else if (entry) {
            const int record = context.network.recordOfMac(row.mac);
            QList<BatchStep> steps = stepsFor(*entry, row, planCamera(context.network.registry().record(record)));
            QStringList skipped;
            for (qsizetype i = steps.size() - 1; i >= 0; --i) {
                if (done.contains(PlanLog::key(row.mac, steps[i].name))) {
                    skipped.prepend(steps[i].name);
                    steps.removeAt(i);
                }
            }
            if (steps.isEmpty()) {
                line.verdict = u"done earlier"_s;
                line.text = u"the log shows %1 sent"_s.arg(skipped.join(u" and "_s));
            } else {
                std::optional<LoginEntry> login = siteLogin;
                if (entry->passwordFile) {
                    ScriptCredentials::Sources sources;
                    sources.user = p.value(u"--user"_s);
                    sources.passwordFile = *entry->passwordFile;
                    login = ScriptCredentials::resolve(sources, &error);
                }
                if (!login) {
                    context.console.err(u"%1: %2"_s.arg(row.mac, error));
                    return ExitUsage;
                }
                line.task = int(tasks.size());
                tasks << BatchTask{row.mac, *login, steps};
            }
        }
        lines << line;
    }

    BatchRunner runner(context.network);
    runner.setParallel(*parallel);
    runner.setDryRun(dryRun);
    ShellCommon::prepare(runner, context);
    QObject::connect(&runner, &BatchRunner::commandBuilt, &runner,
                     [&](int task, const QString &step, const QByteArray &bytes, bool unicast,
                         const QString &address) {
                         if (dryRun)
                             context.console.out(u"%1 %2: would send %3 bytes to %4: %5"_s.arg(
                                 tasks[task].mac, step, QString::number(bytes.size()),
                                 unicast ? address : u"broadcast"_s, hex(bytes)));
                     });
    bool logFailed = false;
    QObject::connect(&runner, &BatchRunner::stepEnded, &runner,
                     [&](int task, const QString &step, const QString &result,
                         const QString &address, const QString &message) {
                         if (!log || log->append(tasks[task].mac, step, result, address,
                                                 ShellCommon::oneLine(message))
                             || logFailed)
                             return;
                         logFailed = true;
                         context.console.err(u"cannot write to %1: a resumed apply may send "
                                             u"the steps from here on again"_s.arg(logPath));
                     });
    if (!dryRun) {
        QObject::connect(&runner, &BatchRunner::taskEnded, &runner, [&](int, const BatchResult &r) {
            context.console.note(u"%1: %2 %3"_s.arg(ShellCommon::cameraName(context.network, r.mac),
                                                   r.verdict, ShellCommon::oneLine(r.text)));
        });
    }
    const QList<BatchResult> results = runner.run(tasks);
    context.console.clearStatus();
    if (dryRun)
        return ExitOk;

    const QString format = u"%1  %2  %3  %4"_s;
    context.console.out(format.arg(u"MAC"_s, -17).arg(u"RESULT"_s, -21).arg(u"ADDRESS"_s, -15).arg(u"MESSAGE"_s));
    int changed = 0, failed = 0;
    for (Line &line : lines) {
        if (line.task >= 0) {
            const BatchResult &r = results[line.task];
            line.verdict = r.verdict;
            line.address = r.address;
            line.text = r.text;
            line.failed = r.status != ExitOk;
            changed += !line.failed;
        }
        failed += line.failed;
        context.console.out(format.arg(line.mac, -17).arg(line.verdict, -21).arg(line.address, -15)
                                .arg(ShellCommon::oneLine(line.text)));
    }
    context.console.out(u"%1 changed, %2 not, of %3 planned"_s.arg(changed).arg(failed).arg(lines.size()));
    if (runner.stopping())
        return ExitInterrupted;
    return failed ? ExitBatch : ExitOk;
}

} // namespace

QList<CommandSyntax> PlanCommand::syntaxes()
{
    return {
        CommandSyntax{u"plan check"_s, u"plan check FILE [--json] [--timeout S]"_s,
                      uR"(One scan, then the plan held against the cameras that answered: each row
found or missing with what would change, and what is wrong (a MAC or an address
planned twice, an address another camera answers from, cameras the plan does
not name, addresses outside this computer's networks). Exit status 0 when
nothing is wrong, 1 when something is.
  --json          the report as JSON
  --timeout S     seconds the scan waits for answers (default 3))"_s
                          + kPlanHelp,
                      {{u"--json"_s, 0, 0}, {u"--timeout"_s, 1, 1}},
                      1},
        CommandSyntax{u"plan apply"_s,
                      u"plan apply FILE --user ID [--password-file F] [--dry-run] [--parallel N] "
                      u"[--log FILE] [--timeout S]"_s,
                      uR"(Checks the plan first and stops on any error; then sends each camera that
differs its network and host-name changes, follows it through each restart and
checks it came back at its planned address. Cameras already as planned are
skipped, missing ones reported.
  --dry-run       print the commands it would send; send nothing
  --parallel N    at most N cameras at once (default 8)
  --log FILE      append one JSON line per camera and step; a second apply with
                  the same log sends nothing the camera already accepted
  --user ID, --password-file F   as for the set commands; a password_file
                  column gives a row its own password)"_s
                          + kPlanHelp,
                      {{u"--dry-run"_s, 0, 0}, {u"--parallel"_s, 1, 1}, {u"--log"_s, 1, 1},
                       {u"--user"_s, 1, 1}, {u"--password-file"_s, 1, 1}, {u"--timeout"_s, 1, 1}},
                      1},
    };
}

int PlanCommand::run(ShellContext &context, const QString &command, const ShellArguments &args)
{
    return command == u"plan check"_s ? check(context, args) : apply(context, args);
}

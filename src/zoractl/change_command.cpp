#include "zoractl/change_command.h"

#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/batch_runner.h"
#include "site/camera_change.h"
#include "site/camera_list_format.h"
#include "site/camera_locator.h"
#include "site/report_text.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/console_sink.h"
#include "zoractl/exit_status.h"
#include "zoractl/interrupt_watch.h"
#include "zoractl/option_values.h"

using namespace Qt::StringLiterals;

namespace {

const QList<OptionSpec> kCredentialOptions = {
    {u"--user"_s, 1, 1},    {u"--password-file"_s, 1, 1}, {u"--remote"_s, 1, 1},
    {u"--port"_s, 1, 1},    {u"--cameras"_s, 1, 1},       {u"--wait"_s, 0, 0},
    {u"--timeout"_s, 1, 1}, {u"--parallel"_s, 1, 1},
};

const QString kSetHelp = uR"(
  --user ID                 administrator ID (1..7 characters); required
  --password-file FILE      administrator password, the file's text without a final
                            line break; else $ZORA_PASSWORD; else asked on the terminal
  --remote IP               find the camera by a request to IP (registration) instead
                            of the broadcast scan; the command goes to IP, marked remote
  --port N                  camera port for --remote (default: --camera-port)
  --cameras FILE            apply the change to every MAC listed in FILE (one a line,
                            '#' starts a comment) instead of MAC; prints a summary
  --parallel N              with --cameras: at most N cameras at once (default 8;
                            1 changes one camera after the other)
  --wait                    follow the camera through its restart (asked every 10 s
                            for 60 s) and report whether and where it came back
  --timeout S               seconds the scan waits for the camera (default 3))"_s;

int usage(CommandContext &context, const QString &text)
{
    context.console.err(text);
    return ExitUsage;
}

} // namespace

const QList<OptionSpec> &ChangeCommand::sharedOptions()
{
    return kCredentialOptions;
}

const QString &ChangeCommand::sharedHelp()
{
    return kSetHelp;
}

int ChangeCommand::run(CommandContext &context, const CommandSyntax &syntax, const Arguments &p,
                       ChangeReader readChange)
{
    const QString &command = syntax.name;
    QString error;
    const auto wait = OptionValues::timeoutMs(p, &error);
    if (!wait)
        return usage(context, error);
    const auto parallel = OptionValues::parallel(p, &error);
    if (!parallel)
        return usage(context, error);
    const bool batch = p.has(u"--cameras"_s);
    const qsizetype wanted = syntax.positionals - (batch ? 1 : 0);
    if (p.positional().size() != wanted)
        return usage(context, u"usage: zoractl %1"_s.arg(syntax.synopsis));
    if (batch && p.has(u"--remote"_s))
        return usage(context, u"--remote names one camera; it cannot go with --cameras"_s);
    QStringList macs;
    if (batch) {
        const auto list = OptionValues::macsOfFile(p.value(u"--cameras"_s), &error);
        if (!list)
            return usage(context, error);
        macs = *list;
    } else {
        const QString mac = Zora::NormalMacText(p.positional().first());
        if (mac.isEmpty())
            return usage(context, u"%1 is not a MAC address"_s.arg(p.positional().first()));
        macs << mac;
    }
    std::optional<CameraChange> change = readChange(p, &error);
    if (!change)
        return usage(context, error);
    std::optional<QString> remotePort;
    if (p.has(u"--remote"_s)) {
        const QString empty = OptionValues::hostProblem(u"--remote"_s, p.value(u"--remote"_s));
        if (!empty.isEmpty())
            return usage(context, empty);
        remotePort = OptionValues::portText(p, context.options, &error);
        if (!remotePort)
            return usage(context, error);
    }
    const std::optional<LoginEntry> entry = OptionValues::credentials(p, context, &error);
    if (!entry)
        return usage(context, error);
    if (!context.localReady())
        return ExitLocal;

    CameraLocator locator(context.network);
    if (p.has(u"--remote"_s)) {
        QString message;
        context.console.status(u"waiting for the camera at %1"_s.arg(p.value(u"--remote"_s)));
        const int record = locator.registerCamera(p.value(u"--remote"_s), *remotePort, &message);
        if (record < 0) {
            context.console.err(message);
            return ExitError;
        }
        const QString found = context.network.registry().record(record).macText();
        if (found != macs.first()) {
            context.console.err(u"the camera at %1 is %2, not %3"_s.arg(p.value(u"--remote"_s), found,
                                                                        macs.first()));
            return ExitError;
        }
    } else {
        context.console.status(u"scanning for %1 camera(s)"_s.arg(macs.size()));
        if (!locator.scan(*wait, macs, &error)) {
            context.console.err(error);
            return ExitLocal;
        }
    }

    QList<BatchTask> tasks;
    for (const QString &mac : macs) {
        BatchTask task;
        task.mac = mac;
        task.login = *entry;
        BatchStep step;
        step.name = command;
        step.change = *change;
        step.follow = p.has(u"--wait"_s);
        task.steps << step;
        tasks << task;
    }
    ConsoleSink sink(context);
    BatchRunner runner(context.network);
    runner.setParallel(batch ? *parallel : 1);
    sink.attach(runner);
    // One camera: what is in flight is a wait for its answer or its restart, which the
    // camera goes through the same without us, so Ctrl-C ends the wait at once. A batch
    // lets its cameras in flight finish so that the table tells each one's end.
    if (!batch && context.interrupts) {
        QObject::connect(context.interrupts, &InterruptWatch::interrupt, &runner,
                         [&runner, &context] { runner.abandon(context.stoppedStatus()); });
    }
    if (batch) {
        QObject::connect(&runner, &BatchRunner::taskEnded, &runner,
                         [&context](int, const BatchResult &r) {
                             context.console.note(u"%1: %2 %3"_s.arg(
                                 CameraListFormat::cameraName(context.network, r.mac), r.verdict,
                                 ReportText::oneLine(r.text)));
                         });
    }
    const QList<BatchResult> results = runner.run(tasks);
    context.console.clearStatus();

    if (!batch) {
        const BatchResult &r = results.first();
        const QString line =
            u"%1: %2"_s.arg(CameraListFormat::cameraName(context.network, r.mac), ReportText::oneLine(r.text));
        if (r.status == ExitOk)
            context.console.out(line);
        else
            context.console.err(line);
        return r.status;
    }
    const QString row = u"%1  %2  %3  %4"_s;
    context.console.out(row.arg(u"MAC"_s, -17).arg(u"RESULT"_s, -21).arg(u"ADDRESS"_s, -15).arg(u"MESSAGE"_s));
    int failed = 0;
    for (const BatchResult &r : results) {
        context.console.out(row.arg(r.mac, -17).arg(r.verdict, -21).arg(r.address, -15)
                                .arg(ReportText::oneLine(r.text)));
        failed += r.status != ExitOk;
    }
    context.console.out(u"%1 of %2 cameras changed"_s.arg(results.size() - failed).arg(results.size()));
    if (runner.stopping())
        return runner.stopStatus();
    return failed ? ExitBatch : ExitOk;
}

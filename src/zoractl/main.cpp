// zoractl: the camera tool for scripts. The commands live in the zoractl library; this is
// the process around them.
#include "base/app_options.h"
#include "base/heap_tuning.h"
#include "base/shared_routines.h"
#include "base/string_table.h"
#include "protocol/camera_network.h"
#include "site/script_credentials.h"
#include "zoractl/command_context.h"
#include "zoractl/command_table.h"
#include "zoractl/completion_script.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"
#include "zoractl/interrupt_watch.h"
#include "zoractl/manual_page.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    TuneHeapForLongLists();
    QCoreApplication app(argc, argv);
    QFile out, err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    Console console(out, err, Console::drawsStatus(::isatty(STDERR_FILENO) == 1));

    QStringList args = app.arguments();
    args.removeFirst();
    // Not documented: the build writes the manual page and the completion from the table,
    // and the package test holds both against the table's own list.
    if (args.size() == 1 && args.first().startsWith(u"--print-"_s)) {
        const QString what = args.first().mid(8);
        if (what == u"manual"_s || what == u"completion"_s || what == u"options"_s) {
            console.outRaw((what == u"manual"_s       ? ManualPage::text()
                            : what == u"completion"_s ? CompletionScript::text()
                                                      : CommandTable::optionList())
                               .toUtf8());
            return ExitOk;
        }
    }
    AppOptions options;
    QString error;
    if (!options.take(args, &error)) {
        console.err(error);
        return ExitUsage;
    }
    if (options.version) {
        console.out(AppOptions::versionLine(u"zoractl"_s));
        return ExitOk;
    }
    if (args.isEmpty() || args.first().startsWith(u"-"_s)) {
        if (options.help && args.isEmpty()) {
            console.outRaw(CommandTable::generalUsage().toUtf8());
            return ExitOk;
        }
        if (!args.isEmpty())
            console.err(u"unknown option %1"_s.arg(args.first()));
        err.write(CommandTable::generalUsage().toUtf8());
        return ExitUsage;
    }
    QString command = args.takeFirst();
    // Commands of two words: "plan check", "config backup".
    if (!CommandTable::find(command) && !args.isEmpty() && !args.first().startsWith(u"-"_s)
        && CommandTable::find(command + u' ' + args.first()))
        command += u' ' + args.takeFirst();
    const std::optional<CommandSyntax> syntax = CommandTable::find(command);
    // "config" or "plan" alone, or with --help: that group's commands.
    if (const QString group = syntax ? QString() : CommandTable::groupUsage(command); !group.isEmpty()) {
        if (options.help && (args.isEmpty() || args.first().startsWith(u"-"_s))) {
            console.outRaw(group.toUtf8());
            return ExitOk;
        }
        if (args.isEmpty() || args.first().startsWith(u"-"_s))
            console.err(u"%1: a command is missing"_s.arg(command));
        else
            console.err(u"unknown command %1 %2"_s.arg(command, args.first()));
        err.write(group.toUtf8());
        return ExitUsage;
    }
    if (!syntax) {
        console.err(u"unknown command %1"_s.arg(command));
        err.write(CommandTable::generalUsage().toUtf8());
        return ExitUsage;
    }
    if (options.help) {
        console.out(CommandTable::commandHelp(*syntax));
        return ExitOk;
    }
    const std::optional<Arguments> parsed = Arguments::parse(*syntax, args, &error);
    if (!parsed) {
        console.err(error);
        return ExitUsage;
    }

    const AppPaths paths = options.resolvePaths(QCoreApplication::applicationDirPath());
    paths.apply();
    for (const QString &line : paths.moveOlderFiles(AppPaths::olderDir()))
        console.note(u"zoractl: moved the file of an older version "_s + line);
    TMultiLang::Load(3000, 306);
    CameraNetwork network(options);
    InterruptWatch interrupts;
    CommandContext context{network, console, options};
    context.interrupts = &interrupts;
    context.stdinIsTerminal = ScriptCredentials::stdinIsTerminal();
    // Not documented: lets the tests run the ten resends and the restart watch quickly.
    context.confirmIntervalMs = qEnvironmentVariableIntValue("ZORACTL_CONFIRM_INTERVAL_MS");
    context.clockMs = qEnvironmentVariableIntValue("ZORACTL_CLOCK_MS");
    int status = CommandTable::run(context, *syntax, *parsed);
    // A run that a signal asked to end says so, as a shell does for a process the signal
    // ended, even when what was in flight finished well.
    if (interrupts.interrupted())
        status = InterruptWatch::exitStatusOf(interrupts.signalNumber());
    console.clearStatus();
    TMultiLang::Free();
    return status;
}

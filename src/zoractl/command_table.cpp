#include "zoractl/command_table.h"

#include "base/app_options.h"
#include "zoractl/change_command.h"
#include "zoractl/command_context.h"
#include "zoractl/config_command.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"
#include "zoractl/firmware_command.h"
#include "zoractl/plan_command.h"
#include "zoractl/register_command.h"
#include "zoractl/reset_command.h"
#include "zoractl/scan_command.h"
#include "zoractl/search_remote_command.h"
#include "zoractl/set_account_command.h"
#include "zoractl/set_hostname_command.h"
#include "zoractl/set_misc_command.h"
#include "zoractl/set_network_command.h"
#include "zoractl/watch_command.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct ChangeEntry {
    CommandSyntax (*syntax)();
    ChangeCommand::ChangeReader change;
};

const ChangeEntry kChanges[] = {
    {&SetNetworkCommand::syntax, &SetNetworkCommand::change},
    {&SetHostnameCommand::syntax, &SetHostnameCommand::change},
    {&SetAccountCommand::syntax, &SetAccountCommand::change},
    {&SetMiscCommand::syntax, &SetMiscCommand::change},
    {&ResetCommand::syntax, &ResetCommand::change},
};

} // namespace

QList<CommandSyntax> CommandTable::table()
{
    QList<CommandSyntax> t{ScanCommand::syntax(), WatchCommand::syntax(), RegisterCommand::syntax(),
                           SearchRemoteCommand::syntax()};
    for (const ChangeEntry &c : kChanges)
        t << c.syntax();
    return t + PlanCommand::syntaxes() + ConfigCommand::syntaxes() + QList<CommandSyntax>{FirmwareCommand::syntax()};
}

std::optional<CommandSyntax> CommandTable::find(const QString &name)
{
    const QList<CommandSyntax> t = table();
    const auto it = std::find_if(t.begin(), t.end(), [&name](const CommandSyntax &c) {
        return c.name == name;
    });
    if (it == t.end())
        return std::nullopt;
    return *it;
}

QString CommandTable::generalUsage()
{
    QString text = u"Usage: zoractl COMMAND [arguments] [options]\n\nCommands:\n"_s;
    for (const CommandSyntax &c : table())
        text += u"  "_s + c.synopsis + u"\n"_s;
    text += u"\n'zoractl COMMAND --help' describes a command.\n\nOptions of every command "
            u"(before or after the command name):\n"_s
            + AppOptions::usage()
            + u"\nExit status: 0 success, 1 camera not found or not answering the "
              u"registration,\n2 bad arguments or refused values, 3 refused by the camera, "
              u"4 authentication\nfailed, 5 mismatched type, 6 unknown error, 7 no answer, "
              u"8 not back after the\nrestart, 9 some cameras of a batch failed (plan check: "
              u"1 when the plan is wrong;\nconfig diff: 1 when different, 2 on trouble), 10 trouble on "
              u"this computer (local\nport in use, address refused), 130 stopped by Ctrl-C, 143 by "
              u"SIGTERM, 129 by SIGHUP\n(the cameras in flight finish first).\n"_s;
    return text;
}

QString CommandTable::commandHelp(const CommandSyntax &syntax)
{
    return u"Usage: zoractl "_s + syntax.synopsis + u"\n\n"_s + syntax.description
           + u"\n\nShared options:\n"_s + AppOptions::usage();
}

QString CommandTable::groupUsage(const QString &group)
{
    QString lines;
    for (const CommandSyntax &c : table()) {
        if (c.name.startsWith(group + u' '))
            lines += u"  zoractl "_s + c.synopsis + u'\n';
    }
    if (lines.isEmpty())
        return {};
    return u"Usage:\n"_s + lines + u"\n'zoractl "_s + group + u" COMMAND --help' describes a command.\n"_s;
}

QString CommandTable::optionList()
{
    QString text;
    for (const CommandSyntax &c : table()) {
        text += c.name + u"\t\n"_s;
        for (const OptionSpec &o : c.options)
            text += c.name + u'\t' + o.name + u'\n';
    }
    for (const AppOptions::Shared &o : AppOptions::shared())
        text += u'\t' + o.name + u'\n';
    return text;
}

int CommandTable::run(CommandContext &context, const CommandSyntax &syntax, const Arguments &args)
{
    const QString &name = syntax.name;
    if (name == u"scan"_s || name == u"watch"_s || name == u"register"_s || name == u"search-remote"_s) {
        if (args.positional().size() != syntax.positionals) {
            context.console.err(u"usage: zoractl "_s + syntax.synopsis);
            return ExitUsage;
        }
        if (name == u"scan"_s)
            return ScanCommand::run(context, args);
        if (name == u"watch"_s)
            return WatchCommand::run(context, args);
        return name == u"register"_s ? RegisterCommand::run(context, args)
                                     : SearchRemoteCommand::run(context, args);
    }
    if (name.startsWith(u"plan "_s))
        return PlanCommand::run(context, name, args);
    if (name.startsWith(u"config "_s))
        return ConfigCommand::run(context, name, args);
    if (name == u"firmware"_s)
        return FirmwareCommand::run(context, args);
    for (const ChangeEntry &c : kChanges) {
        if (c.syntax().name == name)
            return ChangeCommand::run(context, syntax, args, c.change);
    }
    context.console.err(u"unknown command %1"_s.arg(name));
    return ExitUsage;
}

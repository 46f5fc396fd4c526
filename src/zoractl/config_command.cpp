#include "zoractl/config_command.h"

#include "zoractl/command_context.h"
#include "zoractl/config_backup_command.h"
#include "zoractl/config_diff_command.h"
#include "zoractl/config_restore_command.h"
#include "zoractl/config_set_command.h"
#include "zoractl/config_show_command.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"

using namespace Qt::StringLiterals;

QList<CommandSyntax> ConfigCommand::syntaxes()
{
    return QList<CommandSyntax>{ConfigBackupCommand::syntax()} + ConfigShowCommand::syntaxes()
           + QList<CommandSyntax>{ConfigDiffCommand::syntax(), ConfigRestoreCommand::syntax(),
                                  ConfigSetCommand::syntax()};
}

int ConfigCommand::run(CommandContext &context, const QString &command, const Arguments &args)
{
    if (command == u"config backup"_s)
        return ConfigBackupCommand::run(context, args);
    if (command == u"config show"_s)
        return ConfigShowCommand::show(context, args);
    if (command == u"config fields"_s)
        return ConfigShowCommand::fields(context, args);
    if (command == u"config diff"_s)
        return ConfigDiffCommand::run(context, args);
    if (command == u"config restore"_s)
        return ConfigRestoreCommand::run(context, args);
    if (command == u"config set"_s)
        return ConfigSetCommand::run(context, args);
    context.console.err(u"unknown command %1"_s.arg(command));
    return ExitUsage;
}

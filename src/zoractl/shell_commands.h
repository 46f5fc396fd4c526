#pragma once

#include "zoractl/shell_arguments.h"

#include <QList>
#include <QString>

struct ShellContext;

// zoractl's command table: the syntax of every command, the general usage text and the
// dispatch from a command's name to the code that runs it.
class ShellCommands final
{
public:
    static QList<CommandSyntax> table();
    // The syntax named name (a plan command as "plan check"), or nothing.
    static std::optional<CommandSyntax> find(const QString &name);
    static QString generalUsage();
    static QString commandHelp(const CommandSyntax &syntax);
    // Checks the positional count the command needs, then runs it.
    static int run(ShellContext &context, const CommandSyntax &syntax, const ShellArguments &args);
};

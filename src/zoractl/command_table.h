#pragma once

#include "zoractl/arguments.h"

#include <QList>
#include <QString>

struct CommandContext;

// zoractl's command table: the syntax of every command, the general usage text and the
// dispatch from a command's name to the code that runs it.
class CommandTable final
{
public:
    static QList<CommandSyntax> table();
    // The syntax named name (a plan command as "plan check"), or nothing.
    static std::optional<CommandSyntax> find(const QString &name);
    static QString generalUsage();
    static QString commandHelp(const CommandSyntax &syntax);
    // The usage of a group of two-word commands ("config" for "config backup" and the
    // rest), or an empty text when group names none.
    static QString groupUsage(const QString &group);
    // Every command and option the tool takes, a line each: "COMMAND<tab>OPTION", a
    // command alone as "COMMAND<tab>", a shared option as "<tab>OPTION".
    static QString optionList();
    // Checks the positional count the command needs, then runs it.
    static int run(CommandContext &context, const CommandSyntax &syntax, const Arguments &args);
};

#pragma once

#include "zoractl/arguments.h"

#include <QList>

struct CommandContext;

// zoractl config backup, show, fields, diff, restore and set: a site's configuration as
// files and fields.
class ConfigCommand final
{
public:
    static QList<CommandSyntax> syntaxes();
    static int run(CommandContext &context, const QString &command, const Arguments &args);
};

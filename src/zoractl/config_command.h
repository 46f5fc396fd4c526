#pragma once

#include "zoractl/shell_arguments.h"

#include <QList>

struct ShellContext;

// zoractl config backup, show, fields, diff, restore and set: a site's configuration as
// files and fields.
class ConfigCommand final
{
public:
    static QList<CommandSyntax> syntaxes();
    static int run(ShellContext &context, const QString &command, const ShellArguments &args);
};

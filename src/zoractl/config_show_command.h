#pragma once

#include "zoractl/shell_arguments.h"

#include <QList>

struct ShellContext;

// zoractl config show and config fields: a camera's settings field by field, and the
// fields a script may set.
class ConfigShowCommand final
{
public:
    static QList<CommandSyntax> syntaxes();
    static int show(ShellContext &context, const ShellArguments &args);
    static int fields(ShellContext &context, const ShellArguments &args);
};

#pragma once

#include "zoractl/arguments.h"

#include <QList>

struct CommandContext;

// zoractl config show and config fields: a camera's settings field by field, and the
// fields a script may set.
class ConfigShowCommand final
{
public:
    static QList<CommandSyntax> syntaxes();
    static int show(CommandContext &context, const Arguments &args);
    static int fields(CommandContext &context, const Arguments &args);
};

#pragma once

#include "zoractl/arguments.h"

#include <QList>

struct CommandContext;

// zoractl plan check / plan apply: a site network plan held against the cameras that
// answer, and applied camera by camera (many at once), resumable from its log.
class PlanCommand final
{
public:
    static QList<CommandSyntax> syntaxes();
    static int run(CommandContext &context, const QString &command, const Arguments &args);
};

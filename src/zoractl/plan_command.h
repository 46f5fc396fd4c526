#pragma once

#include "zoractl/shell_arguments.h"

#include <QList>

struct ShellContext;

// zoractl plan check / plan apply: a site network plan held against the cameras that
// answer, and applied camera by camera (many at once), resumable from its log.
class PlanCommand final
{
public:
    static QList<CommandSyntax> syntaxes();
    static int run(ShellContext &context, const QString &command, const ShellArguments &args);
};

#pragma once

#include "app/shell/shell_arguments.h"

#include <QList>

struct ShellContext;

// The commands that change cameras (set-network, set-hostname, set-account, set-misc,
// reset): one camera by MAC, one by address (--remote), or the cameras of a file, at most
// --parallel of them at once.
class ChangeCommand final
{
public:
    static QList<CommandSyntax> syntaxes();
    static int run(ShellContext &context, const QString &command, const ShellArguments &args);
};

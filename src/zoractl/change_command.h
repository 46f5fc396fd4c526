#pragma once

#include "site/camera_change.h"
#include "zoractl/shell_arguments.h"

#include <QList>

#include <optional>

struct ShellContext;

// The flow of the commands that change cameras (set-network, set-hostname, set-account,
// set-misc, reset): one camera by MAC, one by address (--remote), or the cameras of a
// file, at most --parallel of them at once. Each command reads its own change.
class ChangeCommand final
{
public:
    using ChangeReader = std::optional<CameraChange> (*)(const ShellArguments &, QString *error);

    // The options every changing command takes, and their help.
    static const QList<OptionSpec> &sharedOptions();
    static const QString &sharedHelp();

    static int run(ShellContext &context, const CommandSyntax &syntax, const ShellArguments &args,
                   ChangeReader readChange);
};

#pragma once

#include "site/camera_change.h"
#include "zoractl/arguments.h"

#include <QList>

#include <optional>

struct CommandContext;

// The flow of the commands that change cameras (set-network, set-hostname, set-account,
// set-misc, reset): one camera by MAC, one by address (--remote), or the cameras of a
// file, at most --parallel of them at once. Each command reads its own change.
class ChangeCommand final
{
public:
    using ChangeReader = std::optional<CameraChange> (*)(const Arguments &, QString *error);

    // The options every changing command takes, and their help.
    static const QList<OptionSpec> &sharedOptions();
    static const QString &sharedHelp();

    static int run(CommandContext &context, const CommandSyntax &syntax, const Arguments &args,
                   ChangeReader readChange);
};

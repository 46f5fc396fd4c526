#pragma once

#include "zoractl/arguments.h"

struct CommandContext;

// zoractl watch: runs until stopped, a discovery round every --interval seconds, and
// writes what changes on the site as events (JSON lines or text); optionally keeps the
// known site in a state file and serves metrics over HTTP.
class WatchCommand final
{
public:
    static constexpr int kIntervalSeconds = 30;
    static constexpr int kMaxIntervalSeconds = 86400;
    static CommandSyntax syntax();
    static int run(CommandContext &context, const Arguments &args);
};

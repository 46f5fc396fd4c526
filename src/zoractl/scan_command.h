#pragma once

#include "zoractl/arguments.h"

struct CommandContext;

// zoractl scan: broadcast discovery in rounds, every camera that answered.
class ScanCommand final
{
public:
    static constexpr int kRounds = 3;
    static constexpr int kRoundIntervalMs = 300;
    static CommandSyntax syntax();
    static int run(CommandContext &context, const Arguments &args);
};

#pragma once

#include "zoractl/arguments.h"

struct CommandContext;

// zoractl search-remote: one camera asked at its address every 2 s until it answers.
class SearchRemoteCommand final
{
public:
    static CommandSyntax syntax();
    static int run(CommandContext &context, const Arguments &args);
};

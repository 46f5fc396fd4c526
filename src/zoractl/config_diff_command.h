#pragma once

#include "zoractl/arguments.h"

struct CommandContext;

// zoractl config diff: what differs between two camera folders or live cameras.
class ConfigDiffCommand final
{
public:
    static CommandSyntax syntax();
    static int run(CommandContext &context, const Arguments &args);
};

#pragma once

#include "zoractl/arguments.h"

struct CommandContext;

// zoractl config backup: each camera's configuration into a folder of its own.
class ConfigBackupCommand final
{
public:
    static CommandSyntax syntax();
    static int run(CommandContext &context, const Arguments &args);
};

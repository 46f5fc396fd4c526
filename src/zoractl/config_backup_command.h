#pragma once

#include "zoractl/shell_arguments.h"

struct ShellContext;

// zoractl config backup: each camera's configuration into a folder of its own.
class ConfigBackupCommand final
{
public:
    static CommandSyntax syntax();
    static int run(ShellContext &context, const ShellArguments &args);
};

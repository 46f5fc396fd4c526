#pragma once

#include "zoractl/shell_arguments.h"

struct ShellContext;

// zoractl config diff: what differs between two camera folders or live cameras.
class ConfigDiffCommand final
{
public:
    static CommandSyntax syntax();
    static int run(ShellContext &context, const ShellArguments &args);
};

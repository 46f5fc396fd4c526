#pragma once

#include "app/shell/shell_arguments.h"

struct ShellContext;

// zoractl scan: one broadcast discovery, every camera that answered.
class ScanCommand final
{
public:
    static CommandSyntax syntax();
    static int run(ShellContext &context, const ShellArguments &args);
};

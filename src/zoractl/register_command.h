#pragma once

#include "zoractl/shell_arguments.h"

struct ShellContext;

// zoractl register: a camera asked by its address, listed as remote.
class RegisterCommand final
{
public:
    static CommandSyntax syntax();
    static int run(ShellContext &context, const ShellArguments &args);
};

#pragma once

#include "zoractl/arguments.h"

struct CommandContext;

// zoractl register: a camera asked by its address, listed as remote.
class RegisterCommand final
{
public:
    static CommandSyntax syntax();
    static int run(CommandContext &context, const Arguments &args);
};

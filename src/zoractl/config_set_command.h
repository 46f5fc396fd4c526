#pragma once

#include "zoractl/arguments.h"

struct CommandContext;

// zoractl config set: changes fields of the cameras' pages, each page through its own
// checks and writer, uploaded and applied as the window's Save does.
class ConfigSetCommand final
{
public:
    static CommandSyntax syntax();
    static int run(CommandContext &context, const Arguments &args);
};

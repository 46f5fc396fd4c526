#pragma once

#include "zoractl/shell_arguments.h"

struct ShellContext;

// zoractl config set: changes fields of the cameras' pages, each page through its own
// checks and writer, uploaded and applied as the window's Save does.
class ConfigSetCommand final
{
public:
    static CommandSyntax syntax();
    static int run(ShellContext &context, const ShellArguments &args);
};

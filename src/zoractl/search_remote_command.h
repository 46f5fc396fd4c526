#pragma once

#include "zoractl/shell_arguments.h"

struct ShellContext;

// zoractl search-remote: one camera asked at its address every 2 s until it answers.
class SearchRemoteCommand final
{
public:
    static CommandSyntax syntax();
    static int run(ShellContext &context, const ShellArguments &args);
};

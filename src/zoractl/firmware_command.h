#pragma once

#include "zoractl/shell_arguments.h"

struct ShellContext;

// zoractl firmware: one image for many cameras of one model, a canary first, each camera
// followed through its restart and its software version read back; resumable from its
// log.
class FirmwareCommand final
{
public:
    static CommandSyntax syntax();
    static int run(ShellContext &context, const ShellArguments &args);
};

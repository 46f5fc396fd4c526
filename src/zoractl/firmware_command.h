#pragma once

#include "zoractl/arguments.h"

struct CommandContext;

// zoractl firmware: one image for many cameras of one model, a canary first, each camera
// followed through its restart and its software version read back; resumable from its
// log.
class FirmwareCommand final
{
public:
    static CommandSyntax syntax();
    static int run(CommandContext &context, const Arguments &args);
};

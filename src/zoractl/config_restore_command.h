#pragma once

#include "zoractl/arguments.h"

struct CommandContext;

// zoractl config restore: gives a camera the configuration of a camera folder, page by
// page, uploading only the pages that differ.
class ConfigRestoreCommand final
{
public:
    static CommandSyntax syntax();
    static int run(CommandContext &context, const Arguments &args);
};

#pragma once

#include "zoractl/shell_arguments.h"

struct ShellContext;

// zoractl config restore: gives a camera the configuration of a camera folder, page by
// page, uploading only the pages that differ.
class ConfigRestoreCommand final
{
public:
    static CommandSyntax syntax();
    static int run(ShellContext &context, const ShellArguments &args);
};

#pragma once

#include "site/camera_change.h"
#include "zoractl/arguments.h"

#include <optional>

// zoractl set-account: allows or forbids the guest account and changes the administrator password.
class SetAccountCommand final
{
public:
    static CommandSyntax syntax();
    // The change the arguments describe; nothing with the message on a usage error.
    // Values that can be judged without the camera are judged here, before any scan.
    static std::optional<CameraChange> change(const Arguments &args, QString *error);
};

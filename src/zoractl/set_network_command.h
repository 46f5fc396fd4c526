#pragma once

#include "site/camera_change.h"
#include "zoractl/arguments.h"

#include <optional>

// zoractl set-network: changes the network type and settings: DHCP, a static address or PPPoE.
class SetNetworkCommand final
{
public:
    static CommandSyntax syntax();
    // The change the arguments describe; nothing with the message on a usage error.
    // Values that can be judged without the camera are judged here, before any scan.
    static std::optional<CameraChange> change(const Arguments &args, QString *error);
};

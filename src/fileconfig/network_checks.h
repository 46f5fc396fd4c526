#pragma once

#include "base/check_failure.h"
#include "fileconfig/page_settings.h"

#include <optional>

// The Save checks of the Network Info page, in their order; the first failure only.
// Only the chosen network type's fields are checked (DHCP has none). remote: the row's
// connection kind is "3", whose gateway may lie on another network.
std::optional<CheckFailure> CheckNetworkPage(const NetworkPageSettings &s, bool remote);

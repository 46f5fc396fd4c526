#pragma once

#include "base/check_failure.h"

#include <optional>

struct StreamServerSettings;

// The Save checks of the Stream Server page, in their order; the first failure only.
// Every field is checked whether or not its server is enabled.
std::optional<CheckFailure> CheckStreamServerPage(const StreamServerSettings &s);

#pragma once

#include "base/check_failure.h"

#include <optional>

struct DdnsSettings;

// The Save checks of the DDNS page, in their order; the first failure only. The fields
// are required even while DDNS is switched off: the file is rewritten whole.
std::optional<CheckFailure> CheckDdnsPage(const DdnsSettings &s);

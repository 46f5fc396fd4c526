#pragma once

#include "base/check_failure.h"

#include <optional>

struct SystemInfoSettings;

// The Save checks of the System Info page: only what general.conf cannot hold.
std::optional<CheckFailure> CheckSystemInfoPage(const SystemInfoSettings &s);

#pragma once

#include "base/check_failure.h"
#include "fileconfig/page_settings.h"

#include <optional>

// The Save checks of the Host Name page, in their order; the first failure only.
std::optional<CheckFailure> CheckHostPage(const HostPageSettings &s);

#pragma once

#include "base/check_failure.h"

#include <optional>

struct WebServerSettings;

// The Save checks of the Web Server page, in their order; the first failure only.
std::optional<CheckFailure> CheckWebServerPage(const WebServerSettings &s);

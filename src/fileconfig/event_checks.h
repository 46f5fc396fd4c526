#pragma once

#include "base/check_failure.h"

#include <optional>

struct EventPageSettings;

// The Save checks of the Event Server page, in their order; the first failure only. The
// FTP and mail rules apply only while their box is ticked, the period only to the timer
// source.
std::optional<CheckFailure> CheckEventPage(const EventPageSettings &s);

#pragma once

#include "base/check_failure.h"

#include <optional>

struct AudioSettings;

// The Save checks of the Audio page, in their order; the first failure only.
std::optional<CheckFailure> CheckAudioPage(const AudioSettings &s);

#pragma once

#include "base/check_failure.h"

#include <optional>

struct CameraControlSettings;

// The Save checks of the Camera Control page, in their order; the first failure only.
// Without channelOneModelBox (model codes other than 2 and 6) channel 1's ID is shown
// disabled and empty, and is not checked.
std::optional<CheckFailure> CheckCameraControlPage(const CameraControlSettings &s,
                                                   bool channelOneModelBox);

#pragma once

#include "base/check_failure.h"
#include "fileconfig/page_settings.h"

#include <optional>

// What the page Save's checks need to know beyond the page's values.
struct PageCheckContext {
    bool remote = false;             // the row's connection kind is "3"
    bool channelOneModelBox = false; // CameraTraits::channelOneModelBox
};

// The checks btnSave runs before anything is written or sent, for whichever page the
// settings belong to; nothing for pages without rules. The Account page is never saved
// through btnSave (its own Save runs CheckAccountSave), so it has none here either.
std::optional<CheckFailure> CheckPage(const PageSettings &settings,
                                      const PageCheckContext &context);

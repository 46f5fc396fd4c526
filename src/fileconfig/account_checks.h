#pragma once

#include "base/check_failure.h"
#include "fileconfig/page_settings.h"

#include <optional>

// The Account page's own Save (btnAccountSave): the password rules apply only with
// "Change Password", but a new password that is too long is refused even without it.
// The page Save never serves this page, so it has no other checks.
std::optional<CheckFailure> CheckAccountSave(const AccountPageSettings &s);

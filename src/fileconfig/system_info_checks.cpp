#include "fileconfig/system_info_checks.h"

#include "base/string_table.h"
#include "fileconfig/page_settings.h"
#include "fileconfig/system_info_config.h"

std::optional<CheckFailure> CheckSystemInfoPage(const SystemInfoSettings &s)
{
    // Model, serial number and version are shown only and never written back.
    return Checks::RejectUnstorable({
        {PageText::fromBytes(s.location), GetString(3094, QStringLiteral("Installed Location")),
         QStringLiteral("editSysLocation")},
        {PageText::fromBytes(s.email), GetString(3095, QStringLiteral("Admin Email Address")),
         QStringLiteral("editSysEmail")},
    });
}

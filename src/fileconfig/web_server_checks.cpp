#include "fileconfig/web_server_checks.h"

#include "base/string_table.h"
#include "fileconfig/page_settings.h"
#include "fileconfig/web_server_config.h"

std::optional<CheckFailure> CheckWebServerPage(const WebServerSettings &s)
{
    const QString port = PageText::fromBytes(s.port);
    const QString title = PageText::fromBytes(s.title);
    const QString titleFocus = QStringLiteral("editWebTitle");
    // The port rules leave the focus where it is.
    if (auto f = Checks::RequireField(port, GetString(3203, QStringLiteral("Port is EMPTY")), {}))
        return f;
    if (auto f = Checks::RequireField(
            title, GetString(3204, QStringLiteral("Display Title is Required")), titleFocus))
        return f;
    if (auto f = Checks::RequireNumber(
            port, 1, 65535, GetString(3205, QStringLiteral("Port must be beteen 1 to 65535")),
            GetString(3206, QStringLiteral("Port must be a NUMBER")), {}))
        return f;
    // The port passed as digits only; title.js holds the title between double quotes.
    return Checks::RejectUnstorable(title, GetString(3121, QStringLiteral("Display Title")),
                                    titleFocus, true);
}

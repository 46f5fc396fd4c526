#include "fileconfig/ddns_checks.h"

#include "base/string_table.h"
#include "fileconfig/ddns_config.h"
#include "fileconfig/page_settings.h"

std::optional<CheckFailure> CheckDdnsPage(const DdnsSettings &s)
{
    const QString id = PageText::fromBytes(s.id);
    const QString password = PageText::fromBytes(s.password);
    const QString handle = PageText::fromBytes(s.handle);
    const QString idFocus = QStringLiteral("editDDNSID");
    const QString passwordFocus = QStringLiteral("editDDNSPass");
    const QString handleFocus = QStringLiteral("editDDNSHandle");
    if (auto f = Checks::RequireField(id, GetString(3200, QStringLiteral("ID is Required")),
                                      idFocus))
        return f;
    if (auto f = Checks::RequireField(
            password, GetString(3201, QStringLiteral("Password is Required")), passwordFocus))
        return f;
    if (auto f = Checks::RequireField(handle, GetString(3202, QStringLiteral("Handle is Required")),
                                      handleFocus))
        return f;
    // ddns.conf holds each value between double quotes.
    return Checks::RejectUnstorable({
        {id, GetString(3116, QStringLiteral("DDNS ID")), idFocus, true},
        {password, GetString(3117, QStringLiteral("DDNS Password")), passwordFocus, true},
        {handle, GetString(3118, QStringLiteral("DDNS Handle")), handleFocus, true},
    });
}

#include "fileconfig/host_checks.h"

#include "base/string_table.h"
#include "protoconfig/network_value_checks.h"

std::optional<CheckFailure> CheckHostPage(const HostPageSettings &s)
{
    const QString host = QStringLiteral("editHostName");
    const QString domain = QStringLiteral("editDomain");
    if (auto f = Checks::RequireField(
            s.host, GetString(3193, QStringLiteral("Host Name is required")), host))
        return f;
    if (auto f = Checks::RejectBlanks(
            s.host, GetString(3194, QStringLiteral("Host Name has blanks")), host))
        return f;
    if (auto f = L60::CheckNameLengths(s.host, host, s.domain, domain))
        return f;
    return Checks::RejectUnstorable({
        {s.host, GetString(3046, QStringLiteral("Camera Host Name")), host},
        {s.domain, GetString(3047, QStringLiteral("Domain Name")), domain},
    });
}

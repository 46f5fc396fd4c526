#include "fileconfig/host_checks.h"

#include "base/string_table.h"

namespace {

constexpr int kMaxName = 32;

} // namespace

std::optional<CheckFailure> CheckHostPage(const HostPageSettings &s)
{
    const QString host = QStringLiteral("editHostName");
    const QString domain = QStringLiteral("editDomain");
    const QString max32 = GetString(3192, QStringLiteral("Maximum 32 characters"));
    if (auto f = Checks::RequireField(
            s.host, GetString(3193, QStringLiteral("Host Name is required")), host))
        return f;
    if (auto f = Checks::RejectBlanks(
            s.host, GetString(3194, QStringLiteral("Host Name has blanks")), host))
        return f;
    if (auto f = Checks::RejectLonger(
            s.host, kMaxName,
            Checks::TwoPart(GetString(3195, QStringLiteral("Host Name is TOO Long")), max32), host))
        return f;
    if (auto f = Checks::RejectLonger(
            s.domain, kMaxName,
            Checks::TwoPart(GetString(3196, QStringLiteral("Domain Name is TOO Long")), max32),
            domain))
        return f;
    return Checks::RejectUnstorable({
        {s.host, GetString(3046, QStringLiteral("Camera Host Name")), host},
        {s.domain, GetString(3047, QStringLiteral("Domain Name")), domain},
    });
}

#include "fileconfig/stream_server_checks.h"

#include "base/string_table.h"
#include "fileconfig/page_settings.h"
#include "fileconfig/stream_server_config.h"

std::optional<CheckFailure> CheckStreamServerPage(const StreamServerSettings &s)
{
    const QString port = PageText::fromBytes(s.port);
    const QString udpMax = PageText::fromBytes(s.udpMaxConnect);
    const QString tcpMax = PageText::fromBytes(s.tcpMaxConnect);
    const QString portFocus = QStringLiteral("editStreamPort");
    const QString udpFocus = QStringLiteral("editStreamUdpMax");
    const QString tcpFocus = QStringLiteral("editStreamTcpMax");
    if (auto f = Checks::RequireField(
            port, GetString(3207, QStringLiteral("Stream Server Port is EMPTY")), portFocus))
        return f;
    if (auto f = Checks::RequireNumber(
            port, 1, 65535,
            GetString(3208, QStringLiteral("Stream Server Port must be beteen 1 to 65535")),
            GetString(3209, QStringLiteral("Stream Server Port must be a NUMBER")), portFocus))
        return f;
    if (auto f = Checks::RequireField(
            udpMax, GetString(3210, QStringLiteral("MAX Clients for UDP Server is EMPTY")),
            udpFocus))
        return f;
    if (auto f = Checks::RequireNumber(
            udpMax, 0, 255,
            GetString(3211,
                      QStringLiteral("MAX Clients for UDP is out of range ( Min 0 to Max 255 )")),
            GetString(3212, QStringLiteral("MAX Clients for UDP must be a NUMBER")), udpFocus))
        return f;
    if (auto f = Checks::RequireField(
            tcpMax, GetString(3213, QStringLiteral("MAX Clients for TCP Server is EMPTY")),
            tcpFocus))
        return f;
    if (auto f = Checks::RequireNumber(
            tcpMax, 0, 255,
            GetString(3214,
                      QStringLiteral("MAX Clients for TCP is out of range ( Min 0 to Max 255 )")),
            GetString(3215, QStringLiteral("MAX Clients for TCP must be a NUMBER")), tcpFocus))
        return f;
    // No single field is wrong here, so the focus stays.
    if (!s.udpEnabled && !s.tcpEnabled)
        return CheckFailure{
            GetString(3216, QStringLiteral("You cannot disable both TCP and UDP Server")), {}, {}};
    // Numbers that passed hold digits only; nothing else is written.
    return std::nullopt;
}

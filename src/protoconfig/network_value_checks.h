#pragma once

#include "base/check_failure.h"

#include <optional>

// Checks of network values that both page families and zoractl share: values a camera
// would take and then be unreachable with.
namespace L60 {

// The static address must be a host of its subnet: the network address (all host bits
// clear) and the broadcast address (all set) of the mask are refused. Masks of 31 and 32
// bits have no such addresses. Both texts are valid dotted addresses.
std::optional<CheckFailure> CheckHostOfMask(const QString &ip, const QString &mask,
                                            const QString &focus);

// A PPPoE MTU the link can carry (an integer already).
std::optional<CheckFailure> CheckPppoeMtu(const QString &mtu, const QString &focus);
inline constexpr int kMinMtu = 68;
inline constexpr int kMaxMtu = 1500;

// Host and domain names of both families: the camera's files hold 32 characters.
std::optional<CheckFailure> CheckNameLengths(const QString &host, const QString &hostFocus,
                                             const QString &domain, const QString &domainFocus);
inline constexpr int kMaxHostName = 32;

} // namespace L60

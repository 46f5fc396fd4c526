#pragma once

#include <QHostAddress>
#include <QString>

// The one check every outgoing datagram and connection passes. With the environment
// variable ZORA_LOOPBACK_ONLY=1 (set by the test and demo scripts) any destination
// outside 127.0.0.0/8 is refused, so that a test can never reach a real network.
class SendGuard final
{
public:
    static bool loopbackOnly();
    // Empty when the destination may be used; otherwise the reason it may not.
    static QString refusal(const QHostAddress &destination);
};

#pragma once

#include "base/network_adapters.h"

#include <QHostAddress>
#include <QList>
#include <QString>

// The one check every outgoing datagram and connection passes. With the environment
// variable ZORA_LOOPBACK_ONLY=1 (set by the test and demo scripts) any destination
// outside 127.0.0.0/8 is refused, so that a test can never reach a real network.
// ZORA_ALLOWED_NETS=CIDR[,CIDR...] lets destinations in those nets through as well (the
// site test bed sets it inside its own network namespace), and a limited broadcast
// (255.255.255.255) passes only while every adapter that is up is loopback or lies
// inside those nets.
class SendGuard final
{
public:
    static bool loopbackOnly();
    // The nets of ZORA_ALLOWED_NETS; malformed entries are left out.
    static QList<AdapterSubnet> allowedNets();
    // refusal() with the adapters given rather than the system's.
    static QString refusal(const QHostAddress &destination, const NetworkAdapters &adapters);
    // Empty when the destination may be used; otherwise the reason it may not.
    static QString refusal(const QHostAddress &destination);
    // A typed destination before anything is done with it: a numeric form other than
    // dotted decimal ("127.0.0.030", "0x7f.0.0.1", "127.1") is refused rather than read
    // as octal, hex or short; under ZORA_LOOPBACK_ONLY a name other than "localhost" is
    // refused before any lookup, which would itself leave the machine. Empty when the
    // host may be used (then looked up when it is a name).
    static QString hostRefusal(const QString &host);
    // The host is written as a number (no letters, or a form the address parser takes
    // for IPv4, "0x7f.0.0.1" among them) rather than as a name to look up.
    static bool numericForm(const QString &host);
};

#pragma once

// What the discovery benchmarks send: one camera's discovery reply, the same for every
// run so that figures compare, and socket addresses on loopback.
#include "protocol/datagram.h"

#include <QByteArray>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace BenchFleet {

// The reply of camera i: distinct MAC and host name, domain, address block and tags.
inline QByteArray replyFor(int i)
{
    QByteArray d("ZORA", 4);
    d += char(2);
    d += QByteArray(2, '\0');
    d += char(5);
    d += char(0);
    const quint32 n = quint32(i);
    d += QByteArray::fromHex("000A");
    d += char(n >> 24);
    d += char(n >> 16);
    d += char(n >> 8);
    d += char(n);
    d += char(1);
    d += char(0x07);
    const QByteArray model = "L80", host = "camera-" + QByteArray::number(i), domain = "site.lan";
    d += char(model.size()) + model + char(host.size()) + host + char(domain.size()) + domain;
    d += QByteArray::fromHex("7F000001FF0000007F000001");
    d += QByteArray::fromHex("020101030132");
    Zora::PutLe16(d, 5, quint16(d.size()));
    return d;
}

inline sockaddr_in address(const char *ip, quint16 port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, ip, &a.sin_addr);
    return a;
}

} // namespace BenchFleet


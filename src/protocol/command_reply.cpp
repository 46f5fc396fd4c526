#include "protocol/command_reply.h"

#include "protocol/datagram.h"

bool CommandReply::isDiscovery() const
{
    return rawType == Zora::ReplyDiscovery;
}

CommandReply CommandReply::parse(QByteArrayView bytes)
{
    CommandReply r;
    if (bytes.size() >= 7)
        r.length = Zora::ReadLe16(bytes, 5);
    if (bytes.size() >= 8) {
        r.rawType = quint8(bytes[7]);
        r.type = r.rawType & 0x7F;
        r.remote = (r.rawType & Zora::RemoteFlag) != 0;
    }
    if (bytes.size() >= 9)
        r.model = quint8(bytes[8]);
    if (bytes.size() >= 15)
        r.mac = bytes.sliced(9, 6).toByteArray();
    return r;
}

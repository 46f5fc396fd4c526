#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The header of a camera's reply, read once when it arrives: every receiver matches on
// these fields rather than on byte offsets of its own.
struct CommandReply {
    quint16 length = 0;        // the length field (offsets 5..6)
    quint8 rawType = 0;        // offset 7 as sent
    quint8 type = 0;           // offset 7 without the remote flag
    bool remote = false;       // bit 7 of offset 7
    quint8 model = 0;          // offset 8
    QByteArray mac;            // offsets 9..14; empty when the reply is too short for one

    bool carriesMac() const { return mac.size() == 6; }
    bool isFrom(QByteArrayView sixBytes) const
    {
        return carriesMac() && sixBytes.size() == 6 && QByteArrayView(mac) == sixBytes;
    }
    // A discovery reply exactly (a type with the flag set is not one).
    bool isDiscovery() const;

    // Reads whatever of the header the bytes hold; shorter input leaves fields zero.
    static CommandReply parse(QByteArrayView bytes);
};

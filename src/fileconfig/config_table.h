#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>

// One parsed key/value pair of a camera configuration file, in the fixed layout the
// page readers share. A field holds up to its full size; shorter text ends with a zero.
struct ConfigEntry {
    static constexpr int KeySize = 64;
    static constexpr int ValueSize = 192;

    char key[KeySize] = {};
    char value[ValueSize] = {};

    QByteArray keyText() const;
    QByteArray valueText() const;
    // Stores both texts, cut to the field sizes.
    void set(QByteArrayView k, QByteArrayView v);
};

// The table the readers search. Parsing appends after the entries already present and
// stops at the capacity.
struct ConfigTable {
    static constexpr int Capacity = 21;

    qint32 count = 0;
    std::array<ConfigEntry, Capacity> entries {};

    void clear();
};

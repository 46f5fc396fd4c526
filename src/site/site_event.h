#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// One thing that happened on the site: a camera came, went, came back, moved, was
// renamed, or its address got into (or out of) a conflict. Both front ends show the
// same events: zoractl writes them a line each, the window lists them.
struct SiteEvent {
    enum class Kind { Appeared, Gone, Back, AddressChanged, HostChanged, ModelChanged, Conflict,
                      ConflictCleared };

    Kind kind = Kind::Appeared;
    QDateTime time;       // UTC
    QString mac;
    QString address;
    QString host;
    QString model;
    QString adapter;
    QString previous;     // the address, host or model before a change
    QString conflict;     // shared_address, mac_from_two_addresses, own_address
    QStringList with;     // the other MACs on the address, or the addresses of the MAC

    // "appeared", "address_changed", ...
    static QString kindName(Kind kind);
    static QString timeText(const QDateTime &time);
    QJsonObject toJson() const;
    // One JSON object and a line feed.
    QByteArray jsonLine() const;
    // The same as a readable line, camera texts escaped as zoractl prints them.
    QString textLine() const;
    // What happened in a few words, without the time and the camera ("moved from
    // 10.0.0.5", "shares its address with 00:0A:…"), for the window's list.
    QString summary() const;
};

#pragma once

#include "protocol/address_review.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class CameraNetwork;

// The listed cameras as both front ends write them out (zoractl scan prints them, the
// window exports them): each record as CameraRecordFormat has it, with what the list
// knows besides, the adapter each camera answered on and the address conflicts.
class CameraListFormat final
{
public:
    enum class Kind { Text, Json, Csv };

    // The cameras of records: a line each of the four list columns, a JSON array of
    // objects, or CSV under one header line. The PPPoE password only with secrets.
    static QByteArray of(CameraNetwork &network, const QList<int> &records, Kind kind, bool secrets);
    static QByteArray text(CameraNetwork &network, const QList<int> &records);
    static QByteArray json(CameraNetwork &network, const QList<int> &records, bool secrets);
    static QByteArray csv(CameraNetwork &network, const QList<int> &records, bool secrets);

    // The address remarks of every listed camera, by record.
    static QHash<int, AddressReview::Remark> addressRemarks(CameraNetwork &network);
    // A line for each camera sharing an address, answering from one of this computer's
    // own addresses or outside its adapter's subnet ("warning: ...", "note: ...").
    static QStringList addressWarnings(CameraNetwork &network);
    // A camera named for messages: "MAC (host)".
    static QString cameraName(CameraNetwork &network, const QString &mac);
};

#pragma once

#include <QByteArray>
#include <QString>

struct TConfigItem;

// One command handed to the confirmation step, with what it needs to send and to match
// the camera's answer.
struct ConfirmRequest {
    bool unicast = false;
    QString address;           // the camera's dotted address; unused when broadcast
    QByteArray mac;            // offsets 9..14 of the request
    int recordIndex = -1;      // the row's record, -1 for none
    QByteArray bytes;          // the datagram, its length at offsets 5..6
    int capacity = 1023;
    int adapterIndex = 0;      // a broadcast leaves through this adapter (0: every one)
    QString cameraName;        // "L80 cam1 (00:0A:1B:2C:3D:4E)", for window titles

    // The request for a command to camera (record recordIndex).
    static ConfirmRequest to(const TConfigItem &camera, int recordIndex, bool unicast,
                             const QByteArray &bytes, int capacity);
};

// How a confirmed command ended.
enum class CommandOutcome {
    NotSent,        // refused before sending (no record, login cancelled, bad input)
    Success,        // type 0 from the camera
    AuthFailure,    // type 2: wrong ID or password
    Failed,         // type 1, 3 or 4, acknowledged
    Cancelled,      // the wait was cancelled (also after a type 5 or above stopped it)
    NoAnswer,       // ten sends without a matching answer
};

// Sends a command, repeats it until the camera answers and reports the result; the
// window's TSaveConfigDlg shows it modally, the command-line tool waits without widgets.
class CommandConfirmation
{
public:
    virtual ~CommandConfirmation() = default;
    virtual CommandOutcome confirm(const ConfirmRequest &request) = 0;
};

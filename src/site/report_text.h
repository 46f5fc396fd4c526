#pragma once

#include <QString>

// Text that goes into a report line: a camera's names and messages, which the camera or
// a file may have filled with anything.
class ReportText final
{
public:
    // Every control character (C0, DEL and C1, which terminals act on) and the backslash
    // as \xNN, so a name cannot fake a line, a column or a terminal command, and every
    // backslash printed starts an escape.
    static QString escaped(const QString &text);
    // A message of several lines (the window's wording) on one.
    static QString oneLine(QString text);
    // "1 camera", "12 cameras".
    static QString cameras(int n);
};

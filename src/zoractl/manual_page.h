#pragma once

#include <QString>

// zoractl(1) in man(7) markup, made from the command table and the shared options, so
// that the page lists every command and option the tool takes. The build writes it; the
// parts no table holds (what the tool is, its environment) are written here.
class ManualPage final
{
public:
    static QString text();
    // A line of plain text made safe for roff: backslashes, hyphens and a leading dot or
    // quote escaped.
    static QString escaped(const QString &line);
};

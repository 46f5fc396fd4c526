#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file a script names on the command line: a regular file, a pipe (/dev/stdin,
// <(...)) or "-" for standard input. Pipes give their bytes only as they come and have no
// size, so the whole text is read up to its end, never more than a bound: a device that
// never ends (/dev/zero) or a file named by mistake is refused, not read whole.
class InputFile final
{
public:
    // The bytes of path, or nothing with "cannot read PATH: why" or, past limit bytes,
    // "PATH is longer than LIMIT bytes" (what the caller adds after it says what belongs
    // in the file).
    static std::optional<QByteArray> read(const QString &path, qint64 limit, QString *error);
    // "standard input" for "-", else the path: how messages name the file.
    static QString displayName(const QString &path);
};

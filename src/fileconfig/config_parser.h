#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

struct ConfigTable;

// Key/value files of the camera ("key=value" lines, '#', '%' and empty lines ignored,
// a value in double quotes taken without them). The files are 8-bit text; nothing here
// decodes them.

// Appends the entries of `contents` to `table`, at most 255 bytes of each line, keys
// cut to 64 and values to 192 bytes, stopping at the table's capacity. Returns the new
// count.
int ParseConfigText(QByteArrayView contents, ConfigTable &table);
// The same for a file; -1 (table untouched) when the file does not exist.
int ParseConfigFile(const QString &path, ConfigTable &table);

// Where a line's entry lies, as the readers see it: the key, and the value's bytes (the
// text between the quotes when the line holds one, else after the '='; blanks around it
// left out). Nothing for a line that is not an entry (comment, empty, no '=').
struct EntrySpan {
    QByteArrayView key;
    qsizetype valueBegin = 0; // offsets into the line
    qsizetype valueEnd = 0;
};
std::optional<EntrySpan> LocateEntry(QByteArrayView line);
// The part of a line the readers look at (the first 255 bytes).
QByteArrayView ReaderView(QByteArrayView line);

// 1-based position of the first item equal (ASCII case ignored) to `path` or to one of
// its tails after a '/', longest first; 0 when none matches.
int FindListSuffix(const QStringList &list, const QString &path);

// ASCII-case-insensitive comparisons of configuration keys.
bool KeyEquals(QByteArrayView key, QByteArrayView wanted);
bool KeyStartsWith(QByteArrayView text, QByteArrayView wanted);

// The lines of a file without their line ends (LF, CR LF, any CRs before the LF),
// whole. An unterminated
// last line counts; nothing follows a final line feed.
QList<QByteArrayView> SplitConfigLines(QByteArrayView contents);

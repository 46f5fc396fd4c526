#include "fileconfig/config_parser.h"

#include "fileconfig/config_table.h"

#include <QFile>

namespace {

constexpr qsizetype LineLimit = 255;

// Blanks and control characters: every byte up to the blank. Bytes of 0x80 and above
// are text (the comments and names are in an 8-bit code page), never trimmed.
bool isSpace(char c)
{
    return uchar(c) <= uchar(' ');
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameText(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool skipped(QByteArrayView line)
{
    if (line.isEmpty())
        return true;
    const char c = line.front();
    return c == '\n' || c == '#' || c == '%' || c == '\r';
}

// Key and value of one line; false for a line that is not an entry.
bool splitEntry(QByteArrayView line, QByteArrayView *key, QByteArrayView *value)
{
    const std::optional<EntrySpan> span = LocateEntry(line);
    if (!span)
        return false;
    *key = span->key;
    *value = line.sliced(span->valueBegin, span->valueEnd - span->valueBegin);
    return true;
}

} // namespace

std::optional<EntrySpan> LocateEntry(QByteArrayView line)
{
    if (skipped(line))
        return std::nullopt;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    EntrySpan span;
    span.key = trimmed(line.first(eq));
    const qsizetype open = line.indexOf('"');
    qsizetype begin = eq + 1;
    qsizetype end = line.size();
    if (open >= 0) {
        const qsizetype close = line.indexOf('"', open + 1);
        // An unclosed quote takes the rest of the line.
        begin = open + 1;
        end = close < 0 ? line.size() : close;
    }
    while (begin < end && isSpace(line[begin]))
        ++begin;
    while (end > begin && isSpace(line[end - 1]))
        --end;
    span.valueBegin = begin;
    span.valueEnd = end;
    return span;
}

QByteArrayView ReaderView(QByteArrayView line)
{
    return line.first(qMin(line.size(), LineLimit));
}

QList<QByteArrayView> SplitConfigLines(QByteArrayView contents)
{
    QList<QByteArrayView> lines;
    qsizetype pos = 0;
    while (pos < contents.size()) {
        qsizetype nl = contents.indexOf('\n', pos);
        qsizetype end = nl < 0 ? contents.size() : nl;
        // Every carriage return before the line end belongs to it: "\r\r\n" is a
        // line end too, so that a copied line never keeps half of one.
        qsizetype textEnd = end;
        while (textEnd > pos && contents[textEnd - 1] == '\r')
            --textEnd;
        lines.append(contents.sliced(pos, textEnd - pos));
        pos = nl < 0 ? contents.size() : nl + 1;
    }
    return lines;
}

int ParseConfigText(QByteArrayView contents, ConfigTable &table)
{
    if (table.count < 0 || table.count > ConfigTable::Capacity)
        table.count = ConfigTable::Capacity;
    qsizetype pos = 0;
    while (pos < contents.size() && table.count < ConfigTable::Capacity) {
        const qsizetype nl = contents.indexOf('\n', pos);
        const qsizetype end = nl < 0 ? contents.size() : nl;
        // A line counts with its first 255 bytes; the rest of a longer one is skipped.
        QByteArrayView line = ReaderView(contents.sliced(pos, end - pos));
        pos = nl < 0 ? contents.size() : nl + 1;
        QByteArrayView key, value;
        if (!splitEntry(line, &key, &value))
            continue;
        table.entries[size_t(table.count)].set(key, value);
        ++table.count;
    }
    return table.count;
}

int ParseConfigFile(const QString &path, ConfigTable &table)
{
    QFile file(path);
    if (!file.exists())
        return -1;
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray contents = file.readAll();
    return ParseConfigText(contents, table);
}

int FindListSuffix(const QStringList &list, const QString &path)
{
    QString copy = path;
    for (;;) {
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (sameText(list.at(i).toLatin1(), copy.toLatin1()))
                return int(i + 1);
        }
        const qsizetype slash = copy.indexOf(QLatin1Char('/'));
        if (slash < 0)
            return 0;
        copy = copy.mid(slash + 1);
    }
}

bool KeyEquals(QByteArrayView key, QByteArrayView wanted)
{
    return sameText(key, wanted);
}

bool KeyStartsWith(QByteArrayView text, QByteArrayView wanted)
{
    return text.size() >= wanted.size() && sameText(text.first(wanted.size()), wanted);
}

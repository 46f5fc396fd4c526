#include "app/profile_file.h"

#include <QFile>
#include <QSaveFile>

#include <utility>

namespace {

struct Line {
    qsizetype begin = 0;   // first byte of the line
    qsizetype textEnd = 0; // end of the text, before CR LF / LF
    qsizetype end = 0;     // after the line break (== textEnd on an unterminated last line)
};

QList<Line> splitLines(const QByteArray &data)
{
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < data.size()) {
        Line line;
        line.begin = pos;
        qsizetype nl = data.indexOf('\n', pos);
        if (nl < 0) {
            line.textEnd = line.end = data.size();
        } else {
            line.textEnd = (nl > pos && data.at(nl - 1) == '\r') ? nl - 1 : nl;
            line.end = nl + 1;
        }
        lines.append(line);
        pos = line.end;
    }
    return lines;
}

QByteArrayView textOf(const QByteArray &data, const Line &line)
{
    return QByteArrayView(data).sliced(line.begin, line.textEnd - line.begin);
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// The name of a section header line, or nothing when the line is not one.
bool sectionName(QByteArrayView text, QByteArrayView *name)
{
    QByteArrayView t = text.trimmed();
    if (!t.startsWith('['))
        return false;
    qsizetype close = t.indexOf(']');
    *name = close < 0 ? t.sliced(1) : t.sliced(1, close - 1);
    return true;
}

bool keyLine(QByteArrayView text, QByteArrayView *key, QByteArrayView *value)
{
    qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return false;
    *key = text.first(eq).trimmed();
    *value = text.sliced(eq + 1).trimmed();
    return true;
}

QByteArray unquote(QByteArrayView value)
{
    if (value.size() >= 2) {
        char q = value.front();
        if ((q == '"' || q == '\'') && value.back() == q)
            return value.sliced(1, value.size() - 2).toByteArray();
    }
    return value.toByteArray();
}

QByteArray lineBreakOf(const QByteArray &data)
{
    qsizetype nl = data.indexOf('\n');
    if (nl > 0 && data.at(nl - 1) == '\r')
        return QByteArrayLiteral("\r\n");
    if (nl >= 0)
        return QByteArrayLiteral("\n");
    return QByteArrayLiteral("\r\n");
}

// Locates section and key: index of the section header line (-1 when missing), the
// key line (-1 when missing) and the last non-blank line of the section.
struct Place {
    qsizetype section = -1;
    qsizetype key = -1;
    qsizetype lastContent = -1;
};

Place locate(const QByteArray &data, const QList<Line> &lines, QByteArrayView section,
             QByteArrayView key)
{
    Place place;
    bool inside = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArrayView text = textOf(data, lines[i]);
        QByteArrayView name;
        if (sectionName(text, &name)) {
            if (inside)
                break; // only the first section of a name counts
            if (sameName(name, section)) {
                inside = true;
                place.section = place.lastContent = i;
            }
            continue;
        }
        if (!inside)
            continue;
        if (!text.trimmed().isEmpty())
            place.lastContent = i;
        QByteArrayView k, v;
        if (place.key < 0 && keyLine(text, &k, &v) && sameName(k, key))
            place.key = i;
    }
    return place;
}

} // namespace

ProfileFile::ProfileFile(QString path)
    : m_path(std::move(path))
{
}

bool ProfileFile::exists() const
{
    return QFile::exists(m_path);
}

QByteArray ProfileFile::load() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray ProfileFile::readString(QByteArrayView section, QByteArrayView key,
                                   QByteArrayView fallback) const
{
    return lookup(load(), section, key, fallback);
}

int ProfileFile::readInt(QByteArrayView section, QByteArrayView key, int fallback) const
{
    bool found = false;
    QByteArray value = lookup(load(), section, key, {}, &found);
    return found ? toInt(value) : fallback;
}

bool ProfileFile::hasKey(QByteArrayView section, QByteArrayView key) const
{
    bool found = false;
    lookup(load(), section, key, {}, &found);
    return found;
}

bool ProfileFile::writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    QByteArray updated = update(load(), section, key, value);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(updated) != updated.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QByteArray ProfileFile::lookup(const QByteArray &contents, QByteArrayView section,
                               QByteArrayView key, QByteArrayView fallback, bool *found)
{
    const QList<Line> lines = splitLines(contents);
    const Place place = locate(contents, lines, section, key);
    if (found)
        *found = place.key >= 0;
    if (place.key < 0)
        return fallback.trimmed().toByteArray();
    QByteArrayView k, v;
    keyLine(textOf(contents, lines[place.key]), &k, &v);
    return unquote(v);
}

QByteArray ProfileFile::update(const QByteArray &contents, QByteArrayView section,
                               QByteArrayView key, QByteArrayView value)
{
    const QList<Line> lines = splitLines(contents);
    const Place place = locate(contents, lines, section, key);
    const QByteArray eol = lineBreakOf(contents);
    QByteArray result = contents;

    if (place.key >= 0) {
        const Line &line = lines[place.key];
        QByteArrayView text = textOf(contents, line);
        // Keep the key as the file spells it, up to and including its '='.
        QByteArray replacement = text.first(text.indexOf('=') + 1).toByteArray();
        replacement += value;
        result.replace(line.begin, line.textEnd - line.begin, replacement);
        return result;
    }

    QByteArray entry = key.toByteArray() + '=' + value.toByteArray() + eol;
    if (place.section >= 0) {
        const Line &after = lines[place.lastContent];
        if (after.end == after.textEnd) {
            // The section ends the file without a final line break.
            result.insert(after.end, eol + entry);
        } else {
            result.insert(after.end, entry);
        }
        return result;
    }

    if (!result.isEmpty() && !result.endsWith('\n'))
        result += eol;
    result += '[' + section.toByteArray() + ']' + eol + entry;
    return result;
}

int ProfileFile::toInt(QByteArrayView value)
{
    QByteArrayView v = value.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) {
        negative = v[i] == '-';
        ++i;
    }
    long long n = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        n = n * 10 + (v[i] - '0');
        if (n > 0x7fffffffLL)
            n = 0x7fffffffLL;
    }
    return int(negative ? -n : n);
}

#include "base/profile_file.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
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

// Text that cannot change where the file's lines begin and end.
bool plainText(QByteArrayView text)
{
    return !text.contains('\n') && !text.contains('\r');
}

// A section name that the header written for it gives back.
bool plainSection(QByteArrayView section)
{
    return plainText(section) && !section.contains(']');
}

// A key whose line is a key line of that key alone, compared the same with any case
// rule: ASCII, no '=', not empty and not starting like a section header.
bool plainKey(QByteArrayView key)
{
    const QByteArrayView k = key.trimmed();
    // The line break test on the whole key: trimming would hide one at either end.
    if (k.isEmpty() || k.startsWith('[') || k.contains('=') || !plainText(key))
        return false;
    return std::all_of(k.begin(), k.end(), [](char c) { return uchar(c) < 0x80; });
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
    return contents().value_or(QByteArray());
}

std::optional<QByteArray> ProfileFile::contents(QString *error) const
{
    const QFileInfo info(m_path);
    if (!info.exists())
        return QByteArray();
    // Checked before opening: a FIFO would block the read until someone writes to it.
    if (!info.isFile()) {
        if (error)
            *error = info.isDir() ? QStringLiteral("it is a directory")
                                  : QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
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
    return writeStrings(section, {{key.toByteArray(), value.toByteArray()}});
}

bool ProfileFile::writeStrings(QByteArrayView section, const Entries &entries)
{
    // Writing what an unreadable file was taken to hold would replace all of it with
    // the few keys being set.
    QString why;
    std::optional<QByteArray> updated = contents(&why);
    if (!updated) {
        m_error = QStringLiteral("Cannot read %1: %2; it was left as it is").arg(m_path, why);
        return false;
    }
    *updated = updateAll(*updated, section, entries);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*updated) != updated->size()
        || !file.commit()) {
        m_error = QStringLiteral("Cannot write %1: %2").arg(m_path, file.errorString());
        return false;
    }
    m_error.clear();
    return true;
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

QByteArray ProfileFile::updateAll(const QByteArray &contents, QByteArrayView section,
                                  const Entries &entries)
{
    // update() splits and searches the whole file for each key: seconds for a hundred
    // keys of a 20 MB file. Names and values without line breaks (and keys that are
    // ASCII words) leave the lines of the file in place, so one pass finds every key
    // and the new lines form one block after the section's last entry.
    const auto sequential = [&] {
        QByteArray result = contents;
        for (const auto &[key, value] : entries)
            result = update(result, section, key, value);
        return result;
    };
    if (entries.isEmpty())
        return contents;
    if (!plainSection(section))
        return sequential();
    QSet<QByteArray> wanted;
    for (const auto &[key, value] : entries) {
        if (!plainKey(key) || !plainText(value))
            return sequential();
        wanted.insert(key.trimmed().toLower());
    }

    const QList<Line> lines = splitLines(contents);
    const QByteArray eol = lineBreakOf(contents);
    qsizetype header = -1;
    qsizetype last = -1;
    QHash<QByteArray, qsizetype> found; // the first line of each wanted key
    QByteArray probe; // reused: no allocation a line
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView text = textOf(contents, lines[i]);
        QByteArrayView name;
        if (sectionName(text, &name)) {
            if (header >= 0)
                break;
            if (sameName(name, section))
                header = last = i;
            continue;
        }
        if (header < 0)
            continue;
        if (!text.trimmed().isEmpty())
            last = i;
        QByteArrayView k, v;
        if (!keyLine(text, &k, &v))
            continue;
        probe.resize(k.size());
        for (qsizetype c = 0; c < k.size(); ++c)
            probe[c] = (k[c] >= 'A' && k[c] <= 'Z') ? char(k[c] - 'A' + 'a') : k[c];
        if (wanted.contains(probe) && !found.contains(probe))
            found.insert(probe, i);
    }
    // A last line without a break that ends in CR: where its CR goes depends on the order
    // of the writes.
    if (header >= 0 && lines[last].end == lines[last].textEnd
        && textOf(contents, lines[last]).endsWith('\r'))
        return sequential();

    // Each changed or added line as the part up to its '=' and the value.
    struct Entry {
        QByteArray prefix;
        QByteArray value;
    };
    QMap<qsizetype, Entry> changed; // by line, in file order
    QList<Entry> added;
    QHash<QByteArray, qsizetype> addedAt;
    for (const auto &[key, value] : entries) {
        const QByteArray name = key.trimmed().toLower();
        if (const auto line = found.constFind(name); line != found.constEnd()) {
            const QByteArrayView text = textOf(contents, lines[*line]);
            changed[*line] = {text.first(text.indexOf('=') + 1).toByteArray(), value};
        } else if (const auto at = addedAt.constFind(name); at != addedAt.constEnd()) {
            added[*at].value = value;
        } else {
            addedAt.insert(name, added.size());
            added.append({key + '=', value});
        }
    }

    QByteArray block;
    for (const Entry &e : added)
        block += e.prefix + e.value + eol;
    if (header < 0) {
        QByteArray result = contents;
        if (!result.isEmpty() && !result.endsWith('\n'))
            result += eol;
        return result + '[' + section.toByteArray() + ']' + eol + block;
    }
    QByteArray result;
    result.reserve(contents.size() + block.size() + eol.size());
    qsizetype copied = 0;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
        const Line &line = lines[it.key()];
        result.append(contents.constData() + copied, line.begin - copied);
        result += it->prefix + it->value;
        copied = line.textEnd;
    }
    const Line &after = lines[last];
    result.append(contents.constData() + copied, after.end - copied);
    if (!block.isEmpty() && after.end == after.textEnd)
        result += eol;
    result += block;
    result.append(contents.constData() + after.end, contents.size() - after.end);
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

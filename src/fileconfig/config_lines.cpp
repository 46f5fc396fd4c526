#include "fileconfig/config_lines.h"

#include "fileconfig/config_parser.h"
#include "fileconfig/config_table.h"

#include <algorithm>
#include <iterator>

ConfigLines::ConfigLines(const QByteArray &contents)
{
    qsizetype pos = 0;
    while (pos < contents.size()) {
        const qsizetype nl = contents.indexOf('\n', pos);
        const qsizetype end = nl < 0 ? contents.size() : nl;
        // The carriage returns before a line feed belong to the line end, as the readers
        // take them; without a line feed they are no line end at all.
        qsizetype textEnd = end;
        while (nl >= 0 && textEnd > pos && contents.at(textEnd - 1) == '\r')
            --textEnd;
        const qsizetype next = nl < 0 ? contents.size() : nl + 1;
        m_lines.append({contents.sliced(pos, textEnd - pos), contents.sliced(textEnd, next - textEnd)});
        pos = next;
    }
    // New lines end as the file's first line does.
    if (!m_lines.isEmpty() && !m_lines.front().end.isEmpty())
        m_eol = m_lines.front().end;
}

void ConfigLines::setText(qsizetype i, const QByteArray &text)
{
    m_lines[i].text = text;
}

void ConfigLines::remove(qsizetype i)
{
    const bool wasLast = i == m_lines.size() - 1;
    const bool unterminated = m_lines.at(i).end.isEmpty();
    m_lines.removeAt(i);
    // The file went on ending without a line feed.
    if (wasLast && unterminated && !m_lines.isEmpty())
        m_lines.last().end.clear();
}

void ConfigLines::insert(qsizetype i, const QByteArray &text)
{
    if (i == m_lines.size() && !m_lines.isEmpty() && m_lines.last().end.isEmpty()) {
        // After a last line without a line end: that line gets one, and the new last line
        // goes without, as the file did.
        m_lines.last().end = m_eol;
        m_lines.append({text, QByteArray()});
        return;
    }
    m_lines.insert(i, {text, m_eol});
}

qsizetype ConfigLines::first(const std::function<bool(QByteArrayView)> &match) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (match(m_lines.at(i).text))
            return i;
    }
    return -1;
}

qsizetype ConfigLines::last(const std::function<bool(QByteArrayView)> &match) const
{
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        if (match(m_lines.at(i).text))
            return i;
    }
    return -1;
}

QByteArray ConfigLines::contents() const
{
    QByteArray out;
    for (const Line &line : m_lines)
        out += line.text + line.end;
    return out;
}

bool FitsOneLine(QByteArrayView text)
{
    return !text.contains('\n') && !text.contains('\r') && !text.contains('\0');
}

bool ScriptExitLine(QByteArrayView line)
{
    const QByteArrayView t = line.trimmed();
    return t == "exit" || t.startsWith("exit ") || t.startsWith("exit\t") || t.startsWith("exit;");
}

namespace {

// The line gives the readers `value`, as they trim it.
bool readsAs(QByteArrayView line, QByteArrayView value)
{
    const auto blank = [](char c) { return uchar(c) <= uchar(' '); };
    while (!value.isEmpty() && blank(value.front()))
        value = value.sliced(1);
    while (!value.isEmpty() && blank(value.back()))
        value.chop(1);
    const QByteArrayView view = ReaderView(line);
    const std::optional<EntrySpan> span = LocateEntry(view);
    return span && view.sliced(span->valueBegin, span->valueEnd - span->valueBegin) == value;
}

} // namespace

bool SetEntryValue(ConfigLines &lines, const std::function<bool(QByteArrayView key)> &matches,
                   const QByteArray &value, const QByteArray &written, bool addMissing)
{
    if (!FitsOneLine(value) || value.contains('"') || !FitsOneLine(written))
        return false;
    QList<std::pair<qsizetype, QByteArray>> edits; // made once every line can take the value
    int entries = 0;
    bool seen = false; // an entry of the key among those the readers take
    qsizetype firstEntry = -1, lastEntry = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView text = lines.text(i);
        const QByteArrayView view = ReaderView(text);
        const std::optional<EntrySpan> span = LocateEntry(view);
        if (!span)
            continue;
        if (firstEntry < 0)
            firstEntry = i;
        lastEntry = i;
        const bool visible = entries++ < ConfigTable::Capacity;
        if (!matches(span->key))
            continue;
        seen = seen || visible;
        qsizetype end = span->valueEnd;
        // A value the readers' 255 bytes cut short runs on to the end of the line.
        if (end == view.size() && text.size() > view.size()) {
            end = text.size();
            while (end > span->valueBegin && uchar(text.at(end - 1)) <= uchar(' '))
                --end;
        }
        // The value in the old one's place; where the readers would then take another
        // value (it starts past the 255 bytes they read, or the line is garbled around
        // its quotes) the value right after the '=', or else the line as it is added.
        const QByteArray candidates[] = {
            text.first(span->valueBegin).toByteArray() + value + text.sliced(end).toByteArray(),
            text.first(view.indexOf('=') + 1).toByteArray() + value, written};
        const auto fits = std::find_if(std::begin(candidates), std::end(candidates),
                                       [&value](const QByteArray &c) { return readsAs(c, value); });
        if (fits == std::end(candidates))
            return false;
        edits.append({i, *fits});
    }
    for (const auto &[i, edited] : edits)
        lines.setText(i, edited);
    if (seen || !addMissing)
        return true;
    if (lastEntry < 0)
        lines.insert(lines.size(), written);
    else if (entries < ConfigTable::Capacity)
        lines.insert(lastEntry + 1, written);
    else
        lines.insert(firstEntry, written);
    return true;
}

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <functional>

// A camera file as lines that can be edited one at a time: a line not edited keeps every
// byte, its line end (LF, CR LF) included, and a last line without a line end keeps
// lacking one. This is how a change to one field leaves the camera's other lines, its
// comments and the lines a person added, as they were.
class ConfigLines final
{
public:
    explicit ConfigLines(const QByteArray &contents);

    qsizetype size() const { return m_lines.size(); }
    // A line's text without its line end.
    QByteArrayView text(qsizetype i) const { return m_lines.at(i).text; }

    // The text of line i; its line end stays.
    void setText(qsizetype i, const QByteArray &text);
    void remove(qsizetype i);
    // A new line before line i (i == size() appends), ended like the file's lines.
    void insert(qsizetype i, const QByteArray &text);

    // The first and last line for which `match` holds; -1 when none does.
    qsizetype first(const std::function<bool(QByteArrayView)> &match) const;
    qsizetype last(const std::function<bool(QByteArrayView)> &match) const;

    QByteArray contents() const;

private:
    struct Line {
        QByteArray text;
        QByteArray end; // empty only on a last line without a line end
    };

    QList<Line> m_lines;
    QByteArray m_eol = "\n";
};

// Text that keeps a file's lines where they are: no line break and no NUL.
bool FitsOneLine(QByteArrayView text);

// A shell script's "exit" line: nothing after it runs.
bool ScriptExitLine(QByteArrayView line);

// In a key/value file: sets the value of every entry whose key `matches`, leaving the rest
// of each such line (its key's spelling, quotes, blanks, what follows the value) as it
// was; a line too garbled for that becomes `written`, the line as the page writes it.
// When no such entry is among those the readers take, `written` is added (unless
// `addMissing` is false) after the last entry, or before the first when the readers'
// table is full, so that they find it. False, with `lines` unchanged, when the value
// cannot stand in such a line (a double quote, a line break).
bool SetEntryValue(ConfigLines &lines, const std::function<bool(QByteArrayView key)> &matches,
                   const QByteArray &value, const QByteArray &written, bool addMissing = true);

#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// Where zoractl's words go: results to standard output, messages to standard error
// ("zoractl: " first), and a status line that a terminal redraws in place while the tool
// waits. The status line is drawn only when standard error is a terminal.
class Console final
{
public:
    Console(QIODevice &out, QIODevice &err, bool errIsTerminal);
    // Whether a status line is drawn on a standard error that is (or is not) a terminal:
    // not on a terminal that cannot move its cursor (TERM=dumb), nor when the user asked
    // for plain output (NO_COLOR set to anything).
    static bool drawsStatus(bool errIsTerminal);

    void out(const QString &text);
    void outRaw(const QByteArray &bytes);
    // What was written so far reaches the reader now (a line of a long-running command).
    void flushOut();
    void err(const QString &text);
    // A line of progress on standard error, without the program's name.
    void note(const QString &text);
    // The status drawn over the last one, on a terminal only; lines apart by '\n'.
    void status(const QString &text);
    void clearStatus();
    bool terminal() const { return m_terminal; }

private:
    QIODevice &m_out;
    QIODevice &m_err;
    QByteArray eraseStatus() const;

    bool m_terminal;
    int m_statusLines = 0;
};

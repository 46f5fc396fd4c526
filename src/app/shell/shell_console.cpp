#include "app/shell/shell_console.h"

#include <QIODevice>

ShellConsole::ShellConsole(QIODevice &out, QIODevice &err, bool errIsTerminal)
    : m_out(out)
    , m_err(err)
    , m_terminal(errIsTerminal)
{
}

void ShellConsole::out(const QString &text)
{
    clearStatus();
    m_out.write(text.toUtf8() + '\n');
}

void ShellConsole::outRaw(const QByteArray &bytes)
{
    clearStatus();
    m_out.write(bytes);
}

void ShellConsole::err(const QString &text)
{
    clearStatus();
    m_err.write("zoractl: " + text.toUtf8() + '\n');
}

void ShellConsole::note(const QString &text)
{
    clearStatus();
    m_err.write(text.toUtf8() + '\n');
}

void ShellConsole::status(const QString &text)
{
    if (!m_terminal)
        return;
    // Carriage return and erase to the end of the line: the line is drawn anew.
    m_err.write("\r\x1b[K" + text.toUtf8());
    m_statusShown = !text.isEmpty();
}

void ShellConsole::clearStatus()
{
    if (!m_statusShown)
        return;
    m_err.write("\r\x1b[K");
    m_statusShown = false;
}

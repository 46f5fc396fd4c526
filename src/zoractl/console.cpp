#include "zoractl/console.h"

#include <QFileDevice>
#include <QIODevice>

Console::Console(QIODevice &out, QIODevice &err, bool errIsTerminal)
    : m_out(out)
    , m_err(err)
    , m_terminal(errIsTerminal)
{
}

bool Console::drawsStatus(bool errIsTerminal)
{
    return errIsTerminal && qEnvironmentVariable("TERM") != QLatin1String("dumb")
           && qEnvironmentVariableIsEmpty("NO_COLOR");
}

void Console::out(const QString &text)
{
    clearStatus();
    m_out.write(text.toUtf8() + '\n');
}

void Console::outRaw(const QByteArray &bytes)
{
    clearStatus();
    m_out.write(bytes);
}

void Console::flushOut()
{
    // Standard output opened on the C stream keeps that stream's buffer, full on a pipe.
    if (auto *file = qobject_cast<QFileDevice *>(&m_out))
        file->flush();
}

void Console::err(const QString &text)
{
    clearStatus();
    m_err.write("zoractl: " + text.toUtf8() + '\n');
}

void Console::note(const QString &text)
{
    clearStatus();
    m_err.write(text.toUtf8() + '\n');
}

void Console::status(const QString &text)
{
    if (!m_terminal)
        return;
    // Back to the start of the first line drawn, erase to the end of the screen: the
    // lines are drawn anew.
    m_err.write(eraseStatus() + text.toUtf8());
    m_statusLines = text.isEmpty() ? 0 : int(text.count(QLatin1Char('\n'))) + 1;
}

void Console::clearStatus()
{
    if (m_statusLines == 0)
        return;
    m_err.write(eraseStatus());
    m_statusLines = 0;
}

QByteArray Console::eraseStatus() const
{
    QByteArray up;
    if (m_statusLines > 1)
        up = "\x1b[" + QByteArray::number(m_statusLines - 1) + 'A';
    return "\r" + up + "\x1b[J";
}

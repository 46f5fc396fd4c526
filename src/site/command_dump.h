#pragma once

#include <QByteArray>
#include <QString>

// A command's bytes as a dry run prints them: hex, with every part that carries a
// password shown as <credentials>. The blocks are only scrambled, with a key anyone can
// read from the same bytes, so printed they would be the password itself in a terminal's
// scrollback, a CI log or a ticket.
class CommandDump final
{
public:
    static QString text(const QByteArray &command);
};

#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Which bracketed name of an INI-style camera file is its section: middle.conf takes
// the first, audio.conf the last.
enum class SectionPick { First, Last };

// The text between the first '[' of a line and the next ']' (lines empty or starting
// with '#' ignored), picked as asked; `fallback` when the file has no such line.
QByteArray IniSectionName(QByteArrayView contents, SectionPick pick, QByteArrayView fallback);

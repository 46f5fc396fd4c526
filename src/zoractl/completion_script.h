#pragma once

#include <QString>

// The bash completion of zoractl, made from the command table and the shared options:
// command words (and the second word of "plan" and "config"), each command's options,
// and for an option's value files, directories or its fixed words, as its help names
// them (FILE, DIR, on|off).
class CompletionScript final
{
public:
    static QString text();
};

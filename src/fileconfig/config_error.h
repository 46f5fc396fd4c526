#pragma once

#include <QString>

// Outcome of a page reader or writer. The values are the string ids of the messages
// the caller shows (through Messenger); None shows nothing.
enum class ConfigError {
    None = 0,
    Parse = 3253, // "Error on Parsing Configuration File"
    Write = 3254, // "Write Error"
};

// The message text of an error from the string table; empty for None.
QString ConfigErrorText(ConfigError error);

#include "fileconfig/config_error.h"

#include "base/string_table.h"

QString ConfigErrorText(ConfigError error)
{
    if (error == ConfigError::None)
        return {};
    return GetString(int(error));
}

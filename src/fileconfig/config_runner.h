#pragma once

#include "fileconfig/config_transfer.h"

#include <QStringList>

// Runs one configuration fetch or upload to its end, as the modal configuration window
// does: 1 when it succeeded (for an upload: the camera took the files), 2 when it was
// cancelled or failed (the messages were shown).
class ConfigRunner
{
public:
    enum Result { Ok = 1, Cancel = 2 };

    virtual ~ConfigRunner() = default;
    virtual int run(const ConfigTransfer &transfer) = 0;
    // The daemon folder's listing of the last run (Camera Control), unfiltered.
    virtual QStringList listing() const = 0;
    // The last run failed because the camera refused the login.
    virtual bool credentialsRejected() const = 0;
};

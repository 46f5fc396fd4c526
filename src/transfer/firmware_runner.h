#pragma once

#include "transfer/firmware_upload_session.h"

// Runs one firmware or picture upload to its end, as the modal progress window does,
// and returns the window's result (FirmwareUploadSession::Result); the window has told
// the user what went wrong.
class FirmwareRunner
{
public:
    virtual ~FirmwareRunner() = default;
    virtual int run(const FlashJob &job, FirmwareUploadSession::Kind kind) = 0;
};

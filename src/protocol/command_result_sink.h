#pragma once

// The main window's handlers of a command's outcome, by record index (-1: no row, in
// which case the handler does nothing).
class CommandResultSink
{
public:
    virtual ~CommandResultSink() = default;
    virtual void ZORASetSuccess(int recordIndex) = 0;
    virtual void ZORAAuthFail(int recordIndex) = 0;
};

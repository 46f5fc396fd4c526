#pragma once

#include "protocol/command_result_sink.h"

class CameraNetwork;

// What a command's outcome does to the camera's row when no window shows it: a success
// starts the restart watch, a refused login forgets the credentials.
class RowResults final : public CommandResultSink
{
public:
    explicit RowResults(CameraNetwork &network);

    void ZORASetSuccess(int recordIndex) override;
    void ZORAAuthFail(int recordIndex) override;

private:
    CameraNetwork &m_network;
};

#pragma once

#include "protocol/command_confirmation.h"

class SaveConfigSession;

// The confirmation step without a window: runs the session with its own 2000 ms timer in
// a local event loop until the camera answers or the sends run out. A failure answer is
// acknowledged at once, as pressing "OK" would, so the result handlers run as in the
// window. For the command-line tool.
class WaitingConfirmation final : public CommandConfirmation
{
public:
    explicit WaitingConfirmation(SaveConfigSession &session);
    CommandOutcome confirm(const ConfirmRequest &request) override;
    // The resend interval; 0 keeps the session's own 2000 ms.
    void setIntervalMs(int ms) { m_intervalMs = ms; }

private:
    SaveConfigSession &m_session;
    int m_intervalMs = 0;
};

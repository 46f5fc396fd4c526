#pragma once

#include <QString>

class CameraNetwork;

// Follows a camera through the restart after a change, as the presence poll does: the
// row in the restarting state is asked for every 10 s (every 20th tick of the 500 ms
// clock) for 60 s, until its discovery reply returns it to present or the countdown
// shows it lost.
class RestartFollower final
{
public:
    enum class State { Waiting, Back, Lost, NoRow };

    RestartFollower(CameraNetwork &network, int recordIndex);

    // How often a camera in its restart is asked for at the address it is to come back
    // at. Left to the presence poll's 10 s, every restart of a script took that long.
    static constexpr int kAskMs = 1000;

    // One clock tick: the presence poll, then the row's state.
    State tick();
    // While the camera restarts: one discovery request to expectAddress (empty: the
    // address it was last seen at), to it alone.
    void ask(const QString &expectAddress = {}) const;
    State state() const;
    // The address the camera answered from (the record's address).
    QString address() const;

private:
    CameraNetwork &m_network;
    int m_record;
};

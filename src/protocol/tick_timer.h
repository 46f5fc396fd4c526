#pragma once

#include <QObject>
#include <QTimer>

// Binds an optional QTimer to a session's tick method. The session runs without one
// (tests call the tick themselves); a window or a waiting loop hands its timer in, which
// then takes the session's interval and its running state.
template <typename Session>
void AttachTickTimer(QTimer *&current, QTimer *timer, int intervalMs, bool running,
                     Session *session, void (Session::*tick)())
{
    if (current)
        QObject::disconnect(current, &QTimer::timeout, session, tick);
    current = timer;
    if (!current)
        return;
    current->setInterval(intervalMs);
    QObject::connect(current, &QTimer::timeout, session, tick);
    if (running)
        current->start();
    else
        current->stop();
}

// Starts or stops a session's optional timer and keeps the running state the session
// reports (tests run sessions without a timer and read that state).
inline void SetTickTimerRunning(QTimer *timer, bool &running, bool on)
{
    running = on;
    if (!timer)
        return;
    if (on)
        timer->start();
    else
        timer->stop();
}

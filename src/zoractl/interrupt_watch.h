#pragma once

#include <QObject>

class QSocketNotifier;

// Turns Ctrl-C (SIGINT), SIGTERM and SIGHUP into a signal on the event loop, so that a
// long command can stop starting cameras and let those in flight finish: the handler
// only notes the signal and writes a byte to a pipe, which a socket notifier reads.
// Until arm() the three keep their default action, so a short command (a scan) still
// ends at once. A second signal of the same kind while the first is being handled ends
// the process as usual.
class InterruptWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InterruptWatch)

public:
    explicit InterruptWatch(QObject *parent = nullptr);
    ~InterruptWatch() override;

    // From now on the three signals are caught; again and again is harmless.
    void arm();

    // Read from the handler's own note, so a signal is seen even when no event loop has
    // run since it came.
    bool interrupted() const { return signalNumber() != 0; }
    // The first signal caught, 0 when none.
    int signalNumber() const;
    // What a shell reports for a process ended by that signal: 130 for Ctrl-C, 143 for
    // SIGTERM, 129 for SIGHUP.
    static int exitStatusOf(int signalNumber) { return 128 + signalNumber; }

signals:
    void interrupt();

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
    bool m_armed = false;
};

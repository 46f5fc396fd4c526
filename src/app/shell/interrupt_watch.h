#pragma once

#include <QObject>

class QSocketNotifier;

// Turns Ctrl-C (SIGINT) into a signal on the event loop: the handler only writes a byte
// to a pipe, which a socket notifier reads. A second Ctrl-C while the first is being
// handled ends the process as usual.
class InterruptWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InterruptWatch)

public:
    explicit InterruptWatch(QObject *parent = nullptr);
    ~InterruptWatch() override;

    bool interrupted() const { return m_interrupted; }

signals:
    void interrupt();

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
    bool m_interrupted = false;
};

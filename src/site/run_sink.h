#pragma once

#include <QObject>
#include <QString>

class BatchRunner;
class ConfigJobRunner;
struct BatchResult;

// What a run on many cameras needs of the front end that started it: where its status
// line goes, the intervals a test may shorten, and word that the user wants it stopped.
// The runs attach their runners to it. This one shows nothing; zoractl's draws on its
// console and turns Ctrl-C into requestStop().
class RunSink : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunSink)

public:
    // 0 keeps the confirmation's 2000 ms between sends and the 500 ms presence clock.
    explicit RunSink(int confirmIntervalMs = 0, int clockMs = 0, QObject *parent = nullptr);
    ~RunSink() override;

    // What the run waits for now; several lines apart by '\n'.
    virtual void status(const QString &text);
    // The run is between two of its parts, or over: nothing is waited for.
    virtual void clearStatus();
    // Nonzero once a stop was asked for: the status the cameras never started get. Asked
    // before a run starts a part that would start more cameras.
    virtual int stopStatus() const;
    // A camera's part of an attached runner began, or ended with result. A run of several
    // parts (files, then commands) starts and ends a camera once in each.
    virtual void cameraStarted(const QString &mac);
    virtual void cameraEnded(const BatchResult &result);

    // No new camera starts in any attached runner; those in flight finish.
    void requestStop(int status);

    // The runner takes the intervals, shows its status line (when statusLine), and stops
    // on requestStop().
    void attach(BatchRunner &runner);
    void attach(ConfigJobRunner &runner, bool statusLine = true);

signals:
    void stopRequested(int status);

private:
    int m_confirmMs;
    int m_clockMs;
    int m_stopStatus = 0;
};

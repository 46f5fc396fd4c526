#pragma once

#include "site/run_sink.h"

class JobBoard;

// A run's events on a job board: each camera's start and end, the stop asked for; the
// run's status line goes to statusText.
class JobSink final : public RunSink
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(JobSink)

public:
    explicit JobSink(JobBoard &board, int confirmIntervalMs = 0, int clockMs = 0, QObject *parent = nullptr);

    void status(const QString &text) override;
    void clearStatus() override;
    void cameraStarted(const QString &mac) override;
    void cameraEnded(const BatchResult &result) override;
    const QString &statusText() const { return m_status; }

private:
    JobBoard &m_board;
    QString m_status;
};

#include "site/job_sink.h"

#include "site/job_board.h"

JobSink::JobSink(JobBoard &board, int confirmIntervalMs, int clockMs, QObject *parent)
    : RunSink(confirmIntervalMs, clockMs, parent)
    , m_board(board)
{
    connect(this, &RunSink::stopRequested, this, [this] { m_board.setStopping(); });
}

void JobSink::status(const QString &text)
{
    m_status = text;
}

void JobSink::clearStatus()
{
    m_status.clear();
}

void JobSink::cameraStarted(const QString &mac)
{
    m_board.started(mac);
}

void JobSink::cameraEnded(const BatchResult &result)
{
    m_board.ended(result);
}

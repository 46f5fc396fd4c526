#include "site/run_sink.h"

#include "site/batch_runner.h"
#include "site/config_job_runner.h"

RunSink::RunSink(int confirmIntervalMs, int clockMs, QObject *parent)
    : QObject(parent)
    , m_confirmMs(confirmIntervalMs)
    , m_clockMs(clockMs)
{
}

RunSink::~RunSink() = default;

void RunSink::status(const QString &)
{
}

void RunSink::clearStatus()
{
}

int RunSink::stopStatus() const
{
    return m_stopStatus;
}

void RunSink::cameraStarted(const QString &)
{
}

void RunSink::cameraEnded(const BatchResult &)
{
}

void RunSink::requestStop(int status)
{
    if (m_stopStatus == 0)
        m_stopStatus = status;
    emit stopRequested(status);
}

void RunSink::attach(BatchRunner &runner)
{
    runner.setConfirmIntervalMs(m_confirmMs);
    runner.setClockMs(m_clockMs);
    connect(&runner, &BatchRunner::statusChanged, this, &RunSink::status);
    connect(&runner, &BatchRunner::taskStarted, this, [this](int, const QString &mac) { cameraStarted(mac); });
    connect(&runner, &BatchRunner::taskEnded, this, [this](int, const BatchResult &r) { cameraEnded(r); });
    connect(this, &RunSink::stopRequested, &runner, [&runner](int status) { runner.stop(status); });
}

void RunSink::attach(ConfigJobRunner &runner, bool statusLine)
{
    runner.setClockMs(m_clockMs);
    if (statusLine)
        connect(&runner, &ConfigJobRunner::statusChanged, this, &RunSink::status);
    connect(&runner, &ConfigJobRunner::jobStarted, this, [this](int, const QString &mac) { cameraStarted(mac); });
    connect(&runner, &ConfigJobRunner::jobEnded, this, [this](int, const BatchResult &r) { cameraEnded(r); });
    connect(this, &RunSink::stopRequested, &runner, [&runner](int status) { runner.stop(status); });
}

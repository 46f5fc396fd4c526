#pragma once

#include "site/run_sink.h"

struct CommandContext;

// A run's status line on zoractl's console, its intervals from the context; from now on
// Ctrl-C, SIGTERM and SIGHUP stop it (no new camera starts, those in flight finish).
class ConsoleSink final : public RunSink
{
public:
    explicit ConsoleSink(CommandContext &context);

    void status(const QString &text) override;
    void clearStatus() override;
    // Read from the signal handler's own note: a signal counts even when no event loop
    // has run since it came.
    int stopStatus() const override;

private:
    CommandContext &m_context;
};

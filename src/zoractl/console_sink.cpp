#include "zoractl/console_sink.h"

#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/interrupt_watch.h"

ConsoleSink::ConsoleSink(CommandContext &context)
    : RunSink(context.confirmIntervalMs, context.clockMs)
    , m_context(context)
{
    if (InterruptWatch *watch = context.interrupts) {
        watch->arm();
        connect(watch, &InterruptWatch::interrupt, this, [this] { requestStop(m_context.stoppedStatus()); });
    }
}

void ConsoleSink::status(const QString &text)
{
    m_context.console.status(text);
}

void ConsoleSink::clearStatus()
{
    m_context.console.clearStatus();
}

int ConsoleSink::stopStatus() const
{
    return m_context.interrupted() ? m_context.stoppedStatus() : RunSink::stopStatus();
}

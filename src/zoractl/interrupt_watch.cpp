#include "zoractl/interrupt_watch.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_signal = 0;

void onSignal(int signalNumber)
{
    if (g_signal == 0)
        g_signal = signalNumber;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    // The next one of the same kind is the default one: a user who presses Ctrl-C twice
    // means it.
    std::signal(signalNumber, SIG_DFL);
}

} // namespace

InterruptWatch::InterruptWatch(QObject *parent)
    : QObject(parent)
{
    g_signal = 0;
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptWatch::readPipe);
}

InterruptWatch::~InterruptWatch()
{
    if (!m_armed)
        return;
    for (const int s : kSignals)
        std::signal(s, SIG_DFL);
    std::signal(SIGPIPE, SIG_DFL);
}

void InterruptWatch::arm()
{
    if (m_armed || !m_notifier)
        return;
    m_armed = true;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kSignals)
        ::sigaction(s, &action, nullptr);
    // A terminal that hangs up often takes the reader of a pipe (tee) with it: a write to
    // that pipe must fail, not end the process while a camera writes its flash.
    std::signal(SIGPIPE, SIG_IGN);
}

int InterruptWatch::signalNumber() const
{
    return int(g_signal);
}

void InterruptWatch::readPipe()
{
    char buffer[16];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    emit interrupt();
}

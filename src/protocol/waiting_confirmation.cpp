#include "protocol/waiting_confirmation.h"

#include "protocol/save_config_session.h"

#include <QEventLoop>
#include <QTimer>

WaitingConfirmation::WaitingConfirmation(SaveConfigSession &session)
    : m_session(session)
{
}

CommandOutcome WaitingConfirmation::confirm(const ConfirmRequest &request)
{
    if (!m_session.prepare(request))
        return CommandOutcome::NotSent;
    QTimer timer;
    m_session.attachTimer(&timer);
    if (m_intervalMs > 0)
        timer.setInterval(m_intervalMs);
    QEventLoop loop;
    auto settled = [this] {
        return m_session.state() != SaveConfigSession::State::Sending;
    };
    const auto onChange = QObject::connect(&m_session, &SaveConfigSession::changed, &loop,
                                           [&loop, settled] {
                                               if (settled())
                                                   loop.quit();
                                           });
    m_session.show();
    if (!settled())
        loop.exec();
    QObject::disconnect(onChange);
    // A stalled wait (type 5 or above) has no end of its own; treat it as cancelled.
    if (m_session.visible())
        m_session.pressButton();
    m_session.attachTimer(nullptr);
    return m_session.outcome();
}

#include "protocol/remote_search_session.h"

#include "protocol/discovery.h"
#include "protocol/register_camera_session.h"
#include "protocol/tick_timer.h"

#include <QTimer>

RemoteSearchSession::RemoteSearchSession(UdpEndpoint &endpoint, Discovery &discovery,
                                         QObject *parent)
    : QObject(parent)
    , m_endpoint(endpoint)
    , m_discovery(discovery)
{
    m_endpoint.addSink(UdpEndpoint::Stage::RemoteSearch, this);
}

RemoteSearchSession::~RemoteSearchSession()
{
    m_endpoint.removeSink(UdpEndpoint::Stage::RemoteSearch, this);
}

void RemoteSearchSession::attachTimer(QTimer *timer)
{
    AttachTickTimer(m_timer, timer, kIntervalMs, m_timerActive, this, &RemoteSearchSession::tick);
}

bool RemoteSearchSession::start(const QString &portText, QString *message)
{
    if (m_state == State::Searching)
        return false;
    const std::optional<quint16> port = RegisterCameraSession::portOf(portText, message);
    if (!port)
        return false;
    if (!m_address.setAddress(m_target) || m_address.protocol() != QAbstractSocket::IPv4Protocol) {
        if (message)
            *message = QStringLiteral("%1 is not an IPv4 address").arg(m_target);
        return false;
    }
    m_port = *port;
    m_sent = 0;
    m_sendError.clear();
    m_result = ResultNone;
    m_state = State::Searching;
    setTimer(true);
    return true;
}

void RemoteSearchSession::tick()
{
    if (m_state != State::Searching)
        return;
    ++m_sent;
    QString why;
    if (!m_discovery.sendRequest(m_address.toString(), m_port, &why))
        m_sendError = why;
}

void RemoteSearchSession::cancel()
{
    if (m_state == State::Searching)
        finish(ResultCancelled);
}

int RemoteSearchSession::offer(const ReceivedDatagram &d)
{
    // Malformed datagrams and other cameras' replies leave the search going; whatever
    // happens here, the endpoint carries on with the datagram.
    if (m_state != State::Searching || d.count < 7 || d.reply.length != d.count)
        return 0;
    if (d.reply.isDiscovery() && QHostAddress(d.sender.toIPv4Address()) == m_address)
        finish(ResultFound);
    return 0;
}

void RemoteSearchSession::setTimer(bool on)
{
    SetTickTimerRunning(m_timer, m_timerActive, on);
}

void RemoteSearchSession::finish(int result)
{
    setTimer(false);
    m_state = State::Closed;
    m_result = result;
    emit finished(result);
}

#pragma once

#include "protocol/udp_endpoint.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

class Discovery;
class QTimer;

// The search for one listed camera that broadcasts do not reach: the unicast discovery
// request to the row's address on every tick (2000 ms, the first a tick after OK), with
// no time limit, until that camera answers or the user cancels. It looks at every reply
// and lets the endpoint carry on with it, so the answer also fills the row through the
// discovery handling. A window binds its controls to it; tests call tick().
class RemoteSearchSession final : public QObject, public DatagramSink
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteSearchSession)

public:
    static constexpr int kIntervalMs = 2000;

    enum class State { Idle, Searching, Closed };
    enum Result { ResultNone = 0, ResultFound = 1, ResultCancelled = 2 };

    RemoteSearchSession(UdpEndpoint &endpoint, Discovery &discovery, QObject *parent = nullptr);
    ~RemoteSearchSession() override;

    void attachTimer(QTimer *timer);
    // The camera to search: the dotted address of its row.
    void setTarget(const QString &address) { m_target = address.trimmed(); }
    const QString &target() const { return m_target; }

    // OK: false with the message when the port is not a number or out of range, or the
    // target is no address; nothing is sent then.
    bool start(const QString &portText, QString *message);
    // The 2000 ms timer: one request.
    void tick();
    // Cancel, or the dialog closed.
    void cancel();

    bool active() const override { return m_state == State::Searching; }
    int offer(const ReceivedDatagram &datagram) override;

    State state() const { return m_state; }
    int result() const { return m_result; }
    int requestsSent() const { return m_sent; }
    quint16 port() const { return m_port; }
    bool timerActive() const { return m_timerActive; }
    QString lastSendError() const { return m_sendError; }

signals:
    void finished(int result);

private:
    void setTimer(bool on);
    void finish(int result);

    UdpEndpoint &m_endpoint;
    Discovery &m_discovery;
    QTimer *m_timer = nullptr;
    QString m_target;
    QHostAddress m_address;
    quint16 m_port = 0;
    State m_state = State::Idle;
    int m_result = ResultNone;
    int m_sent = 0;
    bool m_timerActive = false;
    QString m_sendError;
};

#pragma once

#include "protocol/udp_endpoint.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

class Discovery;
class QTimer;

// Registration of a camera by its address: the unicast discovery request sent at 0, 3,
// 9 and 15 s, and the wait for that camera's own reply. While waiting it is the
// endpoint's registration receiver, so an accepted reply lists the camera as remote.
// A window binds its controls to it; the command-line tool runs it with a timer; tests
// call tick() instead of waiting.
class RegisterCameraSession final : public QObject, public DatagramSink
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RegisterCameraSession)

public:
    static constexpr int kIntervalMs = 3000;
    static constexpr int kGiveUpTick = 4;

    enum class State { Idle, Waiting, Closed };
    enum Result { ResultNone = 0, ResultAccepted = 1, ResultNotAccepted = 2 };

    RegisterCameraSession(UdpEndpoint &endpoint, Discovery &discovery, QObject *parent = nullptr);
    ~RegisterCameraSession() override;

    void attachTimer(QTimer *timer);

    // OK: target is a dotted address or a host name, portText the port as typed. False
    // with the message when the port is not a number or the first send fails; the
    // session then stays idle and nothing is sent.
    bool start(const QString &target, const QString &portText, QString *message);
    // The 3000 ms timer.
    void tick();
    // Cancel, or the window closed.
    void cancel();

    bool active() const override { return m_state == State::Waiting; }
    int offer(const ReceivedDatagram &datagram) override;

    State state() const { return m_state; }
    int result() const { return m_result; }
    int tickCounter() const { return m_ticks; }
    bool timerActive() const { return m_timerActive; }
    // The give-up message, shown when no answer came.
    QString message() const { return m_message; }
    // The address the accepted reply came from.
    QString cameraAddress() const { return m_accepted; }
    QString lastSendError() const { return m_sendError; }

    static QString noResponseText();

signals:
    void finished(int result);

private:
    bool send(QString *error);
    void setTimer(bool on);
    void finish(int result);

    UdpEndpoint &m_endpoint;
    Discovery &m_discovery;
    QTimer *m_timer = nullptr;
    QString m_target;
    QHostAddress m_resolved;
    quint16 m_port = 0;
    // Kept from one use to the next, as the dialog keeps it.
    int m_ticks = 0;
    State m_state = State::Idle;
    int m_result = ResultNone;
    bool m_timerActive = false;
    QString m_message;
    QString m_accepted;
    QString m_sendError;
};

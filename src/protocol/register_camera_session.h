#pragma once

#include "protocol/udp_endpoint.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

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
    // Turns a host name into its IPv4 addresses; empty with the reason when it cannot.
    using Resolver = std::function<QList<QHostAddress>(const QString &name, QString *error)>;
    enum Result { ResultNone = 0, ResultAccepted = 1, ResultNotAccepted = 2 };

    RegisterCameraSession(UdpEndpoint &endpoint, Discovery &discovery, QObject *parent = nullptr);
    ~RegisterCameraSession() override;

    void attachTimer(QTimer *timer);
    // The name lookup (the system's by default); tests give their own.
    void setResolver(Resolver resolver)
    {
        m_resolver = std::move(resolver);
        m_systemResolver = false;
    }
    static QList<QHostAddress> systemResolve(const QString &name, QString *error);
    // A window looks a name up before start() without blocking: true when target is a
    // name the system's resolver would be asked for (not an address, no test resolver).
    bool needsLookup(const QString &target) const;
    // The lookup in the background; done gets the reason it failed, or an empty text, and
    // start() then uses what was found without asking the resolver again. A name the
    // loopback guard refuses is refused at once, before any lookup.
    void lookUp(const QString &target, std::function<void(const QString &error)> done);
    // A lookup still running is dropped (its done is never called).
    void abortLookup();
    // The port as typed: nothing with "Port must be a NUMBER" or the range message.
    static std::optional<quint16> portOf(const QString &text, QString *message);

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
    // The length of the last datagram offered; 0 after clearReceived() (the showing).
    int receivedLength() const { return m_received; }
    void clearReceived() { m_received = 0; }

    static QString noResponseText();

signals:
    void finished(int result);

private:
    bool send(QString *error);
    // The target's addresses now: the address itself, or what the name resolves to.
    QList<QHostAddress> resolve(QString *error);
    void setTimer(bool on);
    void finish(int result);

    UdpEndpoint &m_endpoint;
    Discovery &m_discovery;
    QTimer *m_timer = nullptr;
    QString m_target;
    Resolver m_resolver = &RegisterCameraSession::systemResolve;
    bool m_systemResolver = true;
    // The last background lookup: its name and addresses.
    QString m_lookedUpName;
    QList<QHostAddress> m_lookedUp;
    int m_lookupId = -1;
    // Every address the target resolved to during this use: the reply may come from any.
    QList<QHostAddress> m_addresses;
    quint16 m_port = 0;
    // Kept from one use to the next, as the dialog keeps it.
    int m_ticks = 0;
    State m_state = State::Idle;
    int m_result = ResultNone;
    bool m_timerActive = false;
    QString m_message;
    QString m_accepted;
    QString m_sendError;
    int m_received = 0;
};

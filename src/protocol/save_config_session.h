#pragma once

#include "protocol/command_confirmation.h"
#include "protocol/udp_endpoint.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class CommandResultSink;
class QTimer;

// The command confirmation: sends a command at once and again on every tick (2000 ms)
// until the addressed camera answers or ten sends have gone, words the answer and reports
// it for the row. It is the endpoint's first receiver while it is shown. A window binds
// its controls to the texts and the height; tests call tick() instead of waiting.
class SaveConfigSession final : public QObject, public DatagramSink
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SaveConfigSession)

public:
    static constexpr int kIntervalMs = 2000;
    static constexpr int kMaxSends = 10;
    static constexpr int kHeightWaiting = 66;
    static constexpr int kHeightMessage = 117;

    enum class State { Hidden, Sending, Failed, Stalled };

    SaveConfigSession(UdpEndpoint &endpoint, CommandResultSink *results, QObject *parent = nullptr);
    ~SaveConfigSession() override;

    void setResultSink(CommandResultSink *results) { m_results = results; }
    // The timer that drives tick(); without one, whoever runs the session calls tick().
    void attachTimer(QTimer *timer);

    // Called in this order before show().
    void setTarget(bool unicast, const QString &address);
    void setExpectedMac(QByteArrayView sixBytes);
    void setRow(int recordIndex);
    // False (and no request stored) when length exceeds the bytes or the capacity.
    bool setRequest(const QByteArray &bytes, int capacity, int length);
    // All four setters from one request.
    // Ten sends without an answer: with this set (the window's dialog) the session shows
    // noAnswerText() and waits for the button; without it (scripts) it ends at once.
    void setHoldsNoAnswer(bool on) { m_holdsNoAnswer = on; }
    static QString noAnswerText();
    bool prepare(const ConfirmRequest &request);

    // The dialog appears: first send, timer on, waiting texts.
    void show();
    // Timer1.
    void tick();
    // Button1, "Cancel" while waiting and "OK" after a failure.
    void pressButton();

    // DatagramSink: the reply handler; nonzero when the datagram was consumed.
    bool active() const override { return m_state != State::Hidden; }
    int offer(const ReceivedDatagram &datagram) override;

    State state() const { return m_state; }
    bool visible() const { return m_state != State::Hidden; }
    int height() const { return m_height; }
    QString buttonCaption() const { return m_buttonCaption; }
    QString caption() const;
    QString waitingText() const;
    // The window's headline: the waiting text while the command is out, and once a
    // refusal or the silence is shown below it, that nothing was changed.
    QString statusText() const;
    static QString notChangedText();
    QString errorText() const { return m_errorText; }
    bool errorVisible() const { return m_errorVisible; }
    bool timerActive() const { return m_timerActive; }
    int sendCount() const { return m_ticks; }
    QString destination() const { return m_address; }
    // The endpoint's camera port (32154 unless the options chose another).
    quint16 port() const { return m_port; }
    int row() const { return m_row; }
    CommandOutcome outcome() const { return m_outcome; }
    // Type of the addressed camera's answer, bit 7 cleared; -1 before one came.
    int replyType() const { return m_replyType; }
    QString lastSendError() const { return m_sendError; }

signals:
    // A text, the height or the button caption changed.
    void changed();
    // The dialog closed for good (also silently after the tenth send).
    void finished(CommandOutcome outcome);

private:
    void sendStep();
    void setTimer(bool on);
    void showMessage(const QString &text);
    void close(CommandOutcome outcome);
    void reportSuccess();
    void reportAuthFailure();

    UdpEndpoint &m_endpoint;
    CommandResultSink *m_results = nullptr;
    QTimer *m_timer = nullptr;
    QByteArray m_request;
    int m_length = 0;
    quint16 m_port = 32154;
    bool m_unicast = false;
    QString m_address;
    QString m_cameraAddress;   // where the camera was last seen; only its replies count
    int m_adapterIndex = 0;    // the adapter it was last heard on
    bool m_holdsNoAnswer = false;
    QByteArray m_mac;
    int m_row = -1;
    int m_ticks = 0;
    State m_state = State::Hidden;
    bool m_timerActive = false;
    int m_height = kHeightWaiting;
    QString m_buttonCaption;
    QString m_errorText;
    bool m_errorVisible = false;
    CommandOutcome m_outcome = CommandOutcome::NotSent;
    int m_replyType = -1;
    QString m_sendError;
};

#pragma once

#include "base/network_adapters.h"
#include "protocol/command_reply.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <QList>

#include <array>
#include <functional>

class QTimer;
class QUdpSocket;

// One datagram as the receive handler passes it on: the zero-filled 1024-byte buffer,
// the number of bytes received, the sender and the reply's header, read once.
struct ReceivedDatagram {
    QByteArray buffer; // always 1024 bytes
    int count = 0;
    QHostAddress sender;
    int adapterIndex = 0;    // the interface it arrived on, 0 when unknown
    CommandReply reply;

    QByteArrayView bytes() const { return QByteArrayView(buffer).first(count); }
    quint8 at(int offset) const { return quint8(buffer.at(offset)); }
    QString senderText() const;
};

// A dialog that may be waiting for replies. The endpoint asks it only while active().
class DatagramSink
{
public:
    virtual ~DatagramSink() = default;
    virtual bool active() const = 0;
    // The confirmation and fetch dialogs: nonzero consumes the datagram. The remote
    // search: ignored. The registration dialog: -1 stops the dispatch, 1 marks the
    // camera remote.
    virtual int offer(const ReceivedDatagram &datagram) = 0;
};

// The receivers of one stage, in the order they were added. The confirmations and fetches
// of several cameras wait at once, each for its own camera's answer.
using SinkList = QList<DatagramSink *>;

// The tool's UDP socket: opened by the first send, closed 5 s after the last one. Every
// request leaves through send() and every reply is validated and routed here.
class UdpEndpoint final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UdpEndpoint)

public:
    enum class Stage { Confirm, Fetch, RemoteSearch, Register };
    static constexpr int kStages = 4;
    static constexpr int kSocketTimeoutMs = 5000;
    static constexpr int kBusyIntervalMs = 200;

    explicit UdpEndpoint(QObject *parent = nullptr);
    ~UdpEndpoint() override;

    void setLocalPort(quint16 port) { m_localPort = port; }
    quint16 localPort() const { return m_localPort; }
    void setBroadcastAddress(const QHostAddress &address) { m_broadcast = address; }
    const QHostAddress &broadcastAddress() const { return m_broadcast; }
    void setCameraPort(quint16 port) { m_cameraPort = port; }
    quint16 cameraPort() const { return m_cameraPort; }
    // --adapter: broadcasts to 255.255.255.255 leave through this adapter only.
    void setAdapterName(const QString &name) { m_adapterName = name; }
    const QString &adapterName() const { return m_adapterName; }
    // Where the adapters come from (the system's by default); for tests.
    void setAdapterSource(std::function<NetworkAdapters()> source) { m_adapterSource = std::move(source); }
    NetworkAdapters adapters() const { return m_adapterSource(); }

    // A receiver joins its stage (once; adding it again changes nothing) or leaves it.
    void addSink(Stage stage, DatagramSink *sink);
    void removeSink(Stage stage, DatagramSink *sink);

    // Sends to host (dotted address or name), or broadcasts when host is empty (or is
    // "255.255.255.255", which stands for the broadcast address). False with a message
    // when the name does not resolve, the destination is refused or the send fails.
    // A broadcast to 255.255.255.255 goes out of every adapter that can broadcast (one
    // copy each, the adapter chosen per datagram), or of adapterIndex alone when that
    // adapter is still up: a camera is asked on the segment it was last heard on. Any
    // other broadcast address, a directed one or 127.255.255.255, goes by routing.
    bool send(const QString &host, quint16 port, const QByteArray &bytes, QString *error = nullptr,
              int adapterIndex = 0);
    // The adapters a limited broadcast goes out of: every one that can broadcast (or the
    // one named), narrowed to adapterIndex when that is among them.
    static QList<NetworkAdapter> broadcastAdapters(const NetworkAdapters &adapters, const QString &name,
                                                   int adapterIndex);
    // To the camera port.
    bool sendCommand(const QString &host, const QByteArray &bytes, QString *error = nullptr,
                     int adapterIndex = 0);

    // While a Hold lives the socket is never closed for its listening time: a script that
    // waits longer for answers than that after its last send still hears them. When the
    // last Hold goes, the listening time starts again.
    class Hold
    {
    public:
        explicit Hold(UdpEndpoint &endpoint) : m_endpoint(endpoint) { ++m_endpoint.m_holds; }
        ~Hold() { m_endpoint.releaseHold(); }
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        UdpEndpoint &m_endpoint;
    };

    bool isOpen() const;
    // Opens the socket now (it opens by itself at the first send); false with the
    // reason when the local port cannot be bound.
    bool ensureOpen(QString *error) { return open(error); }
    void markSend();
    void markReceive();
    // SocketTimer: the listening time is over.
    void socketTimeout();
    // BusyTimer: which overlays the lamp shows this tick; counters count down.
    struct Lamp {
        bool send = false;
        bool receive = false;
    };
    Lamp busyTick();
    bool busyTimerActive() const;
    bool socketTimerActive() const;
    const QString &statusText() const { return m_status; }

    // The receive handler; public so tests can hand it datagrams.
    void handleDatagram(const QByteArray &data, const QHostAddress &sender, int adapterIndex = 0);
    // True while a round of reads drains the socket: what the replies change may be
    // gathered until readRoundEnded().
    bool inReadRound() const { return m_inRound; }

signals:
    void statusTextChanged(const QString &text);
    // Every datagram that left, with its destination.
    // Every datagram that left, with its destination (and the adapter chosen, 0 when the
    // routing chose).
    void datagramSent(const QHostAddress &to, quint16 port, const QByteArray &bytes, int adapterIndex);
    void lampChanged(bool send, bool receive);
    // A discovery reply (type 5) that no dialog stopped. Delivered synchronously.
    void discoveryReply(const ReceivedDatagram &datagram, const QString &sender,
                        quint16 length, bool remote);
    // A round of reads ended; more: the socket holds more, read after the events that
    // queued up meanwhile.
    void readRoundEnded(bool more);

private:
    bool open(QString *error);
    bool write(const QByteArray &bytes, const QHostAddress &to, quint16 port, int adapterIndex,
               QString *error);
    void releaseHold();
    void readPending();
    void setStatus(const QString &text);

    QUdpSocket *m_socket = nullptr;
    QTimer *m_socketTimer = nullptr;
    QTimer *m_busyTimer = nullptr;
    std::array<SinkList, kStages> m_sinks;
    QHostAddress m_broadcast{QStringLiteral("255.255.255.255")};
    QString m_adapterName;
    std::function<NetworkAdapters()> m_adapterSource = &NetworkAdapters::system;
    quint16 m_localPort = 32153;
    quint16 m_cameraPort = 32154;
    int m_sendCounter = 0;
    int m_receiveCounter = 0;
    int m_holds = 0;
    bool m_inRound = false;
    QString m_status;
};

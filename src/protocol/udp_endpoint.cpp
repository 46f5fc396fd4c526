#include "protocol/udp_endpoint.h"

#include "base/send_guard.h"
#include "base/string_table.h"
#include "protocol/datagram.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <cstring>

namespace {

// Room for the replies of a few thousand cameras answering one broadcast at once.
constexpr int kReceiveBufferBytes = 8 * 1024 * 1024;
// Datagrams read before the event loop gets its turn: a burst of thousands of replies
// waits in the receive buffer while the window repaints and takes input.
constexpr int kReadSlice = 256;

} // namespace

QString ReceivedDatagram::senderText() const
{
    bool ok = false;
    const quint32 v4 = sender.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : sender.toString();
}

UdpEndpoint::UdpEndpoint(QObject *parent)
    : QObject(parent)
    , m_socketTimer(new QTimer(this))
    , m_busyTimer(new QTimer(this))
{
    m_socketTimer->setObjectName(QStringLiteral("SocketTimer"));
    m_busyTimer->setObjectName(QStringLiteral("BusyTimer"));
    m_socketTimer->setInterval(kSocketTimeoutMs);
    m_busyTimer->setInterval(kBusyIntervalMs);
    connect(m_socketTimer, &QTimer::timeout, this, &UdpEndpoint::socketTimeout);
    connect(m_busyTimer, &QTimer::timeout, this, [this] { busyTick(); });
}

UdpEndpoint::~UdpEndpoint() = default;

void UdpEndpoint::addSink(Stage stage, DatagramSink *sink)
{
    SinkList &list = m_sinks[int(stage)];
    if (sink && !list.contains(sink))
        list.append(sink);
}

void UdpEndpoint::removeSink(Stage stage, DatagramSink *sink)
{
    m_sinks[int(stage)].removeAll(sink);
}

bool UdpEndpoint::isOpen() const
{
    return m_socket && m_socket->state() == QAbstractSocket::BoundState;
}

bool UdpEndpoint::open(QString *error)
{
    if (isOpen())
        return true;
    delete m_socket;
    m_socket = new QUdpSocket(this);
    m_socket->setObjectName(QStringLiteral("UDPServer"));
    if (!m_socket->bind(QHostAddress::AnyIPv4, m_localPort)) {
        // Named with the port and what to do about it: a second copy of a tool on the
        // same port is the usual cause.
        const QString why =
            QStringLiteral("Cannot use local UDP port %1 (%2): another copy of the tool or another "
                           "program holds it. Close it, or start with --local-port N.")
                .arg(m_localPort)
                .arg(m_socket->errorString());
        if (error)
            *error = why;
        setStatus(why);
        delete m_socket;
        m_socket = nullptr;
        return false;
    }
    // The kernel caps SO_RCVBUF at rmem_max; SO_RCVBUFFORCE passes the cap where the
    // process may (as root), which keeps a burst of replies from being dropped.
    const int fd = int(m_socket->socketDescriptor());
    int size = kReceiveBufferBytes;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    // Each reply tells the adapter it came in on.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpEndpoint::readPending);
    return true;
}

void UdpEndpoint::markSend()
{
    open(nullptr);
    setStatus(GetString(3170) + QString::number(m_localPort));
    m_sendCounter = 4;
    m_busyTimer->start();
    m_socketTimer->stop();
    m_socketTimer->start();
}

void UdpEndpoint::markReceive()
{
    m_receiveCounter = 4;
    if (!m_busyTimer->isActive())
        m_busyTimer->start();
}

bool UdpEndpoint::send(const QString &host, quint16 port, const QByteArray &bytes, QString *error,
                       int adapterIndex)
{
    markSend();
    QString why;
    if (!isOpen() && !open(&why)) {
        if (error)
            *error = why;
        return false;
    }
    QHostAddress destination;
    if (host.isEmpty() || host == QLatin1String("255.255.255.255")) {
        destination = m_broadcast;
    } else if (const QString refused = SendGuard::hostRefusal(host); !refused.isEmpty()) {
        if (error)
            *error = refused;
        return false;
    } else if (!destination.setAddress(host)) {
        const QHostInfo info = QHostInfo::fromName(host);
        for (const QHostAddress &a : info.addresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                destination = a;
                break;
            }
        }
        if (destination.isNull()) {
            if (error)
                *error = info.errorString();
            return false;
        }
    }
    // The adapters matter to a limited broadcast alone: every other send goes without
    // asking the system for them.
    const bool limited = destination == QHostAddress(QHostAddress::Broadcast);
    const NetworkAdapters adapters = limited ? m_adapterSource() : NetworkAdapters();
    why = SendGuard::refusal(destination, adapters);
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    if (!limited)
        return write(bytes, destination, port, 0, error);

    // On Linux a limited broadcast leaves by the default route's adapter alone: one
    // copy goes out of each adapter, or of the camera's own when it is still up.
    const QList<NetworkAdapter> targets = broadcastAdapters(adapters, m_adapterName, adapterIndex);
    if (targets.isEmpty()) {
        if (!m_adapterName.isEmpty()) {
            if (error)
                *error = QStringLiteral("No adapter %1 is up").arg(m_adapterName);
            return false;
        }
        return write(bytes, destination, port, 0, error);
    }
    bool sent = false;
    for (const NetworkAdapter &a : targets) {
        QString failed;
        if (write(bytes, destination, port, a.index, &failed))
            sent = true;
        else if (error)
            *error = QStringLiteral("%1: %2").arg(a.name, failed);
    }
    return sent;
}

QList<NetworkAdapter> UdpEndpoint::broadcastAdapters(const NetworkAdapters &adapters,
                                                     const QString &name, int adapterIndex)
{
    const QList<NetworkAdapter> all = adapters.broadcastTargets(name);
    for (const NetworkAdapter &a : all) {
        if (adapterIndex > 0 && a.index == adapterIndex)
            return {a};
    }
    return all;
}

bool UdpEndpoint::write(const QByteArray &bytes, const QHostAddress &to, quint16 port,
                        int adapterIndex, QString *error)
{
    QNetworkDatagram datagram(bytes, to, port);
    if (adapterIndex > 0)
        datagram.setInterfaceIndex(uint(adapterIndex));
    if (m_socket->writeDatagram(datagram) != bytes.size()) {
        if (error)
            *error = m_socket->errorString();
        return false;
    }
    emit datagramSent(to, port, bytes, adapterIndex);
    return true;
}

bool UdpEndpoint::sendCommand(const QString &host, const QByteArray &bytes, QString *error,
                              int adapterIndex)
{
    return send(host, m_cameraPort, bytes, error, adapterIndex);
}

void UdpEndpoint::socketTimeout()
{
    if (m_holds > 0)
        return;
    setStatus(GetString(3263));
    m_socketTimer->stop();
    if (m_socket) {
        m_socket->close();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
}

void UdpEndpoint::releaseHold()
{
    if (--m_holds == 0 && m_socket)
        m_socketTimer->start();
}

UdpEndpoint::Lamp UdpEndpoint::busyTick()
{
    if (m_sendCounter == 0 && m_receiveCounter == 0)
        m_busyTimer->stop();
    const Lamp lamp{m_sendCounter > 0, m_receiveCounter > 0};
    emit lampChanged(lamp.send, lamp.receive);
    if (m_sendCounter > 0)
        --m_sendCounter;
    if (m_receiveCounter > 0)
        --m_receiveCounter;
    return lamp;
}

bool UdpEndpoint::busyTimerActive() const
{
    return m_busyTimer->isActive();
}

bool UdpEndpoint::socketTimerActive() const
{
    return m_socketTimer->isActive();
}

void UdpEndpoint::readPending()
{
    // A burst of replies is drained with one system call a datagram, as a plain socket
    // would; QUdpSocket's own path peeks at each datagram's size first. The last read of
    // each round goes through the socket, which tells it the queue is empty so that it
    // reports the next datagram again; whatever that read finds is handled too.
    QByteArray data(Zora::kReceiveBuffer, Qt::Uninitialized);
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    m_inRound = true;
    int read = 0;
    bool more = false;
    while (m_socket) {
        if (++read > kReadSlice) {
            more = true;
            break;
        }
        sockaddr_in from{};
        iovec io{data.data(), size_t(data.size())};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &io;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(int(m_socket->socketDescriptor()), &msg, MSG_DONTWAIT);
        if (n >= 0) {
            int adapter = 0;
            for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                    in_pktinfo info;
                    memcpy(&info, CMSG_DATA(c), sizeof info);
                    adapter = info.ipi_ifindex;
                }
            }
            handleDatagram(QByteArray::fromRawData(data.constData(), n),
                           QHostAddress(ntohl(from.sin_addr.s_addr)), adapter);
            continue;
        }
        const QNetworkDatagram d = m_socket->receiveDatagram(data.size());
        if (!d.isValid())
            break;
        handleDatagram(d.data(), d.senderAddress(), int(d.interfaceIndex()));
    }
    m_inRound = false;
    // The rest of the burst after the events that queued up meanwhile.
    if (more)
        QMetaObject::invokeMethod(this, &UdpEndpoint::readPending, Qt::QueuedConnection);
    emit readRoundEnded(more);
}

void UdpEndpoint::handleDatagram(const QByteArray &data, const QHostAddress &sender, int adapterIndex)
{
    markReceive();
    ReceivedDatagram d;
    d.buffer = QByteArray(Zora::kReceiveBuffer, '\0');
    d.count = int(qMin<qsizetype>(data.size(), Zora::kReceiveBuffer));
    d.buffer.replace(0, d.count, data.first(d.count));
    d.sender = sender;
    d.adapterIndex = adapterIndex;
    if (d.count < 8 || !d.bytes().startsWith(Zora::kReplyMagic))
        return;
    d.reply = CommandReply::parse(d.bytes());

    // Each stage's receivers in turn; one that finishes may leave its list (or destroy
    // another) while it is asked, so every receiver is looked up again before it is.
    auto each = [this, &d](Stage s, auto &&take) {
        const SinkList snapshot = m_sinks[int(s)];
        for (DatagramSink *k : snapshot) {
            if (!m_sinks[int(s)].contains(k) || !k->active())
                continue;
            if (take(k->offer(d)))
                return true;
        }
        return false;
    };
    const auto consumed = [](int answer) { return answer != 0; };
    if (each(Stage::Confirm, consumed) || each(Stage::Fetch, consumed))
        return;
    each(Stage::RemoteSearch, [](int) { return false; });
    int registered = 0;
    const bool stopped = each(Stage::Register, [&registered](int answer) {
        if (answer == 1)
            registered = 1;
        return answer == -1;
    });
    if (stopped || !d.reply.isDiscovery())
        return;
    emit discoveryReply(d, d.senderText(), d.reply.length, registered == 1);
}

void UdpEndpoint::setStatus(const QString &text)
{
    if (text == m_status)
        return;
    m_status = text;
    emit statusTextChanged(text);
}

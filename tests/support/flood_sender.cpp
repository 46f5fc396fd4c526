#include "flood_sender.h"

#include "test_support.h"

#include "protocol/datagram.h"

#include <QFile>
#include <QRandomGenerator>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

namespace {

// Well under the 8 MB the tool asks for (the kernel counts each datagram's buffer, not
// its payload, against it).
constexpr qint64 kRootQueueRoom = 3 * 1024 * 1024;
constexpr int kCheckEvery = 64;
constexpr int kSources = 64;
// The receiving port may close and open again (the tool closes its socket a while after
// its last send); this long without it ends the flood.
constexpr auto kPortPatience = std::chrono::seconds(10);

} // namespace

std::optional<FloodSender::Queue> FloodSender::queueOf(quint16 port)
{
    QFile f(QStringLiteral("/proc/net/udp"));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // "sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout
    // inode ref pointer drops"
    const QByteArray wanted = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        if (fields.size() < 13 || !fields[1].endsWith(wanted))
            continue;
        Queue q;
        q.bytes = fields[4].mid(fields[4].indexOf(':') + 1).toLongLong(nullptr, 16);
        q.drops = fields[12].toLongLong();
        return q;
    }
    return std::nullopt;
}

qint64 FloodSender::queueRoom()
{
    if (::geteuid() == 0)
        return kRootQueueRoom;
    QFile f(QStringLiteral("/proc/sys/net/core/rmem_max"));
    const qint64 max = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : 0;
    return qMin(kRootQueueRoom, max / 2);
}

QByteArray FloodSender::noise(QRandomGenerator &random, int i)
{
    static const QByteArray valid = SmallReply(1, "cam");
    QByteArray d(int(random.bounded(1100)), Qt::Uninitialized);
    for (char &c : d)
        c = char(random.bounded(256));
    switch (i % 5) {
    case 0: // a reply's start, then noise: every length field whatever it happens to be
        d.replace(0, qMin<qsizetype>(9, d.size()), valid.first(qMin<qsizetype>(9, d.size())));
        break;
    case 1: // a valid reply cut short, or with its length field at the maximum
        d = valid.first(int(random.bounded(valid.size())));
        if (i % 10 == 1 && d.size() >= 7)
            Zora::PutLe16(d, 5, 0xFFFF);
        break;
    case 2: // whole, with a length field that does not match it
        d = valid;
        Zora::PutLe16(d, 5, quint16(random.bounded(0x10000)));
        break;
    default:
        break;
    }
    return d;
}

FloodSender::FloodSender(quint16 port, const Plan &plan)
    : m_port(port)
    , m_plan(plan)
{
}

FloodSender::~FloodSender()
{
    finish();
}

void FloodSender::start()
{
    m_thread = std::thread([this] { run(); });
}

bool FloodSender::finish()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_complete;
}

bool FloodSender::waitForRoom()
{
    static const qint64 room = queueRoom();
    const auto gaveUp = std::chrono::steady_clock::now() + kPortPatience;
    while (!m_stop) {
        if (const auto q = queueOf(m_port)) {
            if (q->drops > m_drops)
                m_drops = q->drops;
            if (!m_plan.paced || q->bytes < room)
                return true;
        } else if (std::chrono::steady_clock::now() > gaveUp) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void FloodSender::run()
{
    // Sources 127.0.3.1 .. 127.0.3.64, and the spoofing one.
    std::vector<int> sockets;
    auto bound = [](quint32 address) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(address);
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    };
    for (int i = 1; i <= kSources; ++i)
        sockets.push_back(bound(0x7F000300u + quint32(i)));
    const int spoofer = m_plan.spoofs > 0 ? bound(m_plan.spoofFrom.toIPv4Address()) : -1;

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(m_port);
    QRandomGenerator random(m_plan.seed);
    QByteArray reply = SmallReply(0, "flood");
    const QByteArray spoof = SmallReply(m_plan.spoofMac, "spoof");
    const int total = m_plan.noise + m_plan.distinctMacs + m_plan.spoofs;
    int macs = 0;
    int spoofs = 0;
    bool ok = true;
    for (int i = 0; i < total && ok; ++i) {
        if (i % kCheckEvery == 0 && !waitForRoom()) {
            ok = false;
            break;
        }
        // The three kinds interleaved, each spread evenly over the flood.
        const qint64 macDue = qint64(i + 1) * m_plan.distinctMacs / total;
        const qint64 spoofDue = qint64(i + 1) * m_plan.spoofs / total;
        QByteArray d;
        int fd = sockets[size_t(i % kSources)];
        if (macs < macDue) {
            SetReplyMac(reply, m_plan.firstMac + macs++);
            d = reply;
        } else if (spoofs < spoofDue) {
            ++spoofs;
            d = spoof;
            fd = spoofer;
        } else {
            d = noise(random, i);
        }
        if (fd < 0 || ::sendto(fd, d.constData(), size_t(d.size()), 0,
                               reinterpret_cast<const sockaddr *>(&to), sizeof to) != d.size()) {
            ok = false;
            break;
        }
        ++m_sent;
    }
    waitForRoom();
    for (int fd : sockets)
        if (fd >= 0)
            ::close(fd);
    if (spoofer >= 0)
        ::close(spoofer);
    m_complete = ok;
    m_done = true;
}

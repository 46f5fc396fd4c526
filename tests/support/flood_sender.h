#pragma once

#include <QByteArray>
#include <QHostAddress>

#include <atomic>
#include <optional>
#include <thread>

class QRandomGenerator;

// Any host on the LAN flooding the tool's UDP port over real loopback sockets, from a
// thread of its own and from many source addresses: random bytes, broken replies,
// replies with ever new MACs and one camera's MAC from another address. It sends only
// while the receiving socket's queue has room, so the receiver is never handed fewer
// datagrams than were sent; it stops when everything is sent, or gives up when the
// receiving port stays closed.
class FloodSender
{
public:
    struct Plan {
        int noise = 0;          // random bytes and broken replies
        int distinctMacs = 0;   // well-formed replies, each with a MAC of its own
        int firstMac = 0;       // the first of those MACs' last three bytes
        int spoofs = 0;         // replies for spoofMac's camera from spoofFrom
        quint8 spoofMac = 0;
        QHostAddress spoofFrom;
        quint32 seed = 20261209;
        bool paced = true;      // false: send at once, whatever the queue holds
    };

    // The receiving socket's queue in bytes and its dropped datagrams, as the kernel
    // tells them for the local UDP port; nothing when no socket holds the port.
    struct Queue {
        qint64 bytes = 0;
        qint64 drops = 0;
    };
    static std::optional<Queue> queueOf(quint16 port);
    // The most the flood lets wait in the receiving queue: well inside the tool's receive
    // buffer, which is 8 MB as root and net.core.rmem_max (doubled) otherwise.
    static qint64 queueRoom();

    // Datagram number i of a noise flood: random bytes, a reply's start followed by
    // noise, a reply cut short or with its length field at the maximum or inconsistent.
    static QByteArray noise(QRandomGenerator &random, int i);

    FloodSender(quint16 port, const Plan &plan);
    ~FloodSender();

    void start();
    // Ends the flood early (the receiver is gone for good).
    void stop() { m_stop = true; }
    // Joins the thread: true when every datagram went out.
    bool finish();
    // The thread is through (sent everything, or gave up).
    bool done() const { return m_done; }
    qint64 sent() const { return m_sent; }
    // The most datagrams the receiving socket had dropped at any check.
    qint64 drops() const { return m_drops; }

private:
    void run();
    bool waitForRoom();

    quint16 m_port;
    Plan m_plan;
    std::thread m_thread;
    std::atomic<qint64> m_sent{0};
    std::atomic<qint64> m_drops{0};
    std::atomic<bool> m_complete{false};
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_stop{false};
};

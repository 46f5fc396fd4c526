#pragma once

// What the discovery benchmarks send: one camera's discovery reply, the same for every
// run so that figures compare, and socket addresses on loopback.
#include "protocol/datagram.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace BenchFleet {

// The reply of camera i: distinct MAC and host name, domain, address block and tags.
inline QByteArray replyFor(int i)
{
    QByteArray d("ZORA", 4);
    d += char(2);
    d += QByteArray(2, '\0');
    d += char(5);
    d += char(0);
    const quint32 n = quint32(i);
    d += QByteArray::fromHex("000A");
    d += char(n >> 24);
    d += char(n >> 16);
    d += char(n >> 8);
    d += char(n);
    d += char(1);
    d += char(0x07);
    const QByteArray model = "L80", host = "camera-" + QByteArray::number(i), domain = "site.lan";
    d += char(model.size()) + model + char(host.size()) + host + char(domain.size()) + domain;
    d += QByteArray::fromHex("7F000001FF0000007F000001");
    d += QByteArray::fromHex("020101030132");
    Zora::PutLe16(d, 5, quint16(d.size()));
    return d;
}

inline sockaddr_in address(const char *ip, quint16 port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, ip, &a.sin_addr);
    return a;
}

// The baseline of a burst: a plain socket with the tool's 8 MiB buffer sends one
// broadcast request and reads replies until it has `cameras` or nothing comes for a
// second. armed() runs just before the request goes out, done() after the last read.
// Milliseconds from the request to the last reply; `received` counts them.
inline double bareReceiver(int cameras, quint16 cameraPort, int *received,
                           const std::function<void()> &armed = {}, const std::function<void()> &done = {})
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    int size = 8 * 1024 * 1024;
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in local = address("0.0.0.0", 0);
    bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local);
    timeval tv{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    const QByteArray request = Zora::BuildDiscoveryRequest(255, false);
    sockaddr_in to = address("127.255.255.255", cameraPort);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    QElapsedTimer timer;
    if (armed)
        armed();
    timer.start();
    sendto(fd, request.constData(), size_t(request.size()), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
    char buf[1024];
    double last = 0;
    *received = 0;
    while (*received < cameras) {
        if (recv(fd, buf, sizeof buf, 0) < 0)
            break;
        ++*received;
        last = timer.nsecsElapsed() / 1e6;
    }
    if (done)
        done();
    close(fd);
    return last;
}

// A free UDP port on loopback (bound and closed: for a benchmark run, not for tests).
quint16 freeUdpPort();

// The simulated cameras, in a thread of the benchmark: on a discovery request to the
// camera port they send one reply each, as fast as the socket takes them. Every request
// is answered, or (armed()) only a broadcast one that arrives while armed, which disarms.
//
// Shared sources put about a hundred cameras behind each of 200 loopback addresses, a
// load the list must cope with; a site has one address a camera, and the window keeps
// remarks about shared addresses that such a site never costs, so memory is measured
// with both.
class Fleet
{
public:
    enum class Answer { EveryRequest, ArmedBroadcast };
    enum class Sources { Shared, OnePerCamera };

    Fleet(int cameras, quint16 port, Answer answer = Answer::EveryRequest,
          Sources sources = Sources::Shared);
    ~Fleet();
    Fleet(const Fleet &) = delete;
    Fleet &operator=(const Fleet &) = delete;

    void arm() { m_armed = true; }
    void disarm() { m_armed = false; }
    // Bursts sent completely so far.
    int served() const { return m_served; }

    // The source address of camera i when each camera has its own.
    static QByteArray ownAddress(int i);
    // The child-flag word for sources, and back ("shared", "own"); Shared for others.
    static const char *sourcesWord(Sources sources);
    static Sources sourcesFromWord(const QByteArray &word);
    // "200 shared addresses", "one address a camera"
    static const char *sourcesText(Sources sources);

private:
    void serve();
    bool send(size_t i, const sockaddr_in &to, socklen_t toLength);

    Answer m_answer;
    std::vector<QByteArray> m_replies;
    std::vector<int> m_sources;
    std::vector<in_addr> m_ownAddresses; // one socket picks the source per datagram
    int m_listen = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_armed{false};
    std::atomic<int> m_served{0};
    std::thread m_thread;
};

} // namespace BenchFleet


#include "bench_fleet.h"

#include <cstring>

namespace BenchFleet {

namespace {

constexpr int kSources = 200;

} // namespace

quint16 freeUdpPort()
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = address("127.0.0.1", 0);
    bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

QByteArray Fleet::ownAddress(int i)
{
    // Host parts 1..250 in each /24 keep clear of addresses that read as a network or a
    // broadcast; 127.10/16 and 127.11/16 leave 127.9 to the shared sources.
    return "127." + QByteArray::number(10 + i / 62500) + '.' + QByteArray::number(i / 250 % 250) + '.'
        + QByteArray::number(1 + i % 250);
}

const char *Fleet::sourcesWord(Sources sources)
{
    return sources == Sources::OnePerCamera ? "own" : "shared";
}

Fleet::Sources Fleet::sourcesFromWord(const QByteArray &word)
{
    return word == "own" ? Sources::OnePerCamera : Sources::Shared;
}

const char *Fleet::sourcesText(Sources sources)
{
    return sources == Sources::OnePerCamera ? "one address a camera" : "200 shared addresses";
}

Fleet::Fleet(int cameras, quint16 port, Answer answer, Sources sources)
    : m_answer(answer)
{
    for (int i = 0; i < cameras; ++i)
        m_replies.push_back(replyFor(i));
    m_listen = socket(AF_INET, SOCK_DGRAM, 0);
    int one = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    setsockopt(m_listen, IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
    timeval tv{0, 200000};
    setsockopt(m_listen, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_in any = address("0.0.0.0", port);
    bind(m_listen, reinterpret_cast<sockaddr *>(&any), sizeof any);
    if (sources == Sources::OnePerCamera) {
        // 65,536 bound sockets would pass the descriptor limit; Linux takes the source
        // of each datagram from IP_PKTINFO, and every 127/8 address is local.
        int fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in any = address("0.0.0.0", 0);
        bind(fd, reinterpret_cast<sockaddr *>(&any), sizeof any);
        m_sources.push_back(fd);
        for (int i = 0; i < cameras; ++i) {
            in_addr a{};
            inet_pton(AF_INET, ownAddress(i).constData(), &a);
            m_ownAddresses.push_back(a);
        }
    }
    for (int s = 0; s < kSources && sources == Sources::Shared; ++s) {
        int fd = socket(AF_INET, SOCK_DGRAM, 0);
        const QByteArray ip = "127.9." + QByteArray::number(s / 250) + '.' + QByteArray::number(1 + s % 250);
        sockaddr_in src = address(ip.constData(), 0);
        bind(fd, reinterpret_cast<sockaddr *>(&src), sizeof src);
        m_sources.push_back(fd);
    }
    m_thread = std::thread([this] { serve(); });
}

Fleet::~Fleet()
{
    m_stop = true;
    shutdown(m_listen, SHUT_RDWR);
    m_thread.join();
    close(m_listen);
    for (int fd : m_sources)
        close(fd);
}

void Fleet::serve()
{
    char buf[256];
    char control[256];
    while (!m_stop) {
        sockaddr_in from{};
        iovec iov{buf, sizeof buf};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = recvmsg(m_listen, &msg, 0);
        if (n < 9 || memcmp(buf, "ADCT", 4) != 0)
            continue;
        if (m_answer == Answer::ArmedBroadcast) {
            bool broadcast = false;
            for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                    in_pktinfo info{};
                    memcpy(&info, CMSG_DATA(c), sizeof info);
                    broadcast = ntohl(info.ipi_addr.s_addr) == 0x7FFFFFFFu;
                }
            }
            if (!broadcast || !m_armed.exchange(false))
                continue;
        }
        for (size_t i = 0; i < m_replies.size() && !m_stop; ++i) {
            while (!send(i, from, msg.msg_namelen) && !m_stop)
                std::this_thread::yield(); // the socket buffer is full: as fast as it takes
        }
        ++m_served;
    }
}

bool Fleet::send(size_t i, const sockaddr_in &to, socklen_t toLength)
{
    const QByteArray &r = m_replies[i];
    if (m_ownAddresses.empty()) {
        return sendto(m_sources[i % m_sources.size()], r.constData(), size_t(r.size()), 0,
                      reinterpret_cast<const sockaddr *>(&to), toLength) >= 0;
    }
    iovec iov{const_cast<char *>(r.constData()), size_t(r.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr msg{};
    msg.msg_name = const_cast<sockaddr_in *>(&to);
    msg.msg_namelen = toLength;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    cmsghdr *c = CMSG_FIRSTHDR(&msg);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst = m_ownAddresses[i];
    memcpy(CMSG_DATA(c), &info, sizeof info);
    return sendmsg(m_sources.front(), &msg, 0) >= 0;
}

} // namespace BenchFleet

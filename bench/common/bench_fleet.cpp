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

Fleet::Fleet(int cameras, quint16 port, Answer answer)
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
    for (int s = 0; s < kSources; ++s) {
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
            const QByteArray &r = m_replies[i];
            while (sendto(m_sources[i % m_sources.size()], r.constData(), size_t(r.size()), 0,
                          reinterpret_cast<sockaddr *>(&from), msg.msg_namelen) < 0
                   && !m_stop) {
                std::this_thread::yield(); // the socket buffer is full: as fast as it takes
            }
        }
        ++m_served;
    }
}

} // namespace BenchFleet

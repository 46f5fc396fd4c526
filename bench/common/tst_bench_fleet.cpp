// The simulated fleet must send what the memory figures claim: one source address a
// camera when asked, or the 200 shared ones, so that a figure labelled as a site's is
// not silently measured from one address.
#include "bench_fleet.h"

#include <QSet>
#include <QTest>

using BenchFleet::Fleet;

class TstBenchFleet : public QObject
{
    Q_OBJECT

private slots:
    void ownAddress_data();
    void ownAddress();
    void ownAddressesDistinctOverLargestFleet();
    void repliesComeFromTheirSources_data();
    void repliesComeFromTheirSources();
};

void TstBenchFleet::ownAddress_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<QByteArray>("address");
    QTest::newRow("first") << 0 << QByteArray("127.10.0.1");
    QTest::newRow("last of the first /24") << 249 << QByteArray("127.10.0.250");
    QTest::newRow("first of the second /24") << 250 << QByteArray("127.10.1.1");
    QTest::newRow("last of 127.10") << 62499 << QByteArray("127.10.249.250");
    QTest::newRow("first of 127.11") << 62500 << QByteArray("127.11.0.1");
    QTest::newRow("largest fleet's last") << 65535 << QByteArray("127.11.12.36");
}

void TstBenchFleet::ownAddress()
{
    QFETCH(int, camera);
    QFETCH(QByteArray, address);
    QCOMPARE(Fleet::ownAddress(camera), address);
}

void TstBenchFleet::ownAddressesDistinctOverLargestFleet()
{
    QSet<QByteArray> seen;
    for (int i = 0; i < 65536; ++i) {
        const QByteArray a = Fleet::ownAddress(i);
        const QList<QByteArray> octets = a.split('.');
        QCOMPARE(octets.size(), 4);
        const int host = octets.at(3).toInt();
        QVERIFY2(host >= 1 && host <= 254, a.constData());
        QVERIFY2(!a.startsWith("127.9."), a.constData()); // the shared sources' block
        seen.insert(a);
    }
    QCOMPARE(seen.size(), 65536);
}

void TstBenchFleet::repliesComeFromTheirSources_data()
{
    QTest::addColumn<int>("cameras");
    QTest::addColumn<Fleet::Sources>("sources");
    QTest::addColumn<int>("distinct");
    QTest::newRow("shared, fewer cameras than sources") << 150 << Fleet::Sources::Shared << 150;
    QTest::newRow("shared, two cameras a source") << 400 << Fleet::Sources::Shared << 200;
    QTest::newRow("own, past one /24") << 400 << Fleet::Sources::OnePerCamera << 400;
}

void TstBenchFleet::repliesComeFromTheirSources()
{
    QFETCH(int, cameras);
    QFETCH(Fleet::Sources, sources);
    QFETCH(int, distinct);
    const quint16 port = BenchFleet::freeUdpPort();
    Fleet fleet(cameras, port, Fleet::Answer::EveryRequest, sources);

    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    int size = 4 * 1024 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in local = BenchFleet::address("127.0.0.1", 0);
    QCOMPARE(bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local), 0);
    timeval tv{10, 0}; // a deadline for a lost reply, not a pause: replies end the wait
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    const QByteArray request = Zora::BuildDiscoveryRequest(255, false);
    sockaddr_in to = BenchFleet::address("127.0.0.1", port);
    QVERIFY(sendto(fd, request.constData(), size_t(request.size()), 0, reinterpret_cast<sockaddr *>(&to),
                   sizeof to) > 0);

    QSet<quint32> senders;
    int received = 0;
    char buf[512];
    while (received < cameras) {
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&from), &len);
        if (n < 15)
            break;
        ++received;
        const int camera = int(quint32(quint8(buf[11])) << 24 | quint32(quint8(buf[12])) << 16
                               | quint32(quint8(buf[13])) << 8 | quint32(quint8(buf[14])));
        char ip[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, ip, sizeof ip);
        if (sources == Fleet::Sources::OnePerCamera)
            QCOMPARE(QByteArray(ip), Fleet::ownAddress(camera));
        else
            QVERIFY2(QByteArray(ip).startsWith("127.9."), ip);
        senders.insert(from.sin_addr.s_addr);
    }
    close(fd);
    QCOMPARE(received, cameras);
    QCOMPARE(senders.size(), distinct);
}

QTEST_GUILESS_MAIN(TstBenchFleet)
#include "tst_bench_fleet.moc"

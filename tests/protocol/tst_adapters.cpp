#include "base/send_guard.h"
#include "protocol/address_review.h"
#include "protocol/scan_summary.h"
#include "protocol/udp_endpoint.h"

#include <QtTest>

namespace {

// lo, an office adapter holding 10.10.0.1/24, a yard adapter 10.20.0.1/24 and a Wi-Fi
// adapter that is up but cannot broadcast.
NetworkAdapters site()
{
    auto v4 = [](const char *text) { return QHostAddress(QString::fromLatin1(text)).toIPv4Address(); };
    return NetworkAdapters({{1, "lo", true, false, {{v4("127.0.0.1"), 8}}},
                            {2, "office0", false, true, {{v4("10.10.0.1"), 24}}},
                            {3, "yard0", false, true, {{v4("10.20.0.1"), 24}, {v4("10.21.0.1"), 16}}},
                            {4, "ptp0", false, false, {{v4("192.0.2.1"), 32}}}});
}

QStringList names(const QList<NetworkAdapter> &list)
{
    QStringList out;
    for (const NetworkAdapter &a : list)
        out << a.name;
    return out;
}

} // namespace

class TestAdapters : public QObject
{
    Q_OBJECT

private slots:
    void broadcastAdapters_data();
    void broadcastAdapters();
    void review_data();
    void review();
    void guard_data();
    void guard();
    void summary();
};

void TestAdapters::broadcastAdapters_data()
{
    QTest::addColumn<QString>("named");
    QTest::addColumn<int>("camera");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("every broadcasting adapter, loopback left out") << "" << 0 << QStringList{"office0", "yard0"};
    QTest::newRow("the camera's own adapter") << "" << 3 << QStringList{"yard0"};
    QTest::newRow("an adapter gone since: every one") << "" << 9 << QStringList{"office0", "yard0"};
    QTest::newRow("--adapter") << "yard0" << 0 << QStringList{"yard0"};
    QTest::newRow("--adapter wins over the camera's") << "office0" << 3 << QStringList{"office0"};
    QTest::newRow("--adapter unknown") << "eth9" << 0 << QStringList{};
}

void TestAdapters::broadcastAdapters()
{
    QFETCH(QString, named);
    QFETCH(int, camera);
    QFETCH(QStringList, expected);
    QCOMPARE(names(UdpEndpoint::broadcastAdapters(site(), named, camera)), expected);
}

void TestAdapters::review_data()
{
    // Each row: cameras as "mac address adapter [remote]"; the remark lines of the
    // first camera and whether it is marked.
    QTest::addColumn<QStringList>("cameras");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("warning");
    QTest::newRow("in its subnet") << QStringList{"00:0A:1B:00:00:01 10.20.0.11 3"}
                                   << QStringList{"answered on yard0"} << false;
    QTest::newRow("second subnet of the adapter") << QStringList{"00:0A:1B:00:00:01 10.21.4.9 3"}
                                                  << QStringList{"answered on yard0"} << false;
    QTest::newRow("misaddressed")
        << QStringList{"00:0A:1B:00:00:01 192.168.77.50 3"}
        << QStringList{"answered on yard0", "not in 10.20.0.0/24 of yard0"} << false;
    QTest::newRow("remote camera: any subnet") << QStringList{"00:0A:1B:00:00:01 192.168.77.50 2 remote"}
                                               << QStringList{"answered on office0"} << false;
    QTest::newRow("two cameras on one address")
        << QStringList{"00:0A:1B:00:00:01 10.20.0.12 3", "00:0A:1B:00:00:02 10.20.0.12 2",
                       "00:0A:1B:00:00:03 10.20.0.13 3"}
        << QStringList{"answered on yard0", "10.20.0.12 is also the address of 00:0A:1B:00:00:02"} << true;
    {
        // A host answering with many MACs: the first few named, the rest counted.
        QStringList crowd;
        QStringList lines{"answered on yard0"};
        for (int i = 1; i <= 40; ++i) {
            const QString mac = QString("00:0A:1B:00:01:%1").arg(i, 2, 16, QChar('0')).toUpper();
            crowd << mac + " 10.20.0.12 3";
            if (i > 1 && i <= 1 + AddressReview::kNamedShares)
                lines << "10.20.0.12 is also the address of " + mac;
        }
        lines << QString("… and of %1 more cameras").arg(39 - AddressReview::kNamedShares);
        QTest::newRow("forty cameras on one address") << crowd << lines << true;
    }
    QTest::newRow("one camera heard twice is no conflict")
        << QStringList{"00:0A:1B:00:00:01 10.20.0.12 3", "00:0A:1B:00:00:01 10.20.0.12 3"}
        << QStringList{"answered on yard0"} << false;
    QTest::newRow("this computer's own address")
        << QStringList{"00:0A:1B:00:00:01 10.10.0.1 2"}
        << QStringList{"answered on office0", "10.10.0.1 is an address of this computer"} << true;
    QTest::newRow("adapter unknown") << QStringList{"00:0A:1B:00:00:01 10.20.0.11 0"} << QStringList{} << false;
}

void TestAdapters::review()
{
    QFETCH(QStringList, cameras);
    QFETCH(QStringList, lines);
    QFETCH(bool, warning);
    QList<AddressReview::Camera> list;
    for (const QString &c : cameras) {
        const QStringList f = c.split(' ');
        list.append({f[0], f[1], f[2].toInt(), f.size() > 3});
    }
    const auto remarks = AddressReview::review(list, site());
    QCOMPARE(remarks.size(), list.size());
    QCOMPARE(remarks[0].lines(list[0].address), lines);
    QCOMPARE(remarks[0].warning(), warning);
}

void TestAdapters::guard_data()
{
    QTest::addColumn<QByteArray>("nets");
    QTest::addColumn<bool>("boxed");   // adapters: only loopback and the allowed nets
    QTest::addColumn<QString>("destination");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("loopback") << QByteArray() << false << "127.0.0.9" << true;
    QTest::newRow("outside, no allow-list") << QByteArray() << false << "10.20.0.11" << false;
    QTest::newRow("inside an allowed net") << QByteArray("10.20.0.0/24") << false << "10.20.0.11" << true;
    QTest::newRow("next to an allowed net") << QByteArray("10.20.0.0/24") << false << "10.20.1.11" << false;
    QTest::newRow("second net of the list") << QByteArray("10.10.0.0/24, 10.20.0.0/16") << false << "10.20.9.1" << true;
    QTest::newRow("a net as wide as all refused") << QByteArray("0.0.0.0/0") << false << "8.8.8.8" << false;
    QTest::newRow("malformed entry skipped") << QByteArray("10.020.0.0/24,x") << false << "10.20.0.11" << false;
    QTest::newRow("limited broadcast, real adapters up") << QByteArray("10.20.0.0/24") << false
                                                         << "255.255.255.255" << false;
    QTest::newRow("limited broadcast inside the box")
        << QByteArray("10.10.0.0/24,10.20.0.0/15,192.0.2.1/32") << true << "255.255.255.255" << true;
}

void TestAdapters::guard()
{
    QFETCH(QByteArray, nets);
    QFETCH(bool, boxed);
    QFETCH(QString, destination);
    QFETCH(bool, allowed);
    qputenv("ZORA_LOOPBACK_ONLY", "1");
    qputenv("ZORA_ALLOWED_NETS", nets);
    // Outside the box this machine's adapters stand in: the test's list plus an address
    // no allow-list here names.
    QList<NetworkAdapter> adapters = site().all();
    if (!boxed)
        adapters.append({5, "eth0", false, true, {{QHostAddress("198.51.100.7").toIPv4Address(), 24}}});
    const QString why = SendGuard::refusal(QHostAddress(destination), NetworkAdapters(adapters));
    qunsetenv("ZORA_ALLOWED_NETS");
    QVERIFY2(why.isEmpty() == allowed, qPrintable(why));
}

void TestAdapters::summary()
{
    ScanSummary s;
    QCOMPARE(s.text(), QString());
    s.started();
    QCOMPARE(s.text(), QString("Scanning…"));
    s.answered("00:0A:1B:00:00:01", 2);
    s.answered("00:0A:1B:00:00:02", 3);
    s.answered("00:0A:1B:00:00:02", 3);
    QVERIFY(s.tick());
    QCOMPARE(s.text(), QString("2 cameras answered on 2 adapters"));
    for (int i = 0; i < ScanSummary::kReplyWindowTicks; ++i)
        s.tick();
    // A presence poll's answer after the reply window is not the scan's.
    s.answered("00:0A:1B:00:00:03", 3);
    QVERIFY(!s.tick());
    QCOMPARE(s.cameras(), 2);
    // The same cameras answering the next scan still replace "Scanning…".
    s.started();
    s.answered("00:0A:1B:00:00:01", 2);
    s.answered("00:0A:1B:00:00:02", 3);
    QVERIFY(s.tick());
    s.started();
    for (int i = 0; i < ScanSummary::kReplyWindowTicks; ++i)
        s.tick();
    QCOMPARE(s.text(), QString("No camera answered the scan"));
}

QTEST_GUILESS_MAIN(TestAdapters)
#include "tst_adapters.moc"

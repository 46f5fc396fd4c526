// The endpoint's own rules: when the socket is open, what it drops, in which order the
// waiting dialogs see a reply, and the activity lamp.
#include "camsim_process.h"
#include "protocol/udp_endpoint.h"
#include "test_support.h"

#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

namespace {

class Sink final : public DatagramSink
{
public:
    Sink(QStringList &trace, QString name, int answer)
        : m_trace(trace), m_name(std::move(name)), m_answer(answer) {}
    bool active() const override { return shown; }
    int offer(const ReceivedDatagram &) override
    {
        m_trace << m_name;
        return m_answer;
    }
    bool shown = true;

private:
    QStringList &m_trace;
    QString m_name;
    int m_answer;
};

QByteArray replyOfType(quint8 type)
{
    QByteArray d("ZORA\x02\x11\x00", 7);
    d += char(type);
    d += QByteArray(9, '\x01');
    return d;
}

// Held by a lock file for the whole run: a port probed and closed could be taken by a
// test running beside this one before the endpoint binds it.
quint16 freePort()
{
    return CamSimProcess::freeUdpPort();
}

} // namespace

class TestUdpEndpoint : public QObject
{
    Q_OBJECT

private slots:
    void dispatchOrder_data();
    void dispatchOrder();
    void shortAndForeignDropped();
    void socketLifetime();
    void lampLightsForFourTicks();
    void refusedDestination();
    void burstReadInSlices();
};

void TestUdpEndpoint::dispatchOrder_data()
{
    QTest::addColumn<QList<int>>("answers");   // confirm, fetch, search, register
    QTest::addColumn<QList<bool>>("shown");
    QTest::addColumn<quint8>("type");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<int>("discovery");        // -1 none, 0 local, 1 remote
    const QList<bool> all = {true, true, true, true};
    QTest::newRow("nobody consumes a discovery reply") << QList<int>{0, 0, 0, 0} << all << quint8(5)
                                                      << "confirm fetch search register" << 0;
    QTest::newRow("confirmation consumes") << QList<int>{1, 0, 0, 0} << all << quint8(0)
                                           << "confirm" << -1;
    QTest::newRow("fetch consumes") << QList<int>{0, 1, 0, 0} << all << quint8(0)
                                    << "confirm fetch" << -1;
    QTest::newRow("search answer does not stop") << QList<int>{0, 0, 1, 0} << all << quint8(5)
                                                 << "confirm fetch search register" << 0;
    QTest::newRow("register -1 stops") << QList<int>{0, 0, 0, -1} << all << quint8(5)
                                       << "confirm fetch search register" << -1;
    QTest::newRow("register 1 marks remote") << QList<int>{0, 0, 0, 1} << all << quint8(5)
                                             << "confirm fetch search register" << 1;
    QTest::newRow("hidden dialogs are not asked") << QList<int>{1, 1, 0, 1}
                                                  << QList<bool>{false, false, true, false}
                                                  << quint8(5) << "search" << 0;
    QTest::newRow("unconsumed type 0 is dropped") << QList<int>{0, 0, 0, 0} << all << quint8(0)
                                                  << "confirm fetch search register" << -1;
}

void TestUdpEndpoint::dispatchOrder()
{
    QFETCH(QList<int>, answers);
    QFETCH(QList<bool>, shown);
    QFETCH(quint8, type);
    QFETCH(QString, trace);
    QFETCH(int, discovery);
    UdpEndpoint endpoint;
    QStringList seen;
    Sink confirm(seen, "confirm", answers[0]), fetch(seen, "fetch", answers[1]),
        search(seen, "search", answers[2]), reg(seen, "register", answers[3]);
    Sink *sinks[] = {&confirm, &fetch, &search, &reg};
    for (int i = 0; i < 4; ++i)
        sinks[i]->shown = shown[i];
    endpoint.addSink(UdpEndpoint::Stage::Confirm, &confirm);
    endpoint.addSink(UdpEndpoint::Stage::Fetch, &fetch);
    endpoint.addSink(UdpEndpoint::Stage::RemoteSearch, &search);
    endpoint.addSink(UdpEndpoint::Stage::Register, &reg);
    QSignalSpy replies(&endpoint, &UdpEndpoint::discoveryReply);
    endpoint.handleDatagram(replyOfType(type), QHostAddress("127.0.0.9"));
    QCOMPARE(seen.join(' '), trace);
    QCOMPARE(replies.count(), discovery < 0 ? 0 : 1);
    if (discovery >= 0) {
        QCOMPARE(replies[0][1].toString(), QString("127.0.0.9"));
        QCOMPARE(replies[0][2].toInt(), 0x11);
        QCOMPARE(replies[0][3].toBool(), discovery == 1);
    }
}

void TestUdpEndpoint::shortAndForeignDropped()
{
    UdpEndpoint endpoint;
    QStringList seen;
    Sink confirm(seen, "confirm", 0);
    endpoint.addSink(UdpEndpoint::Stage::Confirm, &confirm);
    QSignalSpy lamp(&endpoint, &UdpEndpoint::lampChanged);
    endpoint.handleDatagram(QByteArray("ZORA\x02\x07\x00", 7), QHostAddress("127.0.0.9"));
    endpoint.handleDatagram(replyOfType(5).replace(0, 4, "ADCT"), QHostAddress("127.0.0.9"));
    QVERIFY(seen.isEmpty());
    // ... but each one lights the receive lamp.
    QCOMPARE(endpoint.busyTick().receive, true);
}

void TestUdpEndpoint::socketLifetime()
{
    UdpEndpoint endpoint;
    endpoint.setLocalPort(freePort());
    endpoint.setBroadcastAddress(QHostAddress("127.255.255.255"));
    QVERIFY(!endpoint.isOpen());
    QVERIFY(endpoint.send("127.0.0.1", 9, "x"));
    QVERIFY(endpoint.isOpen());
    QCOMPARE(endpoint.statusText(),
             QString("Opening Server   Port : %1").arg(endpoint.localPort()));
    QVERIFY(endpoint.socketTimerActive());
    // A reply while open arrives.
    QSignalSpy replies(&endpoint, &UdpEndpoint::discoveryReply);
    QUdpSocket camera;
    camera.writeDatagram(replyOfType(5), QHostAddress::LocalHost, endpoint.localPort());
    QVERIFY(replies.wait(3000));
    // The listening time ends: closed, said so, and replies are no longer heard.
    endpoint.socketTimeout();
    QVERIFY(!endpoint.isOpen());
    QCOMPARE(endpoint.statusText(), QString("Close Socket... Listening Timeout"));
    QVERIFY(!endpoint.socketTimerActive());
    camera.writeDatagram(replyOfType(5), QHostAddress::LocalHost, endpoint.localPort());
    QVERIFY(!replies.wait(300));
    QCOMPARE(replies.count(), 1);

    // A script's wait holds the socket open past its listening time, and the listening
    // time starts again when the wait is over.
    QVERIFY(endpoint.send("127.0.0.1", 9, "x"));
    {
        const UdpEndpoint::Hold waiting(endpoint);
        endpoint.socketTimeout();
        QVERIFY(endpoint.isOpen());
        camera.writeDatagram(replyOfType(5), QHostAddress::LocalHost, endpoint.localPort());
        QVERIFY(replies.wait(3000));
    }
    QVERIFY(endpoint.socketTimerActive());
    endpoint.socketTimeout();
    QVERIFY(!endpoint.isOpen());
}

void TestUdpEndpoint::lampLightsForFourTicks()
{
    UdpEndpoint endpoint;
    endpoint.markReceive();
    QVERIFY(endpoint.busyTimerActive());
    QList<bool> lit;
    for (int i = 0; i < 6; ++i)
        lit << endpoint.busyTick().receive;
    QCOMPARE(lit, QList<bool>({true, true, true, true, false, false}));
    QVERIFY(!endpoint.busyTimerActive());
}

void TestUdpEndpoint::refusedDestination()
{
    qputenv("ZORA_LOOPBACK_ONLY", "1");
    UdpEndpoint endpoint;
    endpoint.setLocalPort(freePort());
    QSignalSpy sent(&endpoint, &UdpEndpoint::datagramSent);
    QString error;
    // The default broadcast address leaves the machine: refused under the guard.
    QVERIFY(!endpoint.send({}, 9, "x", &error));
    QVERIFY(error.contains("255.255.255.255"));
    QVERIFY(!endpoint.send("192.0.2.1", 9, "x", &error));
    QVERIFY(error.contains("192.0.2.1"));
    QCOMPARE(sent.count(), 0);
}

void TestUdpEndpoint::burstReadInSlices()
{
    // A burst far larger than one read slice: every reply arrives, and the event loop gets
    // turns in between (a call queued at the first reply runs before the last one).
    UdpEndpoint endpoint;
    endpoint.setLocalPort(freePort());
    endpoint.setBroadcastAddress(QHostAddress("127.255.255.255"));
    QVERIFY(endpoint.ensureOpen(nullptr));
    int replies = 0;
    int repliesWhenTheLoopRan = -1;
    QObject::connect(&endpoint, &UdpEndpoint::discoveryReply, &endpoint,
                     [&](const ReceivedDatagram &, const QString &, quint16, bool) {
                         if (++replies == 1)
                             QMetaObject::invokeMethod(
                                 &endpoint, [&] { repliesWhenTheLoopRan = replies; },
                                 Qt::QueuedConnection);
                     });
    QUdpSocket sender;
    // More than one slice, and few enough for a receive buffer a non-root user may set.
    const int burst = 400;
    for (int i = 0; i < burst; ++i)
        QVERIFY(sender.writeDatagram(replyOfType(5), QHostAddress::LocalHost, endpoint.localPort()) > 0);
    QTRY_COMPARE_WITH_TIMEOUT(replies, burst, 5000);
    QVERIFY2(repliesWhenTheLoopRan > 0 && repliesWhenTheLoopRan < burst,
             qPrintable(QString::number(repliesWhenTheLoopRan)));
}

QTEST_GUILESS_MAIN(TestUdpEndpoint)
#include "tst_udp_endpoint.moc"

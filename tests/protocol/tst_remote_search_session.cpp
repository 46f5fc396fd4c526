// The remote search tick by tick: nothing before the first tick, one request a tick to
// the row's address, the target's reply ends it, everything else leaves it searching.
#include "network_fixture_helper.h"

#include "base/model_filter_table.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/datagram.h"
#include "protocol/discovery.h"
#include "protocol/remote_search_session.h"
#include "protocol/udp_endpoint.h"

#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

namespace {

const QString kTarget = QStringLiteral("127.0.0.88");

struct Fixture : NetworkFixture {
    Fixture() { session.setTarget(kTarget); }
    RemoteSearchSession session{endpoint, discovery};
};

QByteArray reply(quint8 type = Zora::ReplyDiscovery, int lengthDelta = 0)
{
    return SmallReply(0x88, "far", type, lengthDelta);
}

} // namespace

class TestRemoteSearchSession : public QObject
{
    Q_OBJECT

private slots:
    void requestsEveryTick();
    void replies_data();
    void replies();
    void badPort_data();
    void badPort();
};

void TestRemoteSearchSession::requestsEveryTick()
{
    Fixture f;
    QString message;
    QVERIFY(f.session.start("40000", &message));
    QVERIFY(f.sent.isEmpty());               // the first request comes with the first tick
    f.session.tick();
    f.session.tick();
    f.session.tick();
    QCOMPARE(f.sent.size(), 3);
    for (const NetworkFixture::Sent &s : f.sent) {
        QCOMPARE(s.to, kTarget);
        QCOMPARE(s.port, quint16(40000));
        QCOMPARE(s.bytes, QByteArray::fromHex("4144435402090083ff"));
    }
    // Cancel stops the requests at once.
    QSignalSpy finished(&f.session, &RemoteSearchSession::finished);
    f.session.cancel();
    f.session.tick();
    QCOMPARE(f.sent.size(), 3);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(f.session.result(), int(RemoteSearchSession::ResultCancelled));
}

void TestRemoteSearchSession::replies_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("rows");   // after it: the discovery handling sees every reply
    QTest::newRow("the camera's reply fills its row") << reply() << kTarget << true << 1;
    QTest::newRow("another camera's reply") << reply() << "127.0.0.89" << false << 2;
    QTest::newRow("length field disagrees") << reply(Zora::ReplyDiscovery, 2) << kTarget << false << 1;
    QTest::newRow("a command answer from the address") << reply(Zora::ReplySuccess) << kTarget
                                                       << false << 1;
}

void TestRemoteSearchSession::replies()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, from);
    QFETCH(bool, found);
    QFETCH(int, rows);
    Fixture f;
    // A saved row the camera's answer fills.
    f.registry.addSavedRow(kTarget);
    QString message;
    QVERIFY(f.session.start("9", &message));
    f.session.tick();
    f.endpoint.handleDatagram(datagram, QHostAddress(from));
    QCOMPARE(f.session.state() == RemoteSearchSession::State::Closed, found);
    if (found) {
        QCOMPARE(f.session.result(), int(RemoteSearchSession::ResultFound));
        QCOMPARE(f.list.column(0, CameraList::ColHost), QString("far"));
        QCOMPARE(f.list.column(0, CameraList::ColKind), QString("2"));
    }
    QCOMPARE(f.list.count(), rows);
}

void TestRemoteSearchSession::badPort_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    QTest::newRow("a letter") << "3a" << "Port must be a NUMBER";
    QTest::newRow("above the range") << "70000" << "Port must be beteen 1 to 65535";
}

void TestRemoteSearchSession::badPort()
{
    QFETCH(QString, port);
    QFETCH(QString, message);
    Fixture f;
    QString said;
    QVERIFY(!f.session.start(port, &said));
    QCOMPARE(said, message);
    f.session.tick();
    QVERIFY(f.sent.isEmpty());
}

QTEST_GUILESS_MAIN(TestRemoteSearchSession)
#include "tst_remote_search_session.moc"

// Registration by address: the request schedule tick by tick, the reply test and the
// remote listing of an accepted camera.
#include "app/camera_list.h"
#include "app/model_filter_table.h"
#include "protocol/camera_registry.h"
#include "protocol/datagram.h"
#include "protocol/discovery.h"
#include "protocol/register_camera_session.h"
#include "protocol/udp_endpoint.h"

#include <QTest>
#include <QUdpSocket>

namespace {

const QString kCamera = QStringLiteral("127.0.0.77");

struct Fixture {
    Fixture()
    {
        endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        endpoint.setLocalPort(probe.localPort());
        probe.close();
        discovery.attach();
        QObject::connect(&endpoint, &UdpEndpoint::datagramSent, &endpoint,
                         [this](const QHostAddress &to, quint16 port, const QByteArray &bytes) {
                             sent.append({to.toString(), port, bytes});
                         });
    }

    struct Sent {
        QString to;
        quint16 port;
        QByteArray bytes;
    };

    CameraList list;
    ModelFilterTable models;
    CameraRegistry registry{list, models};
    UdpEndpoint endpoint;
    Discovery discovery{endpoint, registry};
    RegisterCameraSession session{endpoint, discovery};
    QList<Sent> sent;
};

// A version-1 discovery reply of the smallest kind: model name and host name only.
QByteArray reply(quint8 type = Zora::ReplyDiscovery, int lengthDelta = 0)
{
    QByteArray d = QByteArray("ZORA") + char(1) + QByteArray(2, '\0') + char(type) + char(1)
                   + QByteArray::fromHex("000A1B2C3D77") + char(1) + char(0);
    d += char(3) + QByteArray("L60") + char(4) + QByteArray("cam7");
    Zora::PutLe16(d, 5, quint16(d.size() + lengthDelta));
    return d;
}

} // namespace

class TestRegisterCameraSession : public QObject
{
    Q_OBJECT

private slots:
    void schedule_data();
    void schedule();
    void portMustBeANumber();
    void replies_data();
    void replies();
};

void TestRegisterCameraSession::schedule_data()
{
    QTest::addColumn<bool>("reuseAfterGiveUp");
    QTest::addColumn<QList<int>>("sendsAfterTick");   // sends so far after OK, tick 1..5

    // Ticks at 3, 6, 9, 12 and 15 s; the request goes at 0, 3, 9 and 15 s.
    QTest::newRow("first use") << false << QList<int>{1, 2, 2, 3, 3, 4};
    // A give-up leaves the counter odd: OK sends nothing, the ticks keep the schedule.
    QTest::newRow("after a give-up") << true << QList<int>{0, 1, 1, 2, 2, 3};
}

void TestRegisterCameraSession::schedule()
{
    QFETCH(bool, reuseAfterGiveUp);
    QFETCH(QList<int>, sendsAfterTick);
    Fixture f;
    QString message;
    if (reuseAfterGiveUp) {
        QVERIFY(f.session.start(kCamera, QStringLiteral("9"), &message));
        for (int i = 0; i < 5; ++i)
            f.session.tick();
        QCOMPARE(f.session.tickCounter(), 5);
        f.sent.clear();
    }
    QVERIFY(f.session.start(kCamera, QStringLiteral("9"), &message));
    QCOMPARE(f.session.state(), RegisterCameraSession::State::Waiting);
    QVERIFY(f.session.timerActive());
    QCOMPARE(int(f.sent.size()), sendsAfterTick.at(0));
    for (int t = 1; t <= 5; ++t) {
        QCOMPARE(f.session.state(), RegisterCameraSession::State::Waiting);
        f.session.tick();
        QCOMPARE(int(f.sent.size()), sendsAfterTick.at(t));
    }
    QCOMPARE(f.session.state(), RegisterCameraSession::State::Closed);
    QCOMPARE(f.session.result(), int(RegisterCameraSession::ResultNotAccepted));
    QVERIFY(!f.session.timerActive());
    QCOMPARE(f.session.message(),
             QString("Camera does NOT response...\n\nCheck the camera if it is on"));
    f.session.tick();
    QCOMPARE(int(f.sent.size()), sendsAfterTick.last());
    for (const auto &s : f.sent) {
        QCOMPARE(s.to, kCamera);
        QCOMPARE(s.port, quint16(9));
        QCOMPARE(s.bytes, QByteArray::fromHex("4144435402090083ff"));
    }
    QCOMPARE(f.list.count(), 0);
}

void TestRegisterCameraSession::portMustBeANumber()
{
    Fixture f;
    QString message;
    QVERIFY(!f.session.start(kCamera, QStringLiteral("32l54"), &message));
    QCOMPARE(message, QString("Port must be a NUMBER"));
    QCOMPARE(f.session.state(), RegisterCameraSession::State::Idle);
    QVERIFY(f.sent.isEmpty());
    QVERIFY(!f.session.active());
}

void TestRegisterCameraSession::replies_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("result");        // 0: still waiting
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("kind");

    QTest::newRow("the camera's reply") << reply() << kCamera << 1 << 1 << "3";
    QTest::newRow("length field disagrees") << reply(Zora::ReplyDiscovery, 2) << kCamera << 0 << 0
                                            << "";
    QTest::newRow("another camera is listed as local")
        << reply() << "127.0.0.78" << 0 << 1 << "2";
    QTest::newRow("a command answer from the address does not register")
        << reply(Zora::ReplySuccess) << kCamera << 0 << 0 << "";
    QTest::newRow("foreign magic") << QByteArray("ADCT").append(reply().mid(4)) << kCamera << 0
                                   << 0 << "";
}

void TestRegisterCameraSession::replies()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, from);
    QFETCH(int, result);
    QFETCH(int, rows);
    QFETCH(QString, kind);
    Fixture f;
    QString message;
    QVERIFY(f.session.start(kCamera, QStringLiteral("9"), &message));
    f.session.tick();
    f.endpoint.handleDatagram(datagram, QHostAddress(from));
    if (result == 0) {
        QCOMPARE(f.session.state(), RegisterCameraSession::State::Waiting);
    } else {
        QCOMPARE(f.session.state(), RegisterCameraSession::State::Closed);
        QCOMPARE(f.session.result(), result);
        QCOMPARE(f.session.cameraAddress(), from);
        QVERIFY(!f.session.timerActive());
    }
    QCOMPARE(f.list.count(), rows);
    if (rows) {
        QCOMPARE(f.list.column(0, CameraList::ColKind), kind);
        QCOMPARE(f.list.column(0, CameraList::ColIp), from);
        QCOMPARE(f.registry.recordOfRow(0)->ConnectionKind, Connection(kind.toInt()));
    }
}

QTEST_GUILESS_MAIN(TestRegisterCameraSession)
#include "tst_register_camera_session.moc"

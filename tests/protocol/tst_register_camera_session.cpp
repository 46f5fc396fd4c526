// Registration by address: the request schedule tick by tick, the reply test and the
// remote listing of an accepted camera.
#include "network_fixture_helper.h"

#include "base/model_filter_table.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protocol/discovery.h"
#include "protocol/register_camera_session.h"
#include "protocol/udp_endpoint.h"

#include <QTest>
#include <QUdpSocket>

namespace {

const QString kCamera = QStringLiteral("127.0.0.77");

struct Fixture : NetworkFixture {
    RegisterCameraSession session{endpoint, discovery};
};

QByteArray reply(quint8 type = Zora::ReplyDiscovery, int lengthDelta = 0)
{
    return SmallReply(0x77, "cam7", type, lengthDelta);
}

} // namespace

class TestRegisterCameraSession : public QObject
{
    Q_OBJECT

private slots:
    void schedule_data();
    void schedule();
    void portTexts_data();
    void portTexts();
    void oddAddressesRefused_data();
    void oddAddressesRefused();
    void replies_data();
    void replies();
    void unresolvableName();
    void backgroundLookup_data();
    void backgroundLookup();
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

void TestRegisterCameraSession::portTexts_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");    // empty: accepted
    QTest::newRow("default") << "32154" << "";
    QTest::newRow("a letter") << "3a" << "Port must be a NUMBER";
    QTest::newRow("zero") << "0" << "Port must be beteen 1 to 65535";
    // The socket layer would send to 4464.
    QTest::newRow("above the range") << "70000" << "Port must be beteen 1 to 65535";
}

void TestRegisterCameraSession::portTexts()
{
    QFETCH(QString, port);
    QFETCH(QString, message);
    Fixture f;
    QString said;
    QCOMPARE(f.session.start(kCamera, port, &said), message.isEmpty());
    QCOMPARE(said, message);
    QCOMPARE(f.sent.size(), message.isEmpty() ? 1 : 0);
    if (message.isEmpty())
        QCOMPARE(f.sent.first().port, quint16(port.toUInt()));
    else
        QCOMPARE(f.session.state(), RegisterCameraSession::State::Idle);
}

void TestRegisterCameraSession::oddAddressesRefused_data()
{
    // Read as octal, hex or short, each would reach another address than the one typed.
    QTest::addColumn<QString>("target");
    QTest::newRow("octal") << "127.0.0.030";
    QTest::newRow("hex") << "0x7f.0.0.1";
    QTest::newRow("short") << "127.1";
}

void TestRegisterCameraSession::oddAddressesRefused()
{
    QFETCH(QString, target);
    Fixture f;
    QString said;
    QVERIFY(!f.session.start(target, "32154", &said));
    QVERIFY2(said.contains("is not an address"), qPrintable(said));
    QCOMPARE(f.sent.size(), 0);
    QCOMPARE(f.session.state(), RegisterCameraSession::State::Idle);
}

void TestRegisterCameraSession::replies_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("result");        // 0: still waiting
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("target");     // an address, or a name the test resolver knows
    QTest::addColumn<bool>("listedBefore");  // the camera answered a broadcast before

    QTest::newRow("the camera's reply") << reply() << kCamera << 1 << 1 << "3" << kCamera << false;
    QTest::newRow("by host name") << reply() << kCamera << 1 << 1 << "3" << "cam-far" << false;
    QTest::newRow("by host name, another address")
        << reply() << "127.0.0.78" << 0 << 1 << "2" << "cam-far" << false;
    QTest::newRow("a listed camera becomes remote") << reply() << kCamera << 1 << 1 << "3"
                                                    << kCamera << true;
    QTest::newRow("three bytes") << QByteArray("ZOR") << kCamera << 0 << 0 << "" << kCamera << false;
    QTest::newRow("length field disagrees") << reply(Zora::ReplyDiscovery, 2) << kCamera << 0 << 0
                                            << "" << kCamera << false;
    QTest::newRow("another camera is listed as local")
        << reply() << "127.0.0.78" << 0 << 1 << "2" << kCamera << false;
    QTest::newRow("a command answer from the address does not register")
        << reply(Zora::ReplySuccess) << kCamera << 0 << 0 << "" << kCamera << false;
    QTest::newRow("foreign magic") << QByteArray("ADCT").append(reply().mid(4)) << kCamera << 0
                                   << 0 << "" << kCamera << false;
}

void TestRegisterCameraSession::replies()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, from);
    QFETCH(int, result);
    QFETCH(int, rows);
    QFETCH(QString, kind);
    QFETCH(QString, target);
    QFETCH(bool, listedBefore);
    Fixture f;
    if (listedBefore) {
        f.endpoint.handleDatagram(reply(), QHostAddress(from));
        QCOMPARE(f.list.column(0, CameraList::ColKind), QString("2"));
    }
    // No real name is ever looked up.
    f.session.setResolver([](const QString &name, QString *error) {
        if (name == "cam-far")
            return QList<QHostAddress>{QHostAddress(kCamera)};
        *error = "Host not found";
        return QList<QHostAddress>();
    });
    QString message;
    QVERIFY(f.session.start(target, QStringLiteral("9"), &message));
    QCOMPARE(f.sent.last().to, kCamera);
    f.session.tick();
    f.endpoint.handleDatagram(datagram, QHostAddress(from));
    if (result == 0) {
        QCOMPARE(f.session.state(), RegisterCameraSession::State::Waiting);
    } else {
        QCOMPARE(f.session.state(), RegisterCameraSession::State::Closed);
        QCOMPARE(f.session.result(), result);
        QCOMPARE(f.session.cameraAddress(), from);
        QCOMPARE(f.session.receivedLength(), int(datagram.size()));
        QVERIFY(!f.session.timerActive());
    }
    QCOMPARE(f.list.count(), rows);
    if (rows) {
        QCOMPARE(f.list.column(0, CameraList::ColKind), kind);
        QCOMPARE(f.list.column(0, CameraList::ColIp), from);
        QCOMPARE(f.registry.recordOfRow(0)->ConnectionKind, Connection(kind.toInt()));
    }
}

void TestRegisterCameraSession::unresolvableName()
{
    // At OK the dialog stays idle; during the wait a failed resend still counts.
    Fixture f;
    bool known = true;
    f.session.setResolver([&known](const QString &, QString *error) {
        if (known)
            return QList<QHostAddress>{QHostAddress(kCamera)};
        *error = "Host not found";
        return QList<QHostAddress>();
    });
    known = false;
    QString message;
    QVERIFY(!f.session.start("cam-gone", "9", &message));
    QCOMPARE(message, QString("Host not found"));
    QCOMPARE(f.session.state(), RegisterCameraSession::State::Idle);
    known = true;
    QVERIFY(f.session.start("cam-gone", "9", &message));
    known = false;
    for (int i = 0; i < 5; ++i)
        f.session.tick();
    QCOMPARE(f.session.result(), int(RegisterCameraSession::ResultNotAccepted));
    QCOMPARE(f.sent.size(), 1);
    QCOMPARE(f.session.lastSendError(), QString("Host not found"));
}

QTEST_GUILESS_MAIN(TestRegisterCameraSession)
#include "tst_register_camera_session.moc"

void TestRegisterCameraSession::backgroundLookup_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("needed");
    QTest::addColumn<QString>("error");   // what the lookup reports; "-" when it is not run
    QTest::newRow("address") << "127.0.0.77" << false << "-";
    QTest::newRow("odd numeric form") << "0x7f.0.0.1" << false << "-";
    QTest::newRow("localhost") << "localhost" << true << "";
    QTest::newRow("a name under the guard: refused before any lookup")
        << "cam.example" << true << "Refused to look up cam.example";
}

void TestRegisterCameraSession::backgroundLookup()
{
    QFETCH(QString, target);
    QFETCH(bool, needed);
    QFETCH(QString, error);
    qputenv("ZORA_LOOPBACK_ONLY", "1");
    Fixture f;
    QCOMPARE(f.session.needsLookup(target), needed);
    if (error == "-")
        return;
    std::optional<QString> reported;
    f.session.lookUp(target, [&reported](const QString &e) { reported = e; });
    QTRY_VERIFY_WITH_TIMEOUT(reported.has_value(), 5000);
    if (!error.isEmpty()) {
        QVERIFY2(reported->startsWith(error), qPrintable(*reported));
        return;
    }
    QVERIFY2(reported->isEmpty(), qPrintable(*reported));
    // start() then takes what was found: the request goes to it at once.
    QString message;
    QVERIFY2(f.session.start(target, "9", &message), qPrintable(message));
    QTRY_COMPARE_WITH_TIMEOUT(f.sent.size(), 1, 5000);
    QCOMPARE(f.sent.first().to, QString("127.0.0.1"));
    // A test's resolver is asked directly.
    f.session.setResolver([](const QString &, QString *) { return QList<QHostAddress>(); });
    QVERIFY(!f.session.needsLookup(target));
}

#include "test_support.h"

#include "protocol/command_result_sink.h"
#include "protocol/save_config_session.h"
#include "protocol/udp_endpoint.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

using TestSupport::fromHex;

namespace {

// The last MAC byte is 0 on purpose: a reply cut before it would match through the
// zero-filled receive buffer.
const QByteArray kMac = fromHex("00 0A 1B 2C 3D 00");
const QByteArray kOtherMac = fromHex("00 0A 1B 2C 3D 4F");

struct Results final : CommandResultSink {
    QList<int> success;
    QList<int> authFail;
    void ZORASetSuccess(int row) override { success.append(row); }
    void ZORAAuthFail(int row) override { authFail.append(row); }
};

QByteArray request()
{
    QByteArray r = fromHex("41 44 43 54 02 31 00 06 01");
    r.append(kMac);
    r.append(QByteArray(49 - r.size() - 3, '\x11'));
    r.append(fromHex("05 01 01"));
    return r;
}

QByteArray reply(quint8 type, const QByteArray &mac, int length = 20)
{
    QByteArray r = fromHex("5A 4F 52 41 02 14 00");
    r.append(char(type)).append('\x01').append(mac);
    r.append(QByteArray(20 - r.size(), '\0'));
    return r.first(length);
}

class Harness
{
public:
    Harness()
    {
        camera.bind(QHostAddress::AnyIPv4, 0);
        endpoint.setLocalPort(0);
        endpoint.setCameraPort(camera.localPort());
        endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
        QObject::connect(&camera, &QUdpSocket::readyRead, &camera, [this] {
            while (camera.hasPendingDatagrams())
                received.append(camera.receiveDatagram().data());
        });
        QObject::connect(&endpoint, &UdpEndpoint::discoveryReply, &endpoint,
                         [this] { ++discoveries; });
    }
    void feed(const QByteArray &bytes)
    {
        endpoint.handleDatagram(bytes, QHostAddress(QStringLiteral("127.0.0.9")));
    }

    QUdpSocket camera;
    UdpEndpoint endpoint;
    Results results;
    SaveConfigSession session{endpoint, &results};
    QList<QByteArray> received;
    int discoveries = 0;
};

} // namespace

class TestSaveConfigSession : public QObject
{
    Q_OBJECT

private slots:
    void script_data();
    void script();
    void broadcastWhenNotUnicast();
    void oversizedRequestIsNotSent();
    void severalCamerasWaitAtOnce();
};

void TestSaveConfigSession::script_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("sends");
    QTest::addColumn<int>("state");
    QTest::addColumn<QList<int>>("success");
    QTest::addColumn<QList<int>>("authFail");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("discoveries");

    const int hidden = int(SaveConfigSession::State::Hidden);
    const int sending = int(SaveConfigSession::State::Sending);
    const int failed = int(SaveConfigSession::State::Failed);
    const int stalled = int(SaveConfigSession::State::Stalled);
    const QList<int> none;
    const QList<int> row{7};
    const QString mismatch = "Mismatched type found! Check the all items";
    const QString auth = "Invalid Athentication Information\nCheck the Administrator ID and Password";

    QTest::newRow("type 0 on the third send") << QStringList{"t", "t", "r0"} << 3 << hidden
        << row << none << 66 << "Cancel" << "" << 0;
    QTest::newRow("type 0x80 counts as success") << QStringList{"r128"} << 1 << hidden << row
        << none << 66 << "Cancel" << "" << 0;
    QTest::newRow("short replies ignored") << QStringList{"short", "tiny", "t"} << 2 << sending
        << none << none << 66 << "Cancel" << "" << 0;
    QTest::newRow("type 3 waits for OK") << QStringList{"t", "r3", "t", "t"} << 2 << failed
        << none << none << 117 << "OK" << mismatch << 0;
    QTest::newRow("type 3 then OK reports auth failure") << QStringList{"r3", "p"} << 1 << hidden
        << none << row << 117 << "OK" << mismatch << 0;
    QTest::newRow("type 1") << QStringList{"r1"} << 1 << failed << none << none << 117 << "OK"
        << "FAIL on Appling changes! Try again...." << 0;
    QTest::newRow("type 4") << QStringList{"r4"} << 1 << failed << none << none << 117 << "OK"
        << "Unknown Error... Try later..." << 0;
    QTest::newRow("type 2 reports at once and again on OK") << QStringList{"r2", "t", "p"} << 1
        << hidden << none << QList<int>{7, 7} << 117 << "OK" << auth << 0;
    QTest::newRow("other MAC ignored, resending goes on") << QStringList{"o0", "t", "o2", "t"} << 3
        << sending << none << none << 66 << "Cancel" << "" << 0;
    QTest::newRow("type 5 stops resending, still reaches discovery") << QStringList{"r5", "t", "t"}
        << 1 << stalled << none << none << 66 << "Cancel" << "" << 1;
    QTest::newRow("cancel while stalled reports auth failure") << QStringList{"r5", "p"} << 1
        << hidden << none << row << 66 << "Cancel" << "" << 1;
    QTest::newRow("cancel while waiting") << QStringList{"t", "p", "t"} << 2 << hidden << none
        << row << 66 << "Cancel" << "" << 0;
    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << "t";
    QTest::newRow("ten unanswered sends close silently") << ten << 10 << hidden << none << none
        << 66 << "Cancel" << "" << 0;
    const QString noAnswer = SaveConfigSession::noAnswerText();
    QTest::newRow("in the window ten unanswered sends say so") << (QStringList{"hold"} << ten) << 10
        << failed << none << none << 117 << "OK" << noAnswer << 0;
    QTest::newRow("and OK closes without blaming the credentials")
        << (QStringList{"hold"} << ten << "p") << 10 << hidden << none << none << 117 << "OK" << noAnswer << 0;
    QTest::newRow("nothing heard once closed") << (QStringList(ten) << "r0" << "t") << 10 << hidden
        << none << none << 66 << "Cancel" << "" << 0;
}

void TestSaveConfigSession::script()
{
    QFETCH(QStringList, steps);
    QFETCH(int, sends);
    QFETCH(int, state);
    QFETCH(QList<int>, success);
    QFETCH(QList<int>, authFail);
    QFETCH(int, height);
    QFETCH(QString, button);
    QFETCH(QString, message);
    QFETCH(int, discoveries);

    Harness h;
    SaveConfigSession &s = h.session;
    s.setTarget(true, QStringLiteral("127.0.0.1"));
    s.setExpectedMac(kMac);
    s.setRow(7);
    QVERIFY(s.setRequest(request(), 1023, 49));
    QVERIFY(!s.active());
    s.show();
    QVERIFY(s.active());
    QVERIFY(s.timerActive());

    for (const QString &step : steps) {
        if (step == "t") {
            s.tick();
        } else if (step == "hold") {
            s.setHoldsNoAnswer(true);
        } else if (step == "p") {
            s.pressButton();
        } else if (step == "short") {
            h.feed(reply(0, kMac, 14));
        } else if (step == "tiny") {
            h.feed(reply(0, kMac, 3));
        } else if (step.startsWith('r')) {
            h.feed(reply(quint8(step.mid(1).toInt()), kMac));
        } else if (step.startsWith('o')) {
            h.feed(reply(quint8(step.mid(1).toInt()), kOtherMac));
        }
    }

    QTRY_COMPARE_WITH_TIMEOUT(h.received.size(), sends, 5000);
    QCOMPARE(s.sendCount(), sends == 10 && steps.size() >= 10 ? 11 : sends);
    for (const QByteArray &d : h.received)
        QCOMPARE(d, request());
    QCOMPARE(int(s.state()), state);
    QCOMPARE(s.visible(), state != int(SaveConfigSession::State::Hidden));
    QCOMPARE(s.timerActive(), state == int(SaveConfigSession::State::Sending));
    QCOMPARE(h.results.success, success);
    QCOMPARE(h.results.authFail, authFail);
    QCOMPARE(s.height(), height);
    QCOMPARE(s.buttonCaption(), button);
    QCOMPARE(s.errorText(), message);
    QCOMPARE(s.errorVisible(), !message.isEmpty());
    QCOMPARE(s.statusText(), message.isEmpty() ? s.waitingText() : SaveConfigSession::notChangedText());
    QCOMPARE(h.discoveries, discoveries);
}

void TestSaveConfigSession::broadcastWhenNotUnicast()
{
    Harness h;
    SaveConfigSession &s = h.session;
    s.setTarget(false, QStringLiteral("127.0.0.1"));
    s.setExpectedMac(kMac);
    s.setRow(-1);
    QVERIFY(s.setRequest(request(), 511, 49));
    s.show();
    QCOMPARE(s.destination(), QStringLiteral("255.255.255.255"));
    QTRY_COMPARE_WITH_TIMEOUT(h.received.size(), 1, 5000);
    QVERIFY2(s.lastSendError().isEmpty(), qPrintable(s.lastSendError()));
    // no row: the reports do nothing, the dialog still closes
    h.feed(reply(0, kMac));
    QVERIFY(!s.visible());
    QVERIFY(h.results.success.isEmpty());
    QVERIFY(s.destination().isEmpty());
}

void TestSaveConfigSession::severalCamerasWaitAtOnce()
{
    // Two confirmations shown together: each answer ends only its own camera's wait,
    // whichever session was shown first.
    Harness h;
    SaveConfigSession other(h.endpoint, &h.results);
    QByteArray second = request();
    second.replace(9, 6, kOtherMac);
    h.session.setTarget(false, {});
    h.session.setExpectedMac(kMac);
    h.session.setRow(1);
    QVERIFY(h.session.setRequest(request(), 511, 49));
    other.setTarget(false, {});
    other.setExpectedMac(kOtherMac);
    other.setRow(2);
    QVERIFY(other.setRequest(second, 511, 49));
    h.session.show();
    other.show();
    h.feed(reply(0, kOtherMac));
    QVERIFY(!other.visible());
    QVERIFY(h.session.visible());
    h.feed(reply(1, kMac));
    QCOMPARE(int(h.session.state()), int(SaveConfigSession::State::Failed));
    QCOMPARE(h.results.success, QList<int>{2});
}

void TestSaveConfigSession::oversizedRequestIsNotSent()
{
    Harness h;
    SaveConfigSession &s = h.session;
    s.setTarget(true, QStringLiteral("127.0.0.1"));
    s.setExpectedMac(kMac);
    s.setRow(1);
    QVERIFY(!s.setRequest(QByteArray(600, 'x'), 511, 600));
    QSignalSpy finished(&s, &SaveConfigSession::finished);
    s.show();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(s.outcome(), CommandOutcome::NotSent);
    QVERIFY(!s.visible());
}

QTEST_GUILESS_MAIN(TestSaveConfigSession)
#include "tst_save_config_session.moc"

#include "commands_helper.h"
#include "test_support.h"

#include "base/messenger.h"
#include "protocol/udp_endpoint.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using TestSupport::fromHex;

namespace {

const char *kId = "61 64 6D 69 6E 00 00 00";

// Header bytes 0..15 with the given length, code, model and settings kind.
QByteArray head(int length, quint8 code, quint8 model, quint8 kind)
{
    QByteArray h = fromHex("41 44 43 54 02");
    h.append(char(length & 0xFF)).append(char(length >> 8)).append(char(code)).append(char(model));
    h.append(fromHex("00 0A 1B 2C 3D 4E"));
    h.append(char(kind));
    return h + fromHex(kId) + PassBlock();
}

enum class Kind { Static, Dhcp, Pppoe, Host, Account, Misc, Control };

} // namespace

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(ModelByte)

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void bytes_data();
    void bytes();
    void refusals_data();
    void refusals();
    void wireCode_data();
    void wireCode();
    void reset_data();
    void reset();
    void resetStopsWithoutCredentialsOrRecord();
    void controlCommandGoesStraightOut();
};

void TestCommands::bytes_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("rowKind");
    QTest::addColumn<int>("flags");
    QTest::addColumn<ModelByte>("model");
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QByteArray>("expected");

    const QStringList staticIn{"192.168.0.20", "255.255.255.0", "192.168.0.1", "8.8.8.8"};
    const QByteArray staticBody = fromHex("C0 A8 00 14 FF FF FF 00 C0 A8 00 01");
    QTest::newRow("static with dns, 62") << Kind::Static << "2" << 0x06 << ModelByte::FromHeader
        << staticIn << head(62, 0x04, 1, 1) + staticBody + fromHex("08 08 08 08");
    QTest::newRow("static, flags without 0x02: 58, no dns") << Kind::Static << "2" << 0x04
        << ModelByte::FromHeader << staticIn << head(58, 0x04, 1, 1) + staticBody;
    QTest::newRow("static from file page: model 0") << Kind::Static << "2" << 0x04
        << ModelByte::Zero << staticIn << head(58, 0x04, 0, 1) + staticBody;
    QTest::newRow("static remote: 0x84") << Kind::Static << "3" << 0x04
        << ModelByte::FromHeader << staticIn << head(58, 0x84, 1, 1) + staticBody;
    QTest::newRow("dhcp, 46") << Kind::Dhcp << "2" << 0x0E << ModelByte::FromHeader
        << QStringList() << head(46, 0x04, 1, 0);
    QTest::newRow("pppoe, 61, mtu D4 05 00 00") << Kind::Pppoe << "2" << 0x10
        << ModelByte::FromHeader << QStringList{"u", "pw", "", "1492", "manual", "168.126.63.1"}
        << head(61, 0x04, 1, 2) + fromHex("01 75 02 70 77 00 D4 05 00 00 01 A8 7E 3F 01");
    QTest::newRow("pppoe auto dns") << Kind::Pppoe << "2" << 0x10 << ModelByte::FromHeader
        << QStringList{"", "", "isp", "-1", "auto", "0.0.0.0"}
        << head(61, 0x04, 1, 2) + fromHex("00 00 03 69 73 70 FF FF FF FF 00 00 00 00 00");
    QTest::newRow("host name, empty domain: 52") << Kind::Host << "2" << 0x01
        << ModelByte::Zero << QStringList{"cam1", ""}
        << head(52, 0x04, 0, 3) + fromHex("04 63 61 6D 31 00");
    QTest::newRow("host name with domain") << Kind::Host << "2" << 0x01 << ModelByte::FromHeader
        << QStringList{"cam1", "ab.c"}
        << head(56, 0x04, 1, 3) + fromHex("04 63 61 6D 31 04 61 62 2E 63");
    QTest::newRow("host name, no domain flag: domain left out") << Kind::Host << "2" << 0x00
        << ModelByte::Zero << QStringList{"cam1", "x.com"}
        << head(51, 0x04, 0, 3) + fromHex("04 63 61 6D 31");
    QTest::newRow("account, no password change") << Kind::Account << "2" << 0x20
        << ModelByte::Zero << QStringList{"guest", ""}
        << head(69, 0x05, 0, 0x81) + fromHex("01") + QByteArray(22, '\0');
    QTest::newRow("account, password change, L60 model byte") << Kind::Account << "2" << 0x20
        << ModelByte::FromHeader << QStringList{"", "pass"}
        << head(69, 0x05, 1, 0x81) + fromHex("00") + PassBlock();
    QTest::newRow("account remote: 0x85") << Kind::Account << "3" << 0x20 << ModelByte::Zero
        << QStringList{"", ""} << head(69, 0x85, 0, 0x81) + fromHex("00") + QByteArray(22, '\0');
    QTest::newRow("misc, sensitivity low byte") << Kind::Misc << "2" << 0 << ModelByte::FromHeader
        << QStringList{"300", "2"} << head(52, 0x06, 1, 0x81) + fromHex("03 01 2C 04 01 02");
    QTest::newRow("misc, no output source: FF") << Kind::Misc << "2" << 0 << ModelByte::FromHeader
        << QStringList{"5", "-1"} << head(52, 0x06, 1, 0x81) + fromHex("03 01 05 04 01 FF");
    QTest::newRow("control apply") << Kind::Control << "2" << 0 << ModelByte::FromHeader
        << QStringList{"5", "1"} << head(49, 0x06, 1, 0x81) + fromHex("05 01 01");
    QTest::newRow("reset scope 9, remote: 0x86") << Kind::Control << "3" << 0
        << ModelByte::FromHeader << QStringList{"6", "9"} << head(49, 0x86, 1, 0x81) + fromHex("06 01 09");
    QTest::newRow("unknown connection kind: code 0") << Kind::Control << "" << 0
        << ModelByte::FromHeader << QStringList{"7", "1"} << head(49, 0x00, 1, 0x81) + fromHex("07 01 01");
}

static CommandBytes build(Kind kind, const TConfigItem &cam, const QString &rowKind,
                          ModelByte model, const QStringList &in)
{
    const CommandSources s = PinnedSources();
    switch (kind) {
    case Kind::Static:
        return Commands::StaticNetworkCommand(cam, rowKind, model, {in[0], in[1], in[2], in[3]}, s);
    case Kind::Dhcp:
        return Commands::DhcpNetworkCommand(cam, rowKind, model, s);
    case Kind::Pppoe:
        return Commands::PppoeNetworkCommand(
            cam, rowKind, model, {in[0], in[1], in[2], in[3], in[4] == "manual", in[5]}, s);
    case Kind::Host:
        return Commands::HostNameCommand(cam, rowKind, model, in[0], in[1], s);
    case Kind::Account:
        return Commands::AccountCommand(cam, rowKind, model, in[0] == "guest", in[1], s);
    case Kind::Misc:
        return Commands::MiscSettingsCommand(cam, rowKind, {in[0], in[1].toInt()}, s);
    case Kind::Control:
        return Commands::ControlCommand(cam, rowKind, quint8(in[0].toInt()), quint8(in[1].toInt()), s);
    }
    return {};
}

void TestCommands::bytes()
{
    QFETCH(Kind, kind);
    QFETCH(QString, rowKind);
    QFETCH(int, flags);
    QFETCH(ModelByte, model);
    QFETCH(QStringList, input);
    QFETCH(QByteArray, expected);

    const TConfigItem cam = TestCamera(quint8(flags));
    const CommandBytes c = build(kind, cam, rowKind, model, input);
    QVERIFY2(c.ok(), qPrintable(c.error));
    QCOMPARE(c.bytes.toHex(' '), expected.toHex(' '));
    QCOMPARE(cam.AdminPassword, QStringLiteral("pass"));
}

void TestCommands::refusals_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QString>("adminId");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");

    const QString ok = "pass";
    QTest::newRow("host name of 256 bytes") << Kind::Host << QStringList{QString(256, 'h'), ""}
        << "admin" << ok << "Host Name is TOO Long";
    QTest::newRow("domain name of 300 bytes") << Kind::Host << QStringList{"cam", QString(300, 'd')}
        << "admin" << ok << "Domain Name is TOO Long";
    QTest::newRow("host name without 8-bit form") << Kind::Host
        << QStringList{QString::fromUtf8("cam\u4e2d"), ""} << "admin" << ok << "cannot store";
    QTest::newRow("pppoe service of 256 bytes") << Kind::Pppoe
        << QStringList{"u", "p", QString(256, 's'), "1492", "auto", ""} << "admin" << ok
        << "Service Name is TOO Long";
    QTest::newRow("mtu not a number") << Kind::Pppoe
        << QStringList{"u", "p", "", "14x", "auto", ""} << "admin" << ok << "not a valid integer";
    QTest::newRow("manual dns invalid") << Kind::Pppoe
        << QStringList{"u", "p", "", "1492", "manual", "1.2.3"} << "admin" << ok << "DNS";
    QTest::newRow("static ip invalid") << Kind::Static
        << QStringList{"192.168.0", "255.255.255.0", "192.168.0.1", ""} << "admin" << ok
        << "IP Address is Invalid";
    QTest::newRow("sensitivity not a number") << Kind::Misc << QStringList{"", "1"} << "admin"
        << ok << "not a valid integer";
    QTest::newRow("admin id of 8") << Kind::Dhcp << QStringList() << "admin123" << ok
        << "ID MUST be Shorter than 7";
    QTest::newRow("password of 17") << Kind::Dhcp << QStringList() << "admin"
        << QString(17, 'p') << "Maximum 16 characters";
    QTest::newRow("new password of 17") << Kind::Account << QStringList{"", QString(17, 'n')}
        << "admin" << ok << "Maximum 16 characters";
}

void TestCommands::refusals()
{
    QFETCH(Kind, kind);
    QFETCH(QStringList, input);
    QFETCH(QString, adminId);
    QFETCH(QString, password);
    QFETCH(QString, message);

    TConfigItem cam = TestCamera(0x15);
    cam.AdminId = adminId;
    cam.AdminPassword = password;
    const CommandBytes c = build(kind, cam, "2", ModelByte::FromHeader, input);
    QVERIFY(!c.ok());
    QVERIFY(c.bytes.isEmpty());
    QVERIFY2(c.error.contains(message), qPrintable(c.error));
}

void TestCommands::wireCode_data()
{
    QTest::addColumn<QString>("rowKind");
    QTest::addColumn<int>("wire");
    QTest::newRow("local") << "2" << 0x05;
    QTest::newRow("remote") << "3" << 0x85;
    QTest::newRow("poll toggle text") << "1" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestCommands::wireCode()
{
    QFETCH(QString, rowKind);
    QFETCH(int, wire);
    QCOMPARE(int(Commands::WireCode(5, rowKind)), wire);
}

void TestCommands::reset_data()
{
    QTest::addColumn<int>("connectionKind");
    QTest::addColumn<bool>("unicastWhenLocal");
    QTest::addColumn<int>("scope");
    QTest::addColumn<bool>("unicast");
    QTest::addColumn<QString>("question");

    const QString all = "Reset all Configuration to factory default\n\n"
                        "This work may cause camera to work improperly\n\nAre you sure?";
    const QString one = "Reset this Configuration to default\nAre you sure?";
    QTest::newRow("L60 factory default, local row: unicast") << 2 << true << 0 << true << all;
    QTest::newRow("file page set default, local: broadcast") << 2 << false << 3 << false << one;
    QTest::newRow("remote camera: unicast") << 3 << false << 9 << true << one;
}

void TestCommands::reset()
{
    QFETCH(int, connectionKind);
    QFETCH(bool, unicastWhenLocal);
    QFETCH(int, scope);
    QFETCH(bool, unicast);
    QFETCH(QString, question);

    TConfigItem cam = TestCamera(0, Connection(connectionKind));
    ScriptedMessenger messenger;
    ScriptedPrompt prompt;
    RecordingConfirmation confirmation;
    CommandEnvironment env{messenger, prompt, confirmation, PinnedSources()};

    const QString rowKind = QString::number(connectionKind);
    QCOMPARE(SendResetToDefaults(&cam, 4, rowKind, unicastWhenLocal, quint8(scope), env),
             CommandOutcome::Success);
    QCOMPARE(messenger.shown().size(), 1);
    QCOMPARE(messenger.shown().first().text, question);
    QCOMPARE(messenger.shown().first().caption, QStringLiteral("Warning"));
    QCOMPARE(prompt.calls, 0);
    QCOMPARE(confirmation.requests.size(), 1);
    const ConfirmRequest &r = confirmation.requests.first();
    QCOMPARE(r.unicast, unicast);
    QCOMPARE(r.address, cam.Address);
    QCOMPARE(r.mac, fromHex("00 0A 1B 2C 3D 4E"));
    QCOMPARE(r.recordIndex, 4);
    QCOMPARE(r.capacity, 511);
    QCOMPARE(r.bytes.size(), 49);
    QCOMPARE(r.bytes.right(3), QByteArray::fromRawData("\x06\x01", 2) + char(scope));

    // "No" to the question: nothing is built or sent
    messenger.queueAnswers({Messenger::AnswerNo});
    QCOMPARE(SendResetToDefaults(&cam, 4, rowKind, unicastWhenLocal, quint8(scope), env),
             CommandOutcome::NotSent);
    QCOMPARE(confirmation.requests.size(), 1);
}

void TestCommands::resetStopsWithoutCredentialsOrRecord()
{
    TConfigItem cam = TestCamera(0);
    cam.AdminPassword.clear();
    ScriptedMessenger messenger;
    ScriptedPrompt prompt;
    RecordingConfirmation confirmation;
    CommandEnvironment env{messenger, prompt, confirmation, PinnedSources()};

    prompt.answers = {std::nullopt};
    QCOMPARE(SendResetToDefaults(&cam, 0, "2", false, 0, env), CommandOutcome::NotSent);
    QCOMPARE(prompt.calls, 1);
    QVERIFY(cam.AdminPassword.isEmpty());
    QCOMPARE(SendResetToDefaults(nullptr, 0, "2", false, 0, env), CommandOutcome::NotSent);
    QCOMPARE(SendResetToDefaults(&cam, -1, "2", false, 0, env), CommandOutcome::NotSent);
    QCOMPARE(prompt.calls, 1);

    prompt.answers = {LoginEntry{"root", "secret", {}, true}};
    QCOMPARE(SendResetToDefaults(&cam, 0, "2", false, 2, env), CommandOutcome::Success);
    QCOMPARE(cam.AdminId, QStringLiteral("root"));
    QCOMPARE(confirmation.requests.size(), 1);
    QCOMPARE(confirmation.requests.first().bytes.mid(16, 8), fromHex("72 6F 6F 74 00 00 00 00"));
}

void TestCommands::controlCommandGoesStraightOut()
{
    QUdpSocket camera;
    QVERIFY(camera.bind(QHostAddress::LocalHost, 0));
    UdpEndpoint endpoint;
    endpoint.setLocalPort(0);
    endpoint.setCameraPort(camera.localPort());
    endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));

    const TConfigItem cam = TestCamera(0);
    ScriptedMessenger messenger;
    QVERIFY(IssueControlCommand(&cam, "2", endpoint, "127.0.0.1", 7, 1, PinnedSources(), &messenger));
    QTRY_VERIFY_WITH_TIMEOUT(camera.hasPendingDatagrams(), 5000);
    const QNetworkDatagram d = camera.receiveDatagram();
    QCOMPARE(d.data().toHex(' '), QByteArray(head(49, 0x06, 1, 0x81) + fromHex("07 01 01")).toHex(' '));
    QVERIFY(messenger.shown().isEmpty());

    QVERIFY(!IssueControlCommand(nullptr, "2", endpoint, "127.0.0.1", 5, 1, PinnedSources(), &messenger));
    // a destination off the loopback network is refused under ZORA_LOOPBACK_ONLY and said so
    if (qEnvironmentVariableIntValue("ZORA_LOOPBACK_ONLY") == 1) {
        QVERIFY(!IssueControlCommand(&cam, "2", endpoint, "192.0.2.1", 5, 1, PinnedSources(), &messenger));
        QCOMPARE(messenger.shown().size(), 1);
    }
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"

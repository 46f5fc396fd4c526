// The pieces a site is run with, without a program: the credential sources, the changes
// built per camera, the CSV fields, the restart watch tick by tick and what a dry run
// shows of a command.
#include "camsim_process.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "site/batch_runner.h"
#include "site/camera_change.h"
#include "site/camera_record_format.h"
#include "site/command_dump.h"
#include "site/restart_follower.h"
#include "site/script_credentials.h"
#include "test_support.h"

#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

namespace {

// A discovery reply: model, flags, network type; an address block with DNS word when
// flags ask for it and an empty PPPoE block with flag 0x10.
QByteArray reply(quint8 model, quint8 flags, quint8 version = 2)
{
    QByteArray d = QByteArray("ZORA") + char(version) + QByteArray(2, '\0') + char(5) + char(model)
                   + QByteArray::fromHex("000A1B2C3D55") + char(1) + char(flags);
    d += char(3) + QByteArray("CAM") + char(1) + QByteArray("h");
    if (flags & Zora::FlagDomain)
        d += char(0);
    if (flags & Zora::FlagAddress) {
        d += QByteArray::fromHex("7f000037ff0000007f000001");
        if (flags & Zora::FlagDns)
            d += QByteArray::fromHex("7f000035");
    }
    if (flags & Zora::FlagPppoe)
        d += QByteArray::fromHex("0175017000d4050000007f000009");
    if (flags & Zora::FlagGuest)
        d += char(1);
    Zora::PutLe16(d, 5, quint16(d.size()));
    return d;
}

TConfigItem camera(quint8 model, quint8 flags, Connection kind = Connection::Local)
{
    TConfigItem c;
    c.fillFromReply(*Zora::DiscoveryReply::parse(reply(model, flags)), QStringLiteral("127.0.0.55"));
    c.ConnectionKind = kind;
    c.AdminId = "root";
    c.AdminPassword = "pass";
    return c;
}

// Broadcasts stay on loopback and go to the discard port; replies to a free local port.
AppOptions loopbackOptions()
{
    AppOptions options;
    options.broadcast = QHostAddress("127.255.255.255");
    options.cameraPort = 9;
    // A port held by a lock file for the whole run: one probed and closed here could
    // be taken by a test running beside this one before the endpoint binds it.
    options.localPort = CamSimProcess::freeUdpPort();
    return options;
}

const CommandSources kSources{[] { return QStringLiteral("127.0.0.1"); }, [] { return quint16(7); }};

} // namespace

class TestZoractlCore : public QObject
{
    Q_OBJECT

private slots:
    void passwordPrompt_data();
    void passwordPrompt();
    void secretFileBounded_data();
    void secretFileBounded();
    void changes_data();
    void changes();
    void csvField_data();
    void csvField();
    void restartWatch_data();
    void restartWatch();
    void answerAfterTheCamerasDiscoveryReply_data();
    void answerAfterTheCamerasDiscoveryReply();
    void dryRunDump_data();
    void dryRunDump();
    void dryRunShowsEveryStep();
};

void TestZoractlCore::passwordPrompt_data()
{
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<bool>("interactive");
    QTest::addColumn<QString>("typed");       // "-": the terminal gave nothing
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("password");    // "-": refused
    QTest::newRow("file, terminal not asked") << true << true << "typed" << false << "from-file";
    QTest::newRow("no file, terminal asked") << false << true << "typed" << true << "typed";
    QTest::newRow("no file, no terminal") << false << false << "typed" << false << "-";
    QTest::newRow("terminal closed") << false << true << "-" << true << "-";
    QTest::newRow("typed password checked") << false << true << "" << true << "-";
}

void TestZoractlCore::passwordPrompt()
{
    QFETCH(bool, withFile);
    QFETCH(bool, interactive);
    QFETCH(QString, typed);
    QFETCH(bool, asked);
    QFETCH(QString, password);
    QTemporaryDir dir;
    ScriptCredentials::Sources s;
    s.user = "root";
    s.environmentVariable = "ZORACTL_TEST_UNSET_VARIABLE";
    if (withFile) {
        QFile f(dir.filePath("pw"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("from-file\n");
        s.passwordFile = f.fileName();
    }
    s.interactive = interactive;
    bool wasAsked = false;
    s.askHidden = [&](const QString &) -> std::optional<QString> {
        wasAsked = true;
        if (typed == "-")
            return std::nullopt;
        return typed;
    };
    QString error;
    const auto entry = ScriptCredentials::resolve(s, &error);
    QCOMPARE(wasAsked, asked);
    if (password == "-") {
        QVERIFY(!entry);
        QVERIFY(!error.isEmpty());
    } else {
        QVERIFY(entry);
        QCOMPARE(entry->id, QString("root"));
        QCOMPARE(entry->password, password);
    }
}

void TestZoractlCore::secretFileBounded_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("4096 bytes") << QByteArray(4095, 'p') + '\n' << true;
    QTest::newRow("4097 bytes") << QByteArray(4097, 'p') << false;
}

void TestZoractlCore::secretFileBounded()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    QFile f(dir.filePath("pw"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contents);
    f.close();
    QString error;
    const std::optional<QString> secret = ScriptCredentials::readSecretFile(f.fileName(), &error);
    QCOMPARE(bool(secret), accepted);
    if (accepted) {
        QCOMPARE(secret->size(), 4095);
    } else {
        QCOMPARE(error, QString("%1 is longer than 4096 bytes; it should hold only the password")
                            .arg(f.fileName()));
    }
}

void TestZoractlCore::changes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("connection");
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("refusal");     // empty: built
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("code");            // offset 7
    QTest::addColumn<bool>("unicast");

    const int net = int(CameraChange::Kind::Network);
    const int all = 0x3F;
    QTest::newRow("static with DNS") << net << 1 << all << 2 << "static-dns" << "" << 62 << 4 << false;
    QTest::newRow("static, camera takes no DNS word") << net << 1 << 0x0D << 2 << "static" << "" << 58
                                                      << 4 << false;
    QTest::newRow("DNS field without a DNS word: not sent") << net << 1 << 0x0D << 2 << "static-dns"
                                                             << "" << 58 << 4 << false;
    QTest::newRow("DNS for a camera without the field") << net << 1 << 0x0C << 2 << "static-dns"
                                                        << "takes no DNS" << 0 << 0 << false;
    QTest::newRow("no DHCP choice") << net << 1 << 0x37 << 2 << "dhcp" << "no DHCP" << 0 << 0 << false;
    QTest::newRow("model 4 never PPPoE") << net << 4 << all << 2 << "pppoe" << "no PPPoE" << 0 << 0
                                         << false;
    QTest::newRow("remote: gateway elsewhere passes, unicast, flag")
        << net << 1 << all << 3 << "static-far" << "" << 62 << 0x84 << true;
    QTest::newRow("local: gateway elsewhere refused")
        << net << 1 << all << 2 << "static-far" << "different network" << 0 << 0 << false;
    QTest::newRow("PPPoE keeps the announced password") << net << 1 << all << 2 << "pppoe" << ""
                                                        << 60 << 4 << false;
    QTest::newRow("file-configured: DNS field in use, no address given")
        << net << 0 << 0x0D << 2 << "static" << "Primary DNS Address is Invalid" << 0 << 0 << false;
    QTest::newRow("file-configured: PPPoE user of 23 characters")
        << net << 0 << all << 2 << "pppoe-long" << "User id is TOO Long" << 0 << 0 << false;
    const int host = int(CameraChange::Kind::Host);
    QTest::newRow("file-configured: host name of 33 characters")
        << host << 0 << all << 2 << "host-33" << "Host Name is TOO Long" << 0 << 0 << false;
    // One limit for both families: no camera stores a longer name.
    QTest::newRow("L60: host name of 33 characters")
        << host << 1 << all << 2 << "host-33" << "Host Name is TOO Long" << 0 << 0 << false;
    QTest::newRow("misc on model 4") << int(CameraChange::Kind::Misc) << 4 << all << 2 << "misc"
                                     << "no miscellaneous" << 0 << 0 << false;
    QTest::newRow("misc") << int(CameraChange::Kind::Misc) << 1 << all << 2 << "misc" << "" << 52 << 6
                          << false;
    QTest::newRow("account, short new password") << int(CameraChange::Kind::Account) << 1 << all << 2
                                                 << "abc" << "Too Short" << 0 << 0 << false;
    QTest::newRow("account") << int(CameraChange::Kind::Account) << 1 << all << 2 << "abcd" << ""
                             << 69 << 5 << false;
    QTest::newRow("factory reset of an L60 goes to its address")
        << int(CameraChange::Kind::Reset) << 1 << all << 2 << "0" << "" << 49 << 6 << true;
    QTest::newRow("page reset of a file-configured camera is broadcast")
        << int(CameraChange::Kind::Reset) << 0 << all << 2 << "9" << "" << 49 << 6 << false;
}

void TestZoractlCore::changes()
{
    QFETCH(int, kind);
    QFETCH(int, model);
    QFETCH(int, flags);
    QFETCH(int, connection);
    QFETCH(QString, variant);
    QFETCH(QString, refusal);
    QFETCH(int, length);
    QFETCH(int, code);
    QFETCH(bool, unicast);
    TConfigItem cam = camera(quint8(model), quint8(flags), Connection(connection));
    CameraChange change{CameraChange::Kind(kind)};
    if (variant == "static-dns")
        change.setStatic("127.0.0.60", "255.0.0.0", "127.0.0.1", QString("127.0.0.53"));
    else if (variant == "static")
        change.setStatic("127.0.0.60", "255.0.0.0", "127.0.0.1", std::nullopt);
    else if (variant == "static-far")
        change.setStatic("127.0.0.60", "255.255.255.0", "127.0.1.1", std::nullopt);
    else if (variant == "dhcp")
        change.setDhcp();
    else if (variant == "pppoe")
        change.setPppoe("u", "", "1492", std::nullopt, std::nullopt);
    else if (variant == "pppoe-long")
        change.setPppoe(QString(23, 'u'), "", "1492", std::nullopt, std::nullopt);
    else if (variant == "host-33")
        change.setHost(QString(33, 'h'), std::nullopt);
    else if (variant == "misc")
        change.setMisc(QString("9"), 3);
    else if (kind == int(CameraChange::Kind::Account))
        change.setAccount(true, variant);
    else
        change.setResetScope(quint8(variant.toInt()));
    const CameraChange::Built built = change.build(cam, QString::number(connection), kSources);
    if (!refusal.isEmpty()) {
        QVERIFY(built.refused);
        QVERIFY2(built.refused->text.contains(refusal), qPrintable(built.refused->text));
        return;
    }
    QVERIFY2(!built.refused, qPrintable(built.refused ? built.refused->text : QString()));
    const QByteArray &b = built.command.bytes;
    QCOMPARE(int(b.size()), length);
    QCOMPARE(int(Zora::ReadLe16(b, 5)), length);
    QCOMPARE(int(quint8(b.at(7))), code);
    QCOMPARE(b.mid(9, 6), QByteArray::fromHex("000A1B2C3D55"));
    QCOMPARE(built.unicast, unicast);
    if (variant == "pppoe")   // user "u", announced password "p", empty service
        QCOMPARE(b.mid(46, 5), QByteArray::fromHex("0175017000"));
    if (variant == "misc")
        QCOMPARE(b.mid(46), QByteArray::fromHex("030109040103"));
    if (kind == int(CameraChange::Kind::Account))
        QCOMPARE(cam.AdminPassword, variant);   // stored when the command is built
}

void TestZoractlCore::csvField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "lobby" << "lobby";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("comma") << "a,b" << "\"a,b\"";
    QTest::newRow("quote") << "say \"hi\"" << "\"say \"\"hi\"\"\"";
    QTest::newRow("line break") << "a\nb" << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb" << "\"a\rb\"";
}

void TestZoractlCore::csvField()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(CameraRecordFormat::csvField(text), field);
}

void TestZoractlCore::restartWatch_data()
{
    QTest::addColumn<int>("answerAtTick");    // 0: never
    QTest::addColumn<int>("endTick");
    QTest::addColumn<int>("end");
    QTest::newRow("back at the first poll") << 20 << 20 << int(RestartFollower::State::Back);
    QTest::newRow("back at the last poll") << 100 << 100 << int(RestartFollower::State::Back);
    QTest::newRow("lost after 60 s") << 0 << 120 << int(RestartFollower::State::Lost);
}

void TestZoractlCore::restartWatch()
{
    QFETCH(int, answerAtTick);
    QFETCH(int, endTick);
    QFETCH(int, end);
    TestSupport::AppDir dir;
    const AppOptions options = loopbackOptions();
    CameraNetwork core(options);
    const QByteArray answer = reply(1, 0x0C);
    core.endpoint().handleDatagram(answer, QHostAddress("127.0.0.55"));
    QCOMPARE(core.list().count(), 1);
    int polls = 0;
    QObject::connect(&core.endpoint(), &UdpEndpoint::datagramSent, &core.endpoint(),
                     [&polls](const QHostAddress &, quint16, const QByteArray &) { ++polls; });
    core.discovery().startCountdown(0, CameraList::Restarting);
    RestartFollower follower(core, core.list().row(0).record);
    int tick = 0;
    RestartFollower::State state = follower.state();
    while (state == RestartFollower::State::Waiting && tick < 200) {
        ++tick;
        state = follower.tick();
        if (tick == answerAtTick)
            core.endpoint().handleDatagram(answer, QHostAddress("127.0.0.56"));
        state = follower.state();
    }
    QCOMPARE(tick, endTick);
    QCOMPARE(int(state), end);
    // Asked every 10 s: at ticks 20, 40, ... up to the end.
    QCOMPARE(polls, qMin(endTick, 100) / 20);
    if (end == int(RestartFollower::State::Back))
        QCOMPARE(follower.address(), QString("127.0.0.56"));
}

void TestZoractlCore::answerAfterTheCamerasDiscoveryReply_data()
{
    QTest::addColumn<int>("answer");      // the command answer's type after the stall; -1 none
    QTest::addColumn<QString>("verdict");
    QTest::newRow("answer still comes") << 0 << "success";
    QTest::newRow("refused after the stall") << 1 << "refused";
    QTest::newRow("no answer at all") << -1 << "no answer";
    // An answer, though of a type no command result has: not the silence of status 7.
    QTest::newRow("an answer of type 9") << 9 << "unknown error";
}

void TestZoractlCore::answerAfterTheCamerasDiscoveryReply()
{
    // Another camera's restart watch makes every camera answer a broadcast, also the one
    // whose command is still waiting: its discovery reply stops the resends, but not the
    // wait for the command's answer.
    QFETCH(int, answer);
    QFETCH(QString, verdict);
    const AppOptions options = loopbackOptions();
    CameraNetwork network(options);
    const QByteArray discovery = reply(1, 0x0C);
    network.endpoint().handleDatagram(discovery, QHostAddress("127.0.0.55"));
    QCOMPARE(network.list().count(), 1);
    const QString mac = network.registry().record(network.list().row(0).record).macText();

    BatchRunner runner(network);
    // The answer comes one and a half resends after the command: late enough that a resend
    // not stopped would show, and eight resends before the wait runs out.
    runner.setConfirmIntervalMs(50);
    runner.setClockMs(10);
    BatchTask task{mac, {"root", "pass", {}, true}, {}};
    BatchStep step;
    step.name = "set-hostname";
    step.change = CameraChange(CameraChange::Kind::Host);
    step.change.setHost("renamed", std::nullopt);
    task.steps << step;
    QByteArray a = discovery.first(17);
    a[7] = char(answer);
    Zora::PutLe16(a, 5, 17);
    int sends = 0;
    // The answer is timed from the command's send, not from the test's start: a slow start
    // (a loaded machine) must not bring it before the command.
    QObject::connect(&network.endpoint(), &UdpEndpoint::datagramSent, &runner,
                     [&](const QHostAddress &, quint16, const QByteArray &bytes) {
                         if (bytes.size() <= 9 || ++sends != 1)
                             return;
                         network.endpoint().handleDatagram(discovery, QHostAddress("127.0.0.55"));
                         if (answer >= 0)
                             QTimer::singleShot(75, &runner, [&network, a] {
                                 network.endpoint().handleDatagram(a, QHostAddress("127.0.0.55"));
                             });
                     });
    const QList<BatchResult> results = runner.run({task});
    QCOMPARE(results.first().verdict, verdict);
    QCOMPARE(sends, 1);
}

void TestZoractlCore::dryRunDump_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QList<int>>("masked");   // [from, to) pairs
    QTest::addColumn<QByteArray>("secret");   // a password the command carries besides "pass"
    const QList<int> prefix{24, 46};
    QTest::newRow("static network") << int(CameraChange::Kind::Network) << "static" << prefix << QByteArray();
    QTest::newRow("host name") << int(CameraChange::Kind::Host) << "host" << prefix << QByteArray();
    QTest::newRow("account with a new password")
        << int(CameraChange::Kind::Account) << "abcd" << QList<int>{24, 46, 47, 69} << QByteArray("abcd");
    // User "u", then the PPPoE password "p" in clear: length byte and byte.
    QTest::newRow("PPPoE") << int(CameraChange::Kind::Network) << "pppoe" << QList<int>{24, 46, 48, 50}
                           << QByteArray();
}

void TestZoractlCore::dryRunDump()
{
    QFETCH(int, kind);
    QFETCH(QString, variant);
    QFETCH(QList<int>, masked);
    QFETCH(QByteArray, secret);
    TConfigItem cam = camera(1, 0x3F);
    CameraChange change{CameraChange::Kind(kind)};
    if (variant == "static")
        change.setStatic("127.0.0.60", "255.0.0.0", "127.0.0.1", QString("127.0.0.53"));
    else if (variant == "host")
        change.setHost("door", std::nullopt);
    else if (variant == "pppoe")
        change.setPppoe("u", "", "1492", std::nullopt, std::nullopt);
    else
        change.setAccount(true, variant.isEmpty() ? std::nullopt : std::optional<QString>(variant));
    const QByteArray bytes = change.build(cam, "2", kSources).command.bytes;
    QVERIFY(bytes.size() >= masked.last());

    QStringList expected;
    qsizetype at = 0;
    for (qsizetype i = 0; i < masked.size(); i += 2) {
        expected << QString::fromLatin1(bytes.mid(at, masked[i] - at).toHex(' ')) << "<credentials>";
        at = masked[i + 1];
    }
    if (at < bytes.size())
        expected << QString::fromLatin1(bytes.mid(at).toHex(' '));
    const QString text = CommandDump::text(bytes);
    QCOMPARE(text, expected.join(' '));
    // Nothing printed unscrambles to a password.
    QByteArray shown;
    for (const QString &token : text.split(' ')) {
        if (token != "<credentials>")
            shown += QByteArray::fromHex(token.toLatin1());
    }
    for (qsizetype i = 0; i + kCredentialBlockSize <= shown.size(); ++i) {
        CredentialBlock block;
        std::copy_n(shown.constData() + i, kCredentialBlockSize, reinterpret_cast<char *>(block.data()));
        const QByteArray recovered = UnscrambleCredential(block).text();
        QVERIFY(recovered != "pass");
        QVERIFY(secret.isEmpty() || recovered != secret);
    }
}

// A dry run goes on past a step the camera's checks refuse, so that it shows every step.
void TestZoractlCore::dryRunShowsEveryStep()
{
    CameraNetwork network(loopbackOptions());
    network.endpoint().handleDatagram(reply(1, 0x0C), QHostAddress("127.0.0.55"));
    QCOMPARE(network.list().count(), 1);
    BatchTask task{network.registry().record(network.list().row(0).record).macText(), {"root", "pass", {}, true}, {}};
    BatchStep host;
    host.name = "host";
    host.change.setHost("door 1", std::nullopt);
    BatchStep address;
    address.name = "network";
    address.change = CameraChange(CameraChange::Kind::Network);
    address.change.setStatic("127.0.0.60", "255.0.0.0", "127.0.0.1", std::nullopt);
    task.steps << host << address;

    BatchRunner runner(network);
    runner.setDryRun(true);
    QStringList seen;
    QObject::connect(&runner, &BatchRunner::stepEnded, &runner,
                     [&seen](int, const QString &step, const QString &result) { seen << step + ' ' + result; });
    QObject::connect(&runner, &BatchRunner::commandBuilt, &runner,
                     [&seen](int, const QString &step) { seen << step + " built"; });
    int sent = 0;
    QObject::connect(&network.endpoint(), &UdpEndpoint::datagramSent, &runner, [&sent] { ++sent; });
    const QList<BatchResult> results = runner.run({task});
    QCOMPARE(seen, QStringList({"host refused", "network built", "network would send"}));
    QCOMPARE(results.first().verdict, QString("refused value"));
    QCOMPARE(results.first().status, 2);
    QCOMPARE(sent, 0);
}

QTEST_GUILESS_MAIN(TestZoractlCore)
#include "tst_site_core.moc"

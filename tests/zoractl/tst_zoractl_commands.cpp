// zoractl's commands without the process: the argument rules, the console and the
// statuses for trouble on this computer.
#include "base/send_guard.h"
#include "base/shared_routines.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/camera_record_format.h"
#include "zoractl/arguments.h"
#include "zoractl/command_context.h"
#include "zoractl/command_table.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"
#include "zoractl/option_values.h"
#include "test_support.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>
#include <QUdpSocket>

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void argumentsJudgedBeforeAnyScan_data();
    void argumentsJudgedBeforeAnyScan();
    void statusLineOnlyOnATerminal();
    void typedHosts_data();
    void typedHosts();
    void cameraTextPrintedSafely_data();
    void cameraTextPrintedSafely();
    void localPortInUse();
    void timeoutsKeptToTheMillisecond_data();
    void timeoutsKeptToTheMillisecond();
};

void TestShell::argumentsJudgedBeforeAnyScan_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString mac = "00:0A:1B:2C:3D:4E";
    const QStringList login = {"--user", "root"};
    QTest::newRow("address out of range")
        << QStringList{"set-network", mac, "--static", "127.0.0.300", "255.0.0.0", "127.0.0.1"} + login
        << 2 << "IP 127.0.0.300 is not an IPv4 address";
    QTest::newRow("mask not an address")
        << QStringList{"set-network", mac, "--static", "127.0.0.3", "255.0", "127.0.0.1"} + login
        << 2 << "MASK 255.0 is not an IPv4 address";
    QTest::newRow("--static short of values, an option next")
        << QStringList{"set-network", mac, "--static", "127.0.0.3", "--user", "root"} << 2
        << "--static needs 3 to 4 values";
    QTest::newRow("two network types")
        << QStringList{"set-network", mac, "--dhcp", "--static", "127.0.0.3", "255.0.0.0", "127.0.0.1"} + login
        << 2 << "only one network type may be given";
    QTest::newRow("no network type") << QStringList{"set-network", mac} + login << 2
                                     << "needs one of --dhcp, --static or --pppoe";
    QTest::newRow("not a MAC") << QStringList{"set-hostname", "00:0A", "x"} + login << 2
                               << "00:0A is not a MAC address";
    QTest::newRow("parallel out of range")
        << QStringList{"set-hostname", mac, "x", "--parallel", "0"} + login << 2
        << "--parallel: 0 is not a number";
    QTest::newRow("no user") << QStringList{"set-hostname", mac, "x"} << 2 << "";
    for (const char *bad : {"nan", "-nan", "inf", "-1", "1e400"})
        QTest::newRow(qPrintable(QString("timeout %1").arg(bad)))
            << QStringList{"scan", "--timeout", bad} << 2 << "is not a number of seconds";
    QTest::newRow("plan file missing") << QStringList{"plan check", "/nonexistent/plan.csv"} << 2
                                       << "plan.csv";
    // The line break pins the end of each message.
    QTest::newRow("config set, no such field") << QStringList{"config set", mac, "stream.nonsense=1"} + login
                                               << 2 << "no field stream.nonsense (see zoractl config fields)\n";
    QTest::newRow("config fields, no such page") << QStringList{"config fields", "nopage"} << 2 << "audio)\n";
    QTest::newRow("config backup, no camera named") << QStringList{"config backup", "--out", "/nonexistent"}
                                                    << 2 << "(one of them)\n";
    QTest::newRow("--remote empty") << QStringList{"set-hostname", mac, "x", "--remote", ""} + login << 2
                                    << "--remote is empty; expected the camera's IPv4 address";
    QTest::newRow("search-remote empty") << QStringList{"search-remote", ""} << 2
                                         << "the address is empty; expected the camera's IPv4 address";
}

void TestShell::argumentsJudgedBeforeAnyScan()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    const std::optional<CommandSyntax> syntax = CommandTable::find(args.takeFirst());
    QVERIFY(syntax);
    QBuffer out, err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Console console(out, err, false);
    AppOptions options;
    options.broadcast = QHostAddress("127.255.255.255");
    options.cameraPort = 9;
    CameraNetwork network(options);
    CommandContext context{network, console, options};
    QSignalSpy sent(&network.endpoint(), &UdpEndpoint::datagramSent);
    QString error;
    int got = ExitUsage;
    if (const auto parsed = Arguments::parse(*syntax, args, &error))
        got = CommandTable::run(context, *syntax, *parsed);
    else
        err.write(error.toUtf8());
    QCOMPARE(got, status);
    QVERIFY2(QString::fromUtf8(err.data()).contains(message), err.data().constData());
    QCOMPARE(sent.count(), 0);
}

void TestShell::statusLineOnlyOnATerminal()
{
    for (const bool terminal : {false, true}) {
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        Console console(out, err, terminal);
        console.status("3/50 done, 8 in flight, 0 failed");
        console.status("cam 1 40%\ncam 2 10%");
        console.out("result");
        QCOMPARE(out.data(), QByteArray("result\n"));
        // Each status drawn over the last (two lines: from the first one's start), and
        // wiped before the result, so a terminal shows no stale status.
        QCOMPARE(err.data(), terminal ? QByteArray("\r\x1b[J3/50 done, 8 in flight, 0 failed"
                                                   "\r\x1b[Jcam 1 40%\ncam 2 10%\r\x1b[1A\x1b[J")
                                      : QByteArray());
    }
}

void TestShell::typedHosts_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("address");  // a dotted decimal address
    QTest::addColumn<QString>("refusal"); // under ZORA_LOOPBACK_ONLY=1
    QTest::newRow("address") << "127.0.0.30" << true << "";
    QTest::newRow("zero") << "127.0.0.0" << true << "";
    QTest::newRow("octal") << "127.0.0.030" << false << "not an address";
    QTest::newRow("hex") << "0x7f.0.0.30" << false << "not an address";
    QTest::newRow("short") << "127.1" << false << "not an address";
    QTest::newRow("one number") << "2130706433" << false << "not an address";
    QTest::newRow("too large") << "127.0.0.256" << false << "not an address";
    QTest::newRow("trailing dot") << "127.0.0.1." << false << "not an address";
    QTest::newRow("localhost") << "localhost" << false << "";
    QTest::newRow("a name") << "camera.example" << false << "Refused to look up camera.example";
}

void TestShell::typedHosts()
{
    QFETCH(QString, host);
    QFETCH(bool, address);
    QFETCH(QString, refusal);
    QCOMPARE(OptionValues::isDottedIPv4(host), address);
    bool ok = false;
    InetAddr(host, &ok);
    QCOMPARE(ok, address);
    qputenv("ZORA_LOOPBACK_ONLY", "1");
    const QString why = SendGuard::hostRefusal(host);
    QCOMPARE(why.isEmpty(), refusal.isEmpty());
    QVERIFY2(why.contains(refusal), qPrintable(why));
    // Nothing leaves for a refused host, not even a name lookup.
    if (!refusal.isEmpty()) {
        UdpEndpoint endpoint;
        endpoint.setLocalPort(0);
        QString error;
        QVERIFY(!endpoint.send(host, 9, "x", &error));
        QVERIFY2(error.contains(refusal), qPrintable(error));
    }
}

void TestShell::cameraTextPrintedSafely_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("csv");
    QTest::newRow("line feed fakes a camera") << QByteArray("cam\nL80\t00:0A:1B:00:00:99")
                                               << "cam\\x0aL80\\x0900:0A:1B:00:00:99"
                                               << "\"cam\nL80\\x0900:0A:1B:00:00:99\"";
    QTest::newRow("terminal escape") << QByteArray("cam\x1b[2J") << "cam\\x1b[2J" << "cam\\x1b[2J";
    QTest::newRow("C1 control") << QByteArray("cam\x9b" "31m") << "cam\\x9b31m" << "cam\\x9b31m";
    QTest::newRow("NUL") << QByteArray("ab\0cd", 5) << "ab\\x00cd" << "ab\\x00cd";
    QTest::newRow("quote and comma") << QByteArray("a,\"b\"") << "a,\"b\"" << "\"a,\"\"b\"\"\"";
    QTest::newRow("8-bit text kept") << QByteArray("caf\xe9") << QString::fromLatin1("caf\xe9")
                                     << QString::fromLatin1("caf\xe9");
    QTest::newRow("backslash, an escape look-alike") << QByteArray("cam\\x0a") << "cam\\x5cx0a" << "cam\\x0a";
}

void TestShell::cameraTextPrintedSafely()
{
    QFETCH(QByteArray, host);
    QFETCH(QString, plain);
    QFETCH(QString, csv);
    TConfigItem camera;
    camera.HostName = host;
    camera.Address = "127.0.0.5";
    const QStringList columns = CameraRecordFormat::textLine(camera).split('\t');
    QCOMPARE(columns.size(), 4);
    QCOMPARE(columns.last(), plain);
    QVERIFY(!CameraRecordFormat::textLine(camera).contains('\n'));
    QCOMPARE(CameraRecordFormat::csvField(camera.hostNameText()), csv);
}

void TestShell::localPortInUse()
{
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0));
    AppOptions options;
    options.broadcast = QHostAddress("127.255.255.255");
    options.localPort = holder.localPort();
    QBuffer out, err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Console console(out, err, false);
    CameraNetwork network(options);
    CommandContext context{network, console, options};
    const auto syntax = CommandTable::find("scan");
    const auto parsed = Arguments::parse(*syntax, {}, nullptr);
    QCOMPARE(CommandTable::run(context, *syntax, *parsed), int(ExitLocal));
    const QString text = QString::fromUtf8(err.data());
    QVERIFY2(text.contains(QString::number(holder.localPort())) && text.contains("--local-port"),
             qPrintable(text));
}

void TestShell::timeoutsKeptToTheMillisecond_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("scan") << QStringList{"scan"};
    QTest::newRow("set-hostname, its camera missing")
        << QStringList{"set-hostname", "00:0A:1B:2C:3D:4E", "x", "--user", "root"};
    QTest::newRow("search-remote") << QStringList{"search-remote", "127.0.0.1"};
}

void TestShell::timeoutsKeptToTheMillisecond()
{
    QFETCH(QStringList, args);
    QUdpSocket camera; // takes the requests, never answers
    QVERIFY(camera.bind(QHostAddress::LocalHost, 0));
    QTemporaryFile password;
    QVERIFY(password.open());
    password.write("pass");
    password.flush();
    if (args.contains("--user"))
        args << "--password-file" << password.fileName();
    // A coarse timer may end up to 5 % early, on a whole second of the monotonic clock:
    // the time asked for ends 50 ms past one, where such a timer would end instead.
    const qint64 ms = 2000 + (1050 - QDeadlineTimer::current().deadline() % 1000) % 1000;
    args << "--timeout" << QString::number(ms / 1000.0, 'f', 3);

    const QString command = args.takeFirst();
    const std::optional<CommandSyntax> syntax = CommandTable::find(command);
    QVERIFY(syntax);
    const auto parsed = Arguments::parse(*syntax, args, nullptr);
    QVERIFY(parsed);
    QBuffer out, err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Console console(out, err, false);
    AppOptions options;
    options.broadcast = QHostAddress("127.255.255.255");
    options.cameraPort = camera.localPort();
    options.localPort = 0;
    CameraNetwork network(options);
    CommandContext context{network, console, options};
    QElapsedTimer clock;
    clock.start();
    const int status = CommandTable::run(context, *syntax, *parsed);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(status, command == "scan" ? int(ExitOk) : int(ExitError));
    QVERIFY2(elapsed >= ms, qPrintable(QString("%1 ms of %2; %3").arg(elapsed).arg(ms).arg(err.data())));
}

QTEST_GUILESS_MAIN(TestShell)
#include "tst_zoractl_commands.moc"

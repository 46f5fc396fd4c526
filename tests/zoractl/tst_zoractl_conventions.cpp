// zoractl as scripts and terminals meet it: signals end every command at once, files may
// be pipes or standard input, typed addresses are strict, options follow the usual
// conventions, and a terminal that cannot draw gets no escapes.
#include "camsim_process.h"
#include "zoractl_helper.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QUdpSocket>

#include <csignal>

using Environment = QHash<QString, QString>;

namespace {

const QString kMac = QStringLiteral("00:0A:1B:2C:3D:81");
// No camera lives here: a registration or remote search to it waits for ever.
const QString kSilentAddress = QStringLiteral("127.0.0.99");

QJsonObject camera(const QString &reply = "success")
{
    return {{"id", "a"}, {"mac", kMac}, {"ip", "127.0.0.81"}, {"model", 1}, {"model_name", "L60"},
            {"host_name", "lobby"}, {"reply", reply}, {"restart_delay", 0.3}};
}

QString hostOf(CamSimProcess &sim)
{
    return sim.get("a").value("state").toObject().value("settings").toObject().value("host_name").toString();
}

bool discoveryLogged(CamSimProcess &sim)
{
    for (const QJsonValue &v : sim.log("a")) {
        if (v.toObject().value("decoded").toObject().value("code").toString() == "discovery")
            return true;
    }
    return false;
}

// One word for sh -c: the test's paths have no quote in them.
QString quoted(const QStringList &words)
{
    QStringList out;
    for (const QString &w : words)
        out << "'" + w + "'";
    return out.join(' ');
}

// zoractl on a terminal of its own: script(1) gives it a pseudo-terminal for standard
// input, output and error, and copies what it writes to our pipe.
void startOnTerminal(QProcess &p, const Tool &tool, const QStringList &args,
                     const QHash<QString, QString> &env = {})
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove("NO_COLOR");
    e.insert("TERM", "xterm");
    e.insert("ZORA_LOOPBACK_ONLY", "1");
    for (auto it = env.begin(); it != env.end(); ++it)
        e.insert(it.key(), it.value());
    p.setProcessEnvironment(e);
    p.start("script", {"-qefc", "exec " + quoted(tool.commandLine(args)), "/dev/null"});
}

} // namespace

class TestZoractlConventions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signalEndsAtOnce_data();
    void signalEndsAtOnce();
    void optionConventions_data();
    void optionConventions();
    void inputFromPipes_data();
    void inputFromPipes();
    void terminalEscapes_data();
    void terminalEscapes();
};

void TestZoractlConventions::initTestCase()
{
    if (QStandardPaths::findExecutable("script").isEmpty())
        QSKIP("script(1) (util-linux) is missing");
}

void TestZoractlConventions::signalEndsAtOnce_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reply");      // the camera's answer to commands
    QTest::addColumn<QString>("waitFor");    // "discovery", "command", "silent address"
    QTest::addColumn<int>("signal");         // 0: Ctrl-C typed on the terminal
    QTest::addColumn<int>("status");
    const QStringList login = {"--user", "root", "--password-file", "<password>"};
    QTest::newRow("scan") << QStringList{"scan", "--timeout", "600"} << "success" << "discovery"
                          << int(SIGINT) << 130;
    QTest::newRow("plan check") << QStringList{"plan", "check", "<plan>", "--timeout", "600"} << "success"
                                << "discovery" << int(SIGINT) << 130;
    QTest::newRow("register, nobody there")
        << QStringList{"register", kSilentAddress, "--port", "<silent port>"} << "success" << "silent address" << int(SIGINT) << 130;
    QTest::newRow("search-remote, nobody there")
        << QStringList{"search-remote", kSilentAddress, "--port", "<silent port>", "--timeout", "600"} << "success" << "silent address"
        << int(SIGINT) << 130;
    QTest::newRow("set-hostname, camera silent")
        << QStringList{"set-hostname", kMac, "renamed"} + login << "none" << "command" << int(SIGINT) << 130;
    QTest::newRow("set-hostname, camera silent, SIGTERM")
        << QStringList{"set-hostname", kMac, "renamed"} + login << "none" << "command" << int(SIGTERM) << 143;
    QTest::newRow("reset through --remote, camera silent, SIGHUP")
        << QStringList{"reset", kMac, "--remote", "127.0.0.81"} + login << "none" << "command" << int(SIGHUP)
        << 129;
    QTest::newRow("set-hostname --wait, restart never ends")
        << QStringList{"set-hostname", kMac, "renamed", "--wait"} + login << "success" << "command"
        << int(SIGINT) << 130;
    QTest::newRow("set-hostname, Ctrl-C typed on the terminal")
        << QStringList{"set-hostname", kMac, "renamed"} + login << "none" << "command" << 0 << 130;
}

// Each run would wait 20 s or more without the signal: it must end within a few seconds
// of it, with the status a shell gives a process that signal ended.
void TestZoractlConventions::signalEndsAtOnce()
{
    QFETCH(QStringList, args);
    QFETCH(QString, reply);
    QFETCH(QString, waitFor);
    QFETCH(int, signal);
    QFETCH(int, status);
    CamSimProcess sim;
    QJsonObject cam = camera(reply);
    // The camera never comes back from its restart while --wait follows it.
    cam.insert("restart_delay", 600);
    QVERIFY2(sim.start(QJsonArray{cam}), qPrintable(sim.errorString()));
    Tool tool(sim);
    // A camera the plan names and no scan finds: the check waits its whole timeout.
    tool.write("plan.csv", "mac,host\n00:0A:1B:2C:3D:99,door\n");
    QUdpSocket silent;
    QVERIFY(silent.bind(QHostAddress(kSilentAddress), CamSimProcess::freeUdpPort()));
    args.replaceInStrings("<password>", tool.passwordFile())
        .replaceInStrings("<plan>", tool.path("plan.csv"))
        .replaceInStrings("<silent port>", QString::number(silent.localPort()));

    QProcess p;
    if (signal == 0)
        startOnTerminal(p, tool, args);
    else
        tool.start(p, args);
    QVERIFY(p.waitForStarted());
    if (waitFor == "discovery")
        QTRY_VERIFY_WITH_TIMEOUT(discoveryLogged(sim), 20000);
    else if (waitFor == "command")
        QTRY_VERIFY_WITH_TIMEOUT(commandsLogged(sim, "a") >= 1, 20000);
    else
        QTRY_VERIFY_WITH_TIMEOUT(silent.hasPendingDatagrams(), 20000);
    if (signal == 0)
        p.write("\x03");
    else
        ::kill(pid_t(p.processId()), signal);
    const bool ended = p.waitForFinished(8000);
    if (!ended) {
        p.kill();
        p.waitForFinished();
    }
    QVERIFY2(ended, "still running after the signal");
    QCOMPARE(shellStatus(p), status);
    if (args.first() == "set-hostname")
        QCOMPARE(hostOf(sim), reply == "none" ? QString("lobby") : QString("renamed"));
}

void TestZoractlConventions::optionConventions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");       // in standard output or error
    QTest::addColumn<QString>("host");       // the camera's host name afterwards
    QTest::newRow("--name=value") << QStringList{"set-hostname", kMac, "renamed", "--user=root",
                                                 "--password-file=<password>", "--timeout=2"}
                                  << 0 << "Camera is now under SYSTEM REBOOT" << "renamed";
    QTest::newRow("a value after = may start with dashes")
        << QStringList{"set-hostname", kMac, "renamed", "--user=--root", "--password-file", "<password>"} << 4
        << "Invalid Athentication Information" << "lobby";
    QTest::newRow("a switch takes no value") << QStringList{"scan", "--json=yes"} << 2 << "--json takes no value"
                                             << "lobby";
    QTest::newRow("-- makes options of the rest positionals")
        << QStringList{"set-hostname", "--", kMac, "renamed", "--user", "root"} << 2
        << "usage: zoractl set-hostname" << "lobby";
    QTest::newRow("-h is --help") << QStringList{"scan", "-h"} << 0 << "Usage: zoractl scan" << "lobby";
    QTest::newRow("-V is --version") << QStringList{"-V"} << 0 << "zoractl " ZORA_VERSION << "lobby";
    QTest::newRow("a group's -h lists its commands") << QStringList{"config", "-h"} << 0
                                                     << "zoractl config backup" << "lobby";
    QTest::newRow("a group alone") << QStringList{"plan"} << 2 << "plan: a command is missing" << "lobby";
    QTest::newRow("a group's unknown command") << QStringList{"config", "bogus"} << 2
                                               << "unknown command config bogus" << "lobby";
    QTest::newRow("--broadcast: short form") << QStringList{"--broadcast", "127.1", "scan"} << 2
                                             << "--broadcast: 127.1 is not an IPv4 address" << "lobby";
    QTest::newRow("--broadcast: hex") << QStringList{"--broadcast=0x7f.255.255.255", "scan"} << 2
                                      << "is not an IPv4 address" << "lobby";
    QTest::newRow("--broadcast: leading zero") << QStringList{"--broadcast", "127.255.255.0255", "scan"} << 2
                                               << "is not an IPv4 address" << "lobby";
    QTest::newRow("--broadcast: trailing blank") << QStringList{"--broadcast", "127.255.255.255 ", "scan"} << 2
                                                 << "is not an IPv4 address" << "lobby";
    QTest::newRow("register: octal-looking address") << QStringList{"register", "127.0.0.021"} << 2
                                                      << "127.0.0.021 is not an address" << "lobby";
    QTest::newRow("--remote: octal-looking address")
        << QStringList{"set-hostname", kMac, "renamed", "--remote", "127.0.0.081", "--user", "root",
                       "--password-file", "<password>"}
        << 2 << "127.0.0.081 is not an address" << "lobby";
}

void TestZoractlConventions::optionConventions()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, says);
    QFETCH(QString, host);
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{camera()}), qPrintable(sim.errorString()));
    Tool tool(sim);
    args.replaceInStrings("<password>", tool.passwordFile());
    const Run r = tool.run(args);
    QVERIFY2(r.status == status, qPrintable(QString::number(r.status) + ": " + r.out + r.err));
    QVERIFY2(QString(r.out + r.err).contains(says), qPrintable(r.out + r.err));
    QCOMPARE(hostOf(sim), host);
    if (status == 2)
        QCOMPARE(commandsLogged(sim, "a"), 0);
}

void TestZoractlConventions::inputFromPipes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    const QByteArray list = "# the lobby\n" + kMac.toLatin1() + " lobby\n";
    QTest::newRow("--cameras -") << QStringList{"set-hostname", "--cameras", "-", "renamed", "--user", "root",
                                                "--password-file", "<password>"}
                                 << list << 0 << "1 of 1 cameras changed";
    QTest::newRow("--cameras /dev/stdin") << QStringList{"set-hostname", "--cameras", "/dev/stdin", "renamed",
                                                         "--user", "root", "--password-file", "<password>"}
                                          << list << 0 << "1 of 1 cameras changed";
    QTest::newRow("--cameras -, nothing listed")
        << QStringList{"set-hostname", "--cameras", "-", "renamed", "--user", "root", "--password-file",
                       "<password>"}
        << QByteArray("# none\n") << 2 << "standard input lists no camera";
    QTest::newRow("--password-file -") << QStringList{"set-hostname", kMac, "renamed", "--user", "root",
                                                      "--password-file", "-"}
                                       << QByteArray("pass\n") << 0 << "Camera is now under SYSTEM REBOOT";
    QTest::newRow("--password-file -, past the bound")
        << QStringList{"set-hostname", kMac, "renamed", "--user", "root", "--password-file", "-"}
        << QByteArray(5000, 'p') << 2 << "standard input is longer than 4096 bytes";
    QTest::newRow("list and password both from -")
        << QStringList{"set-hostname", "--cameras", "-", "renamed", "--user", "root", "--password-file", "-"}
        << list << 2 << "cannot both read standard input";
    QTest::newRow("fields and password both from -")
        << QStringList{"config", "set", kMac, "--fields", "-", "--user", "root", "--password-file", "-"}
        << QByteArray("web.port=80\n") << 2 << "cannot both read standard input";
    QTest::newRow("plan check -") << QStringList{"plan", "check", "-", "--timeout", "1"}
                                  << QByteArray("mac,host\n" + kMac.toLatin1() + ",lobby\n") << 0 << kMac;
    QTest::newRow("plan check -, broken line")
        << QStringList{"plan", "check", "-", "--timeout", "1"} << QByteArray("mac,host\nnot-a-mac,x\n") << 2
        << "standard input:2";
}

void TestZoractlConventions::inputFromPipes()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, says);
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{camera()}), qPrintable(sim.errorString()));
    Tool tool(sim);
    args.replaceInStrings("<password>", tool.passwordFile());
    const Run r = tool.runWithInput(args, input);
    QVERIFY2(r.status == status, qPrintable(QString::number(r.status) + ": " + r.out + r.err));
    QVERIFY2(QString(r.out + r.err).contains(says), qPrintable(r.out + r.err));
    if (args.first() == "set-hostname")
        QCOMPARE(hostOf(sim), status == 0 ? QString("renamed") : QString("lobby"));
}

void TestZoractlConventions::terminalEscapes_data()
{
    QTest::addColumn<Environment>("env");
    QTest::addColumn<bool>("escapes");
    QTest::newRow("xterm draws its status line") << Environment{} << true;
    QTest::newRow("TERM=dumb") << Environment{{"TERM", "dumb"}} << false;
    QTest::newRow("NO_COLOR") << Environment{{"NO_COLOR", "1"}} << false;
    QTest::newRow("NO_COLOR empty (does not count)") << Environment{{"NO_COLOR", ""}} << true;
}

void TestZoractlConventions::terminalEscapes()
{
    QFETCH(Environment, env);
    QFETCH(bool, escapes);
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{camera()}), qPrintable(sim.errorString()));
    Tool tool(sim);
    QProcess p;
    startOnTerminal(p, tool, {"scan", "--timeout", "0.5"}, env);
    QVERIFY(p.waitForStarted());
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(shellStatus(p), 0);
    const QByteArray seen = p.readAllStandardOutput();
    QVERIFY2(seen.contains(kMac.toLatin1()), seen.constData());
    QCOMPARE(seen.contains('\x1b'), escapes);
}

QTEST_GUILESS_MAIN(TestZoractlConventions)
#include "tst_zoractl_conventions.moc"

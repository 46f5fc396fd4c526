// zoractl end to end: the real binary against the simulated fleet on loopback.
#include "camsim_process.h"
#include "flood_sender.h"
#include "zoractl_helper.h"

#include "protocol/discovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kMacA = QStringLiteral("00:0A:1B:2C:3D:71");
const QString kMacB = QStringLiteral("00:0A:1B:2C:3D:72");

QJsonObject fullCamera()
{
    return {{"id", "a"}, {"mac", kMacA}, {"ip", "127.0.0.71"}, {"model", 1},
            {"model_name", "L60"}, {"host_name", "lobby"}, {"domain_name", "site.lan"},
            {"dns", "127.0.0.53"}, {"guest", true},
            {"tags", QJsonObject{{"2", 1}, {"3", 40}, {"4", 2}}},
            {"pppoe", QJsonObject{{"user", "isp"}, {"password", "se,\"cret"}, {"service", "svc"},
                                  {"mtu", 1492}, {"dns_mode", 1}, {"dns", "127.0.0.9"}}},
            {"restart_delay", 0.3}};
}

QJsonObject plainCamera(const QString &id, const QString &mac, const QString &ip)
{
    return {{"id", id}, {"mac", mac}, {"ip", ip}, {"model", 1}, {"model_name", "L60"},
            {"host_name", QString("cam-" + id)}, {"restart_delay", 0.3}};
}

} // namespace

class TestZoractl : public QObject
{
    Q_OBJECT

private slots:
    void scanFormats_data();
    void scanFormats();
    void staticAddressFollowedThroughRestart();
    void outcomesHaveTheirOwnStatus_data();
    void outcomesHaveTheirOwnStatus();
    void cameraThatNeverAnswers();
    void batchOfFiveWithOneFailing();
    void credentialSources_data();
    void credentialSources();
    void refusedValuesSendNothing_data();
    void refusedValuesSendNothing();
    void remoteCameraByRegistration();
    void spoofedMacSendsNothing();
    void scanThroughAFlood();
};

void TestZoractl::scanFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("secrets");
    QTest::newRow("text") << "" << false;
    QTest::newRow("json") << "--json" << false;
    QTest::newRow("json with secrets") << "--json" << true;
    QTest::newRow("csv") << "--csv" << false;
    QTest::newRow("csv with secrets") << "--csv" << true;
}

void TestZoractl::scanFormats()
{
    QFETCH(QString, format);
    QFETCH(bool, secrets);
    CamSimProcess sim;
    QJsonObject minimal{{"id", "b"}, {"mac", kMacB}, {"ip", "127.0.0.72"}, {"model", 0},
                        {"model_name", "L80"}, {"host_name", ""}, {"version", 1}};
    QVERIFY2(sim.start(QJsonArray{fullCamera(), minimal}), qPrintable(sim.errorString()));
    Tool tool(sim);
    QStringList args = {"scan", "--timeout", "1"};
    if (!format.isEmpty())
        args << format;
    if (secrets)
        args << "--show-secrets";
    const Run r = tool.run(args);
    QCOMPARE(r.status, 0);

    if (format.isEmpty()) {
        QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines, (QStringList{"L60\t" + kMacA + "\t127.0.0.71\tlobby",
                                     "L80\t" + kMacB + "\t127.0.0.72\t"}));
        return;
    }
    if (format == "--json") {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(doc.array().size(), 2);
        QJsonObject a, b;
        for (const QJsonValue &v : doc.array())
            (v.toObject().value("mac").toString() == kMacA ? a : b) = v.toObject();
        QCOMPARE(a.value("model_code").toInt(), 1);
        QCOMPARE(a.value("model_name").toString(), QString("L60"));
        QCOMPARE(a.value("ip").toString(), QString("127.0.0.71"));
        QCOMPARE(a.value("host_name").toString(), QString("lobby"));
        QCOMPARE(a.value("domain_name").toString(), QString("site.lan"));
        QCOMPARE(a.value("network_type").toString(), QString("static"));
        QCOMPARE(a.value("flags").toInt(), 0x3F);
        const QJsonObject address = a.value("address").toObject();
        QCOMPARE(address.value("ip").toString(), QString("127.0.0.71"));
        QCOMPARE(address.value("mask").toString(), QString("255.0.0.0"));
        QCOMPARE(address.value("gateway").toString(), QString("127.0.0.1"));
        QCOMPARE(address.value("dns").toString(), QString("127.0.0.53"));
        const QJsonObject pppoe = a.value("pppoe").toObject();
        QCOMPARE(pppoe.value("user").toString(), QString("isp"));
        QCOMPARE(pppoe.value("service").toString(), QString("svc"));
        QCOMPARE(pppoe.value("mtu").toInt(), 1492);
        QCOMPARE(pppoe.value("dns_mode").toString(), QString("manual"));
        QCOMPARE(pppoe.value("dns").toString(), QString("127.0.0.9"));
        QCOMPARE(pppoe.contains("password"), secrets);
        if (secrets)
            QCOMPARE(pppoe.value("password").toString(), QString("se,\"cret"));
        QCOMPARE(a.value("guest").toBool(), true);
        QCOMPARE(a.value("audio").toBool(), true);
        QCOMPARE(a.value("motion_sensitivity").toInt(), 40);
        QCOMPARE(a.value("output_source").toString(), QString("input"));
        QCOMPARE(a.value("connection_kind").toString(), QString("local"));
        QCOMPARE(a.value("adapter").toString(), QString("lo"));
        QCOMPARE(a.value("in_subnet").toBool(), true);
        QCOMPARE(a.value("conflicts").toArray().size(), 0);
        // Absent blocks are null, not empty values that look like settings.
        QVERIFY(b.value("domain_name").isNull());
        QVERIFY(b.value("pppoe").isNull());
        QVERIFY(b.value("guest").isNull());
        QVERIFY(b.value("address").toObject().value("dns").isNull());
        QCOMPARE(b.value("host_name").toString(), QString());
        // Tags the reply leaves out are unknown, not off.
        QVERIFY(b.value("audio").isNull());
        QVERIFY(b.value("motion_sensitivity").isNull());
        QVERIFY(b.value("output_source").isNull());
        return;
    }
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    const QStringList header = lines.first().split(',');
    QCOMPARE(header.contains("pppoe_password"), secrets);
    QCOMPARE(header.first(), QString("model_code"));
    QCOMPARE(header.last(), QString("adapter"));
    const QString lineA = lines.at(1).contains(kMacA) ? lines.at(1) : lines.at(2);
    const QString lineB = lines.at(1).contains(kMacA) ? lines.at(2) : lines.at(1);
    QVERIFY(lineA.startsWith("1,L60," + kMacA + ",127.0.0.71,lobby,site.lan,static,63,127.0.0.71,"
                             "255.0.0.0,127.0.0.1,127.0.0.53,isp,svc,1492,manual,127.0.0.9,"));
    // The password's comma and quote are quoted as CSV asks, and it is there only on request.
    QCOMPARE(lineA.contains("\"se,\"\"cret\""), secrets);
    QVERIFY(lineA.endsWith(",true,true,40,input,local,lo"));
    QCOMPARE(lineB.count(',') + 1, header.size());
    QVERIFY2(lineB.endsWith(",,,,,local,lo"), qPrintable(lineB));
}

void TestZoractl::staticAddressFollowedThroughRestart()
{
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{fullCamera()}), qPrintable(sim.errorString()));
    Tool tool(sim);
    const Run r = tool.run(QStringList{"set-network", kMacA, "--static", "127.0.0.81",
                                       "255.255.0.0", "127.0.0.1", "127.0.0.54", "--wait"}
                           + tool.login());
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.contains("Camera is now under SYSTEM REBOOT") || r.out.contains("back"),
             qPrintable(r.out));
    QVERIFY2(r.out.contains("back after the restart at 127.0.0.81"), qPrintable(r.out + r.err));
    const QJsonObject state = sim.get("a").value("state").toObject();
    const QJsonObject settings = state.value("settings").toObject();
    QCOMPARE(settings.value("ip").toString(), QString("127.0.0.81"));
    QCOMPARE(settings.value("mask").toString(), QString("255.255.0.0"));
    QCOMPARE(settings.value("dns").toString(), QString("127.0.0.54"));
    QCOMPARE(commandsLogged(sim, "a"), 1);
}

void TestZoractl::outcomesHaveTheirOwnStatus_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("wording");
    QTest::newRow("success") << "success" << "pass" << 0 << "Camera is now under SYSTEM REBOOT";
    QTest::newRow("refused") << "fail" << "pass" << 3 << "FAIL on Appling changes! Try again....";
    QTest::newRow("wrong password") << "success" << "wrong" << 4
                                    << "Invalid Athentication Information";
    QTest::newRow("mismatch") << "mismatch" << "pass" << 5
                              << "Mismatched type found! Check the all items";
    QTest::newRow("unknown error") << "unknown" << "pass" << 6 << "Unknown Error... Try later...";
}

void TestZoractl::outcomesHaveTheirOwnStatus()
{
    QFETCH(QString, reply);
    QFETCH(QString, password);
    QFETCH(int, status);
    QFETCH(QString, wording);
    CamSimProcess sim;
    QJsonObject cam = fullCamera();
    cam.insert("reply", reply);
    QVERIFY2(sim.start(QJsonArray{cam}), qPrintable(sim.errorString()));
    Tool tool(sim);
    const Run r = tool.run({"set-hostname", kMacA, "renamed", "--user", "root"},
                           {{"ZORA_PASSWORD", password}});
    QCOMPARE(r.status, status);
    QVERIFY2((status == 0 ? r.out : r.err).contains(wording), qPrintable(r.out + r.err));
    const QString host =
        sim.get("a").value("state").toObject().value("settings").toObject().value("host_name").toString();
    QCOMPARE(host, status == 0 ? QString("renamed") : QString("lobby"));
    // One answer ends the resending, whatever it says.
    QCOMPARE(commandsLogged(sim, "a"), 1);
}

void TestZoractl::cameraThatNeverAnswers()
{
    CamSimProcess sim;
    QJsonObject cam = fullCamera();
    cam.insert("reply", "none");
    QVERIFY2(sim.start(QJsonArray{cam}), qPrintable(sim.errorString()));
    Tool tool(sim);
    const Run r = tool.run(QStringList{"reset", kMacA, "--scope", "0"} + tool.login(),
                           {{"ZORACTL_CONFIRM_INTERVAL_MS", "100"}});
    QCOMPARE(r.status, 7);
    QVERIFY2(r.err.contains("Camera does NOT response..."), qPrintable(r.err));
    // Ten sends, then the tool gives up.
    QCOMPARE(commandsLogged(sim, "a"), 10);
}

void TestZoractl::batchOfFiveWithOneFailing()
{
    CamSimProcess sim;
    QJsonArray fleet;
    QStringList macs;
    for (int i = 1; i <= 5; ++i) {
        const QString mac = QString("00:0A:1B:2C:3E:%1").arg(i, 2, 10, QChar('0'));
        QJsonObject cam = plainCamera(QString("c%1").arg(i), mac, QString("127.0.0.%1").arg(90 + i));
        if (i == 3)
            cam.insert("reply", "fail");
        fleet.append(cam);
        macs << mac;
    }
    QVERIFY2(sim.start(fleet), qPrintable(sim.errorString()));
    Tool tool(sim);
    tool.write("cameras", ("# the lobby row\n" + macs.join("\n\n") + "\n").toUtf8());
    const Run r = tool.run(QStringList{"set-misc", "--cameras", tool.path("cameras"),
                                       "--sensitivity", "77", "--output-source", "all"}
                           + tool.login());
    QCOMPARE(r.status, 9);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 7);   // header, five cameras, total
    QVERIFY(lines.first().startsWith("MAC"));
    for (int i = 0; i < 5; ++i) {
        const QString line = lines.at(1 + i);
        QVERIFY2(line.startsWith(macs.at(i)), qPrintable(line));
        QVERIFY2(line.contains(i == 2 ? "refused" : "success"), qPrintable(line));
        const QJsonObject settings = sim.get(QString("c%1").arg(i + 1))
                                         .value("state").toObject().value("settings").toObject();
        const int sensitivity = settings.value("tags").toObject().value("3").toInt();
        QCOMPARE(sensitivity, i == 2 ? 0 : 77);
    }
    QCOMPARE(lines.last(), QString("4 of 5 cameras changed"));
}

void TestZoractl::credentialSources_data()
{
    QTest::addColumn<QByteArray>("file");        // empty: no --password-file
    QTest::addColumn<QString>("environment");    // "-": not set
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("commands");

    QTest::newRow("file with a final line break") << QByteArray("pass\n") << "-" << "root" << 0
                                                  << "" << 1;
    QTest::newRow("file with CR LF") << QByteArray("pass\r\n") << "-" << "root" << 0 << "" << 1;
    QTest::newRow("a second line break is part of it") << QByteArray("pass\n\n") << "-" << "root"
                                                       << 4 << "Invalid Athentication" << 1;
    QTest::newRow("file wins over the environment") << QByteArray("pass") << "wrong" << "root" << 0
                                                    << "" << 1;
    QTest::newRow("environment") << QByteArray() << "pass" << "root" << 0 << "" << 1;
    QTest::newRow("no source and no terminal") << QByteArray() << "-" << "root" << 2
                                               << "no password" << 0;
    QTest::newRow("empty password") << QByteArray() << "" << "root" << 2 << "Password is EMPTY" << 0;
    QTest::newRow("17 characters") << QByteArray("12345678901234567") << "-" << "root" << 2
                                   << "Password is Too long..." << 0;
    QTest::newRow("no user") << QByteArray("pass") << "-" << "" << 2 << "ID is EMPTY" << 0;
    QTest::newRow("8-character user") << QByteArray("pass") << "-" << "rootroot" << 2
                                      << "ID MUST be Shorter than 7" << 0;
}

void TestZoractl::credentialSources()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, environment);
    QFETCH(QString, user);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(int, commands);
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{fullCamera()}), qPrintable(sim.errorString()));
    Tool tool(sim);
    QStringList args = {"set-account", kMacA, "--guest", "off"};
    if (!user.isEmpty())
        args << "--user" << user;
    if (!file.isEmpty()) {
        tool.write("given", file);
        args << "--password-file" << tool.path("given");
    }
    QHash<QString, QString> env;
    if (environment != "-")
        env.insert("ZORA_PASSWORD", environment);
    const Run r = tool.run(args, env);
    QCOMPARE(r.status, status);
    if (!message.isEmpty())
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(commandsLogged(sim, "a"), commands);
}

void TestZoractl::refusedValuesSendNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("invalid address") << QStringList{"set-network", kMacA, "--static", "127.0.0.300",
                                                    "255.0.0.0", "127.0.0.1"}
                                     << "IP 127.0.0.300 is not an IPv4 address";
    QTest::newRow("gateway elsewhere") << QStringList{"set-network", kMacA, "--static", "127.0.0.5",
                                                      "255.255.255.0", "127.0.1.1"}
                                       << "The IP Address and Gateway is on a different network.";
    QTest::newRow("broken mask") << QStringList{"set-network", kMacA, "--static", "127.0.0.5",
                                                "255.0.255.0", "127.0.0.1"}
                                 << "The Subnetmask is Invalid.";
    QTest::newRow("broadcast address of the mask")
        << QStringList{"set-network", kMacA, "--static", "127.255.255.255", "255.0.0.0", "127.0.0.1"}
        << "127.255.255.255 is the broadcast address of the mask 255.0.0.0.";
    QTest::newRow("PPPoE MTU 0") << QStringList{"set-network", kMacA, "--pppoe", "u", "svc", "0"}
                                 << "MTU must be between 68 and 1500";
    QTest::newRow("PPPoE without a user") << QStringList{"set-network", kMacA, "--pppoe", "", "svc",
                                                         "1492"}
                                          << "User ID is required";
    QTest::newRow("host name with a blank") << QStringList{"set-hostname", kMacA, "a b"}
                                            << "Host Name has blanks";
    QTest::newRow("sensitivity not a number") << QStringList{"set-misc", kMacA, "--sensitivity",
                                                             "x"}
                                              << "'x' is not a valid integer value";
    QTest::newRow("sensitivity out of range") << QStringList{"set-misc", kMacA, "--sensitivity",
                                                             "300"}
                                              << "must be 1 to 255";
}

void TestZoractl::refusedValuesSendNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{fullCamera()}), qPrintable(sim.errorString()));
    Tool tool(sim);
    const Run r = tool.run(args + tool.login());
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(commandsLogged(sim, "a"), 0);
}

void TestZoractl::remoteCameraByRegistration()
{
    CamSimProcess sim;
    // Camera a is behind a router: no broadcast reaches it.
    QJsonObject far = fullCamera();
    far.insert("unicast_only", true);
    QVERIFY2(sim.start(QJsonArray{far, plainCamera("b", kMacB, "127.0.0.72")}),
             qPrintable(sim.errorString()));
    Tool tool(sim);
    Run r = tool.run({"scan", "--timeout", "1"});
    QVERIFY2(!r.out.contains(kMacA) && r.out.contains(kMacB), qPrintable(r.out));
    r = tool.run({"register", "127.0.0.71", "--json"});
    QCOMPARE(r.status, 0);
    const QJsonArray listed = QJsonDocument::fromJson(r.out.toUtf8()).array();
    QCOMPARE(listed.size(), 1);
    QCOMPARE(listed.first().toObject().value("mac").toString(), kMacA);
    QCOMPARE(listed.first().toObject().value("connection_kind").toString(), QString("remote"));

    // Unicast with the remote flag, and the countdown's unicast probes bring it back.
    r = tool.run(QStringList{"set-hostname", kMacA, "far", "--remote", "127.0.0.71", "--wait"}
                     + tool.login(),
                 {{"ZORACTL_CLOCK_MS", "50"}});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.contains("back after the restart at 127.0.0.71"), qPrintable(r.out + r.err));
    QJsonObject command;
    for (const QJsonValue &v : sim.log("a")) {
        const QJsonObject d = v.toObject().value("decoded").toObject();
        if (d.value("code").toString() != "discovery" && !d.isEmpty())
            command = v.toObject();
    }
    QCOMPARE(command.value("via").toString(), QString("unicast"));
    QVERIFY(command.value("decoded").toObject().value("remote").toBool());
    QCOMPARE(commandsLogged(sim, "b"), 0);

    // The camera at that address is not the one named.
    r = tool.run(QStringList{"set-hostname", kMacB, "far", "--remote", "127.0.0.71"} + tool.login());
    QCOMPARE(r.status, 1);
    QVERIFY(r.err.contains("is " + kMacA));

    // The remote search asks the address every tick until the camera answers; it keeps
    // the kind discovery gives it.
    const int before = sim.get("a").value("state").toObject().value("requests").toObject()
                           .value("unicast").toInt();
    r = tool.run({"search-remote", "127.0.0.71", "--json"}, {{"ZORACTL_CONFIRM_INTERVAL_MS", "50"}});
    QCOMPARE(r.status, 0);
    const QJsonObject found = QJsonDocument::fromJson(r.out.toUtf8()).array().first().toObject();
    QCOMPARE(found.value("host_name").toString(), QString("far"));
    QCOMPARE(found.value("connection_kind").toString(), QString("local"));
    QCOMPARE(sim.get("a").value("state").toObject().value("requests").toObject()
                 .value("unicast").toInt(), before + 1);
    // Nobody at the address: the search gives up at its time limit.
    r = tool.run({"search-remote", "127.0.0.79", "--timeout", "0.3"},
                 {{"ZORACTL_CONFIRM_INTERVAL_MS", "50"}});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains("did not answer"), qPrintable(r.err));
    r = tool.run({"search-remote", "127.0.0.71", "--port", "70000"});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains("Port must be beteen 1 to 65535"), qPrintable(r.err));
}

void TestZoractl::spoofedMacSendsNothing()
{
    // A second device answers every scan with camera a's MAC: no command and no login
    // goes anywhere until an address is named.
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{plainCamera("a", kMacA, "127.0.0.71"),
                                  plainCamera("spoof", kMacA, "127.0.0.79")}),
             qPrintable(sim.errorString()));
    Tool tool(sim);
    Run r = tool.run(QStringList{"set-hostname", kMacA, "taken"} + tool.login());
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains("answered from 127.0.0.7") && r.err.contains("--remote"), qPrintable(r.err));
    r = tool.run(QStringList{"config", "show", kMacA} + tool.login());
    QVERIFY(r.status != 0);
    QCOMPARE(commandsLogged(sim, "a") + commandsLogged(sim, "spoof"), 0);
    // Named by its address, the camera is reached there and only there.
    r = tool.run(QStringList{"set-hostname", kMacA, "mine", "--remote", "127.0.0.71"} + tool.login());
    QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
    QCOMPARE(commandsLogged(sim, "a"), 1);
    QCOMPARE(commandsLogged(sim, "spoof"), 0);
}

void TestZoractl::scanThroughAFlood()
{
    // While zoractl listens, a host floods its port with noise, replies with ever new
    // MACs and camera a's MAC from another address: the scan ends on time, lists the
    // real camera and at most the list's bound, and says once that the list is full.
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{plainCamera("a", kMacA, "127.0.0.71")}), qPrintable(sim.errorString()));
    Tool tool(sim);
    QProcess p;
    tool.start(p, {"scan", "--timeout", "8"});
    FloodSender::Plan plan;
    plan.noise = 200000;
    plan.distinctMacs = 50000;
    plan.spoofs = 100;
    plan.spoofMac = 0x71;
    plan.spoofFrom = QHostAddress("127.0.0.79");
    FloodSender flood(tool.lastLocalPort(), plan);
    flood.start();
    const Run r = Tool::finish(p, 60000);
    flood.stop();
    flood.finish();
    qInfo("flood: %lld datagrams sent while zoractl listened", flood.sent());
    QCOMPARE(flood.drops(), 0);
    QVERIFY2(r.status == 0, qPrintable(r.err.right(2000)));
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 1 && lines.size() <= Discovery::kMaxRows, qPrintable(QString::number(lines.size())));
    QVERIFY(r.out.contains(kMacA));
    QVERIFY(r.err.count(Discovery::listFullText()) <= 1);
    // Thousands of MACs from a few addresses are a line an address, not a line a pair.
    QVERIFY2(r.err.count('\n') < 500, qPrintable(r.err.left(2000)));
}

QTEST_GUILESS_MAIN(TestZoractl)
#include "tst_zoractl.moc"

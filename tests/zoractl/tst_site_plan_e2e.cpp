// A site network plan against a simulated site: the check, a dry run, the parallel apply,
// an interrupted apply resumed from its log, host names the check refuses, a camera left
// part-way and dry runs that keep the password to themselves.
#include "camsim_process.h"
#include "zoractl_helper.h"

#include "protoconfig/credentials.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

namespace {

QString macOf(int i)
{
    return QString("00:0A:1B:5A:00:%1").arg(i, 2, 16, QChar('0')).toUpper();
}

QString idOf(int i)
{
    return QString("c%1").arg(i);
}

QJsonArray fleet(int count, int firstOctet)
{
    QJsonArray cams;
    for (int i = 0; i < count; ++i)
        cams.append(QJsonObject{{"id", idOf(i)}, {"mac", macOf(i)},
                                {"ip", QString("127.0.0.%1").arg(firstOctet + i)}, {"model", 1},
                                {"model_name", "L60"}, {"host_name", QString("cam-%1").arg(i)},
                                {"domain_name", i == 0 ? QJsonValue("") : QJsonValue()},
                                {"restart_delay", 0.3}});
    return cams;
}

QString plannedIp(int i)
{
    return QString("127.0.2.%1").arg(10 + i);
}

// A row that moves camera i to 127.0.2.(10+i) and names it door-i.
QString row(int i, const QString &ip)
{
    return QString("%1,%2,255.0.0.0,,door-%3\n").arg(macOf(i), ip).arg(i);
}

QJsonObject settingsOf(CamSimProcess &sim, int i)
{
    return sim.get(idOf(i)).value("state").toObject().value("settings").toObject();
}

const QHash<QString, QString> kQuick = {{"ZORACTL_CLOCK_MS", "50"}};

// The bytes of each "would send" line of a dry run, and how many parts it masked.
struct Dumped {
    QByteArray bytes;
    int masked = 0;
    int size = 0;  // as the line states it
};

QList<Dumped> dumpedCommands(const QString &out)
{
    QList<Dumped> all;
    static const QRegularExpression line("would send (\\d+) bytes to [^:]+: (.*)");
    for (const QString &l : out.split('\n')) {
        const QRegularExpressionMatch m = line.match(l);
        if (!m.hasMatch())
            continue;
        Dumped d;
        d.size = m.captured(1).toInt();
        for (const QString &token : m.captured(2).split(' ', Qt::SkipEmptyParts)) {
            if (token == "<credentials>")
                ++d.masked;
            else
                d.bytes += QByteArray::fromHex(token.toLatin1());
        }
        all << d;
    }
    return all;
}

// Whether any 22 bytes of text unscramble to the password: what a reader of the output
// could do with a credential block printed in hex.
bool holdsPassword(const QByteArray &bytes, const QByteArray &password)
{
    for (qsizetype at = 0; at + kCredentialBlockSize <= bytes.size(); ++at) {
        CredentialBlock block;
        std::copy_n(bytes.constData() + at, kCredentialBlockSize, reinterpret_cast<char *>(block.data()));
        if (UnscrambleCredential(block).text() == password)
            return true;
    }
    return bytes.contains(password);
}

} // namespace

class TestSitePlanE2e : public QObject
{
    Q_OBJECT

private slots:
    void planOfTwentyCameras();
    void interruptedApplyResumes();
    void hostCellsTheCameraRefuses_data();
    void hostCellsTheCameraRefuses();
    void cameraLeftPartWay();
    void dryRunMasksCredentials_data();
    void dryRunMasksCredentials();
};

void TestSitePlanE2e::planOfTwentyCameras()
{
    CamSimProcess sim;
    QVERIFY2(sim.start(fleet(20, 131)), qPrintable(sim.errorString()));
    Tool tool(sim);

    // Rows for cameras 0..18: 5 and 6 planned at one address, 7 already as planned; a row
    // for a camera that is not there; camera 19 in no row.
    QString plan = "# yard\nmac,ip,mask,gateway,host\n";
    for (int i = 0; i < 19; ++i) {
        if (i == 7)
            plan += QString("%1,127.0.0.138,255.0.0.0,,cam-7\n").arg(macOf(i));
        else
            plan += row(i, i == 6 ? plannedIp(5) : plannedIp(i));
    }
    plan += row(0xEE, "127.0.2.250");
    tool.write("plan.csv", plan.toUtf8());

    const Run check = tool.run({"plan", "check", tool.path("plan.csv"), "--json"});
    QCOMPARE(check.status, 1);
    const QJsonObject report = QJsonDocument::fromJson(check.out.toUtf8()).object();
    QStringList kinds;
    for (const QJsonValue &p : report.value("problems").toArray())
        kinds << p.toObject().value("kind").toString() + " " + p.toObject().value("mac").toString();
    kinds.sort();
    QCOMPARE(kinds, QStringList({"duplicate-address " + macOf(6), "missing " + macOf(0xEE),
                                 "not-in-plan " + macOf(19)}));
    QStringList asPlanned;
    for (const QJsonValue &r : report.value("rows").toArray()) {
        if (r.toObject().value("as_planned").toBool())
            asPlanned << r.toObject().value("mac").toString();
    }
    QCOMPARE(asPlanned, QStringList{macOf(7)});

    // An announced empty domain is "", no domain at all is null.
    const Run scan = tool.run({"scan", "--json", "--timeout", "1"});
    QCOMPARE(scan.status, 0);
    QHash<QString, QJsonValue> domains;
    for (const QJsonValue &c : QJsonDocument::fromJson(scan.out.toUtf8()).array())
        domains.insert(c.toObject().value("mac").toString(), c.toObject().value("domain_name"));
    QCOMPARE(domains.size(), 20);
    QCOMPARE(domains.value(macOf(0)), QJsonValue(""));
    QVERIFY(domains.value(macOf(1)).isNull());

    // An apply of a plan with errors sends nothing.
    const Run refused = tool.run(QStringList{"plan", "apply", tool.path("plan.csv")} + tool.login());
    QCOMPARE(refused.status, 1);

    // The installer fixes the row: camera 6 keeps its address.
    plan.replace(row(6, plannedIp(5)), QString("%1,,,,door-6\n").arg(macOf(6)));
    tool.write("plan.csv", plan.toUtf8());
    const Run dry = tool.run(QStringList{"plan", "apply", tool.path("plan.csv"), "--dry-run"}
                             + tool.login());
    QCOMPARE(dry.status, 0);
    // Seventeen cameras move and are renamed, camera 6 is only renamed.
    QCOMPARE(dry.out.count("would send"), 17 * 2 + 1);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(commandsLogged(sim, idOf(i)), 0);

    const Run apply = tool.run(QStringList{"plan", "apply", tool.path("plan.csv"), "--parallel", "8",
                                           "--log", tool.path("log")}
                                   + tool.login(),
                               kQuick);
    // The missing camera is reported; every other one is changed.
    QCOMPARE(apply.status, 9);
    QVERIFY2(apply.out.contains("18 changed, 1 not, of 20 planned"),
             qPrintable(apply.out + apply.err));
    for (int i = 0; i < 20; ++i) {
        const QJsonObject s = settingsOf(sim, i);
        const bool moved = i != 6 && i != 7 && i != 19;
        QCOMPARE(s.value("ip").toString(), moved ? plannedIp(i) : QString("127.0.0.%1").arg(131 + i));
        QCOMPARE(s.value("host_name").toString(),
                 (i == 7 || i == 19) ? QString("cam-%1").arg(i) : QString("door-%1").arg(i));
        QCOMPARE(commandsLogged(sim, idOf(i)), moved ? 2 : i == 6 ? 1 : 0);
    }
    // Every moved camera answered from its planned address.
    for (int i = 0; i < 19; ++i) {
        if (i != 6 && i != 7)
            QVERIFY2(apply.out.contains(QRegularExpression(macOf(i) + "\\s+success\\s+" + QRegularExpression::escape(plannedIp(i)) + "\\s")),
                     qPrintable(apply.out));
    }
}

void TestSitePlanE2e::interruptedApplyResumes()
{
    CamSimProcess sim;
    QVERIFY2(sim.start(fleet(6, 161)), qPrintable(sim.errorString()));
    Tool tool(sim);
    QString plan = "mac,ip,mask,gateway,host\n";
    for (int i = 0; i < 6; ++i)
        plan += row(i, plannedIp(40 + i));
    tool.write("plan.csv", plan.toUtf8());
    const QStringList args = QStringList{"plan", "apply", tool.path("plan.csv"), "--parallel", "1",
                                         "--log", tool.path("log")}
                             + tool.login();

    // Ctrl-C once the first camera is through: the camera in flight finishes, no other starts.
    QProcess first;
    tool.start(first, args, kQuick);
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT([&] {
        QFile log(tool.path("log"));
        return log.open(QIODevice::ReadOnly) && log.readAll().contains("\"result\":\"done\",\"step\":\"host\"");
    }(), 30000);
    ::kill(pid_t(first.processId()), SIGINT);
    const Run cut = Tool::finish(first);
    QCOMPARE(cut.status, 130);
    QVERIFY2(cut.out.contains("not started"), qPrintable(cut.out));

    const Run resumed = tool.run(args, kQuick);
    QCOMPARE(resumed.status, 0);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(settingsOf(sim, i).value("ip").toString(), plannedIp(40 + i));
        QCOMPARE(settingsOf(sim, i).value("host_name").toString(), QString("door-%1").arg(i));
        // Each step reached its camera once over both runs.
        QCOMPARE(commandsLogged(sim, idOf(i)), 2);
    }
}

void TestSitePlanE2e::hostCellsTheCameraRefuses_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QString>("refusal");
    const QString unstorable = "Camera Host Name holds a character the camera cannot store.";
    QTest::newRow("line feed") << QByteArray("\"door\n1\"") << unstorable;
    QTest::newRow("NUL") << QByteArray("door\0" "1", 6) << unstorable;
    QTest::newRow("leading spaces") << QByteArray("\"  door\"") << "Host Name has blanks";
    QTest::newRow("inner space") << QByteArray("door 1") << "Host Name has blanks";
}

// The check runs the host-name check apply runs: a host the camera's page refuses is an
// error of the plan, the dry run shows both steps, and apply sends nothing at all rather
// than re-addressing the camera and then refusing its name.
void TestSitePlanE2e::hostCellsTheCameraRefuses()
{
    QFETCH(QByteArray, host);
    QFETCH(QString, refusal);
    CamSimProcess sim;
    QVERIFY2(sim.start(fleet(1, 181)), qPrintable(sim.errorString()));
    Tool tool(sim);
    tool.write("plan.csv", "mac,ip,mask,gateway,host\n" + macOf(0).toLatin1() + ',' + plannedIp(70).toLatin1()
                               + ",255.0.0.0,," + host + '\n');
    const QStringList quickScan = {"--timeout", "1"};

    const Run check = tool.run(QStringList{"plan", "check", tool.path("plan.csv")} + quickScan);
    QVERIFY2(check.status == 1, qPrintable(check.out + check.err));
    QVERIFY2(check.out.contains("error: line 2, " + macOf(0) + ": the host step would be refused: " + refusal),
             qPrintable(check.out));

    const QStringList apply = QStringList{"plan", "apply", tool.path("plan.csv")} + quickScan + tool.login();
    const Run dry = tool.run(apply + QStringList{"--dry-run"});
    QCOMPARE(dry.status, 1);
    QVERIFY2(dry.out.contains(macOf(0) + " network: would send"), qPrintable(dry.out));
    QVERIFY2(dry.out.contains(macOf(0) + " host: refused: " + refusal), qPrintable(dry.out));

    const Run refused = tool.run(apply, kQuick);
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains("nothing was sent"), qPrintable(refused.err));
    QCOMPARE(commandsLogged(sim, idOf(0)), 0);
    QCOMPARE(settingsOf(sim, 0).value("ip").toString(), QString("127.0.0.181"));
}

// The camera takes its new address, then refuses its name: the table says what it has
// and what it lacks, and the run does not count it changed.
void TestSitePlanE2e::cameraLeftPartWay()
{
    CamSimProcess sim;
    QJsonArray cams = fleet(1, 185);
    QJsonObject cam = cams.at(0).toObject();
    cam.insert("after_restart", QJsonObject{{"reply", "fail"}});
    cams.replace(0, cam);
    QVERIFY2(sim.start(cams), qPrintable(sim.errorString()));
    Tool tool(sim);
    tool.write("plan.csv", ("mac,ip,mask,gateway,host\n" + row(0, plannedIp(80))).toUtf8());

    const Run check = tool.run({"plan", "check", tool.path("plan.csv"), "--timeout", "1"});
    QCOMPARE(check.status, 0);
    const Run apply = tool.run(QStringList{"plan", "apply", tool.path("plan.csv"), "--log", tool.path("log"),
                                           "--timeout", "1"}
                                   + tool.login(),
                               kQuick);
    QCOMPARE(apply.status, 9);
    const QRegularExpression partWay(macOf(0) + "\\s+part-way\\s+" + QRegularExpression::escape(plannedIp(80))
                                     + "\\s+address changed, host name refused: FAIL");
    QVERIFY2(apply.out.contains(partWay), qPrintable(apply.out));
    QVERIFY2(apply.out.contains("0 changed, 1 not, of 1 planned; 1 left part-way"), qPrintable(apply.out));
    QCOMPARE(settingsOf(sim, 0).value("ip").toString(), plannedIp(80));
    QCOMPARE(settingsOf(sim, 0).value("host_name").toString(), QString("cam-0"));

    // Run again: the camera's address is as planned now, so only the host name is sent
    // (and refused again). Scripts read the same as JSON.
    const Run again = tool.run(QStringList{"plan", "apply", tool.path("plan.csv"), "--log", tool.path("log"),
                                           "--timeout", "1", "--json"}
                                   + tool.login(),
                               kQuick);
    QCOMPARE(again.status, 9);
    const QJsonArray lines = QJsonDocument::fromJson(again.out.toUtf8()).array();
    QCOMPARE(lines.size(), 1);
    const QJsonObject line = lines.first().toObject();
    QCOMPARE(line.value("result").toString(), QString("refused"));
    QVERIFY2(line.value("message").toString().startsWith("FAIL"), qPrintable(again.out));
    QCOMPARE(line.value("sent").toBool(), true);
    QCOMPARE(line.value("failed").toBool(), true);
    QCOMPARE(line.value("part_way").toBool(), false);
    QCOMPARE(commandsLogged(sim, idOf(0)), 3);
}

void TestSitePlanE2e::dryRunMasksCredentials_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<int>("commands");
    QTest::newRow("address and host") << "mac,ip,mask,gateway,host\n" + row(0, plannedIp(90)) << 2;
    QTest::newRow("dhcp") << "mac,network\n" + macOf(0) + ",dhcp\n" << 1;
    QTest::newRow("host only") << "mac,host\n" + macOf(0) + ",door-0\n" << 1;
}

// The credential block is only scrambled: printed, it is the password. Every dry-run
// datagram shows it as <credentials>, and the rest byte for byte.
void TestSitePlanE2e::dryRunMasksCredentials()
{
    QFETCH(QString, plan);
    QFETCH(int, commands);
    CamSimProcess sim;
    QVERIFY2(sim.start(fleet(1, 188)), qPrintable(sim.errorString()));
    Tool tool(sim);
    tool.write("plan.csv", plan.toUtf8());

    const Run dry = tool.run(QStringList{"plan", "apply", tool.path("plan.csv"), "--dry-run", "--timeout", "1"}
                             + tool.login());
    QCOMPARE(dry.status, 0);
    const QList<Dumped> dumped = dumpedCommands(dry.out);
    QCOMPARE(dumped.size(), commands);
    for (const Dumped &d : dumped) {
        QCOMPARE(d.masked, 1);
        QCOMPARE(d.bytes.size() + kCredentialBlockSize, d.size);
        QVERIFY2(!holdsPassword(d.bytes, "pass"), qPrintable(dry.out));
    }
    QVERIFY(!holdsPassword(dry.out.toLatin1(), "pass"));
    QCOMPARE(commandsLogged(sim, idOf(0)), 0);
}

QTEST_GUILESS_MAIN(TestSitePlanE2e)
#include "tst_site_plan_e2e.moc"

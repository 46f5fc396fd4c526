// Site network plans: reading the CSV, holding it against the cameras that answered a
// scan, and the log that lets an interrupted apply (or rollout) resume.
#include "site/firmware_history.h"
#include "site/plan_check.h"
#include "site/plan_log.h"
#include "site/site_plan.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kHeader = "mac,ip,mask,gateway,dns,host,domain,network\n";

QString opt(const std::optional<QString> &v)
{
    return v ? *v : QString("-");
}

// An entry as one line: line mac ip mask gateway dns host domain network password_file.
QString describe(const SitePlan::Entry &e)
{
    return QStringList{QString::number(e.line), e.mac, opt(e.ip), opt(e.mask), opt(e.gateway),
                       opt(e.dns), opt(e.host), opt(e.domain), opt(e.network), opt(e.passwordFile)}
        .join(' ');
}

// "MAC IP [host] [network]": gateway 10.0.0.254, mask /24, no DNS, no domain.
PlanCamera camera(const QString &text)
{
    const QStringList p = text.split(' ');
    PlanCamera c;
    c.mac = p.at(0);
    c.ip = p.at(1);
    c.mask = "255.255.255.0";
    c.gateway = "10.0.0.254";
    c.host = p.value(2, "cam");
    c.network = p.value(3, "static");
    c.model = "L60";
    return c;
}

quint32 ip(const QString &text)
{
    return *SitePlan::ipv4(text);
}

} // namespace

class TestSitePlan : public QObject
{
    Q_OBJECT

private slots:
    void parseErrors_data();
    void parseErrors();
    void accepted_data();
    void accepted();
    void check_data();
    void check();
    void checkJson();
    void logResults_data();
    void logResults();
    void logSurvivesTornLine();
    void firmwareHistory_data();
    void firmwareHistory();
};

void TestSitePlan::parseErrors_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("word");
    const QByteArray m = "00:0A:1B:2C:3D:4E";
    auto row = [&](const QByteArray &ip, const QByteArray &mask = "", const QByteArray &network = "") -> QByteArray {
        return kHeader + m + ',' + ip + ',' + mask + ",10.0.0.254,,cam,," + network + '\n';
    };
    QTest::newRow("mac not hex") << QByteArray("mac\nzz:0A:1B:2C:3D:4E\n") << 1 << 2 << "is not a MAC";
    QTest::newRow("mac too short") << QByteArray("mac\n00:0A:1B:2C:3D\n") << 1 << 2 << "is not a MAC";
    QTest::newRow("mac mixed separators") << QByteArray("mac\n00:0A-1B:2C:3D:4E\n") << 1 << 2 << "is not a MAC";
    QTest::newRow("mac empty") << QByteArray("mac,ip\n,10.0.0.1\n") << 1 << 2 << "mac is empty";
    QTest::newRow("ip octet too big") << row("10.0.0.300") << 1 << 2 << "ip \"10.0.0.300\" is not an IPv4";
    QTest::newRow("ip three parts") << row("10.0.1") << 1 << 2 << "not an IPv4";
    QTest::newRow("ip one number") << row("1") << 1 << 2 << "not an IPv4";
    QTest::newRow("ip trailing junk") << row("10.0.0.1x") << 1 << 2 << "not an IPv4";
    QTest::newRow("ip leading zero") << row("10.0.0.010") << 1 << 2 << "not an IPv4";
    QTest::newRow("ip signed") << row("10.0.+1.1") << 1 << 2 << "not an IPv4";
    QTest::newRow("mask not contiguous") << row("10.0.0.1", "255.0.255.0") << 1 << 2 << "not a netmask";
    QTest::newRow("mask zero") << row("10.0.0.1", "0.0.0.0") << 1 << 2 << "not a netmask";
    QTest::newRow("gateway") << QByteArray("mac,gateway\n" + m + ",10.0.0\n") << 1 << 2 << "gateway \"10.0.0\"";
    QTest::newRow("dns") << QByteArray("mac,dns\n" + m + ",256.1.1.1\n") << 1 << 2 << "dns \"256.1.1.1\"";
    QTest::newRow("network pppoe") << row("", "", "pppoe") << 1 << 2 << "neither static nor dhcp";
    QTest::newRow("dhcp with ip") << row("10.0.0.1", "", "dhcp") << 1 << 2 << "gives ip and gateway";
    QTest::newRow("too many cells") << QByteArray("mac,ip\n" + m + ",10.0.0.1,\n") << 1 << 2 << "3 cells";
    QTest::newRow("too few cells") << QByteArray("mac,ip,host\n" + m + ",10.0.0.1\n") << 1 << 2 << "2 cells";
    QTest::newRow("unknown column") << QByteArray("mac,ipaddr\n") << 1 << 1 << "unknown column \"ipaddr\"";
    QTest::newRow("column twice") << QByteArray("mac,IP,ip\n") << 1 << 1 << "named twice";
    QTest::newRow("no mac column") << QByteArray("ip,host\n10.0.0.1,a\n") << 1 << 1 << "no mac column";
    QTest::newRow("no header") << QByteArray("# only a comment\n\n") << 1 << 0 << "no header";
    QTest::newRow("quote never closed") << QByteArray("mac,host\n" + m + ",\"door\n") << 1 << 2 << "never closed";
    QTest::newRow("text after quote") << QByteArray("mac,host\n" + m + ",\"door\"x\n") << 1 << 2 << "after a closing quote";
    QTest::newRow("stray quote") << QByteArray("mac,host\n" + m + ",do\"or\n") << 1 << 2 << "a quote inside";
    QTest::newRow("lines counted past comments")
        << QByteArray("# site A\n\n  # columns\nmac,ip\n" + m + ",10.0.0.256\n") << 1 << 5 << "not an IPv4";
    QTest::newRow("broken header stops")
        << QByteArray("mac,\"ip\"x\nzz,1\n") << 1 << 1 << "after a closing quote";
    QTest::newRow("every fault collected")
        << QByteArray("mac,ip,mask\nzz,10.0.0.1,255.255.255.0\n" + m + ",10.0.0.1,255.0.0.1\n"
                      "00:0A:1B:2C:3D:4F,10.0.0\n00:0A:1B:2C:3D:50,\"10.0.0.1\"x,\n") << 4 << 2 << "is not a MAC";
    QTest::newRow("not UTF-8") << QByteArray("mac,host\n" + m + ",caf\xe9\n") << 1 << 0 << "not UTF-8";
}

void TestSitePlan::parseErrors()
{
    QFETCH(QByteArray, text);
    QFETCH(int, count);
    QFETCH(int, line);
    QFETCH(QString, word);
    QStringList errors;
    QVERIFY(!SitePlan::parse(text, "plan.csv", &errors));
    QCOMPARE(errors.size(), count);
    const QString prefix = line ? QString("plan.csv:%1: ").arg(line) : QString("plan.csv: ");
    QVERIFY2(errors.first().startsWith(prefix), qPrintable(errors.first()));
    QVERIFY2(errors.first().contains(word), qPrintable(errors.first()));
}

void TestSitePlan::accepted_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("full row")
        << QByteArray(kHeader + "00:0a:1b:2c:3d:4e,10.0.0.12,255.255.255.0,10.0.0.254,10.0.0.53,door-12,site.example,Static\n")
        << QStringList{"2 00:0A:1B:2C:3D:4E 10.0.0.12 255.255.255.0 10.0.0.254 10.0.0.53 door-12 site.example static -"};
    QTest::newRow("columns in any order and case, dashes")
        << QByteArray(" Host ,NETWORK,password_file, MAC\nlobby,DHCP,/etc/zora/lobby,00-0a-1b-2c-3d-4e\n")
        << QStringList{"2 00:0A:1B:2C:3D:4E - - - - lobby - dhcp /etc/zora/lobby"};
    QTest::newRow("empty cells keep the camera's value")
        << QByteArray(kHeader + "00:0A:1B:2C:3D:4E, ,,,,cam,,\n")
        << QStringList{"2 00:0A:1B:2C:3D:4E - - - - cam - - -"};
    QTest::newRow("quoting")
        << QByteArray("mac,host,password_file\n00:0A:1B:2C:3D:4E, \"door, north\" ,\"say \"\"hi\"\"\"\n")
        << QStringList{"2 00:0A:1B:2C:3D:4E - - - - door, north - - say \"hi\""};
    QTest::newRow("quoted line break keeps later line numbers")
        << QByteArray("mac,password_file\n00:0A:1B:2C:3D:01,\"a\nb\"\n00:0A:1B:2C:3D:02,c\n")
        << QStringList{"2 00:0A:1B:2C:3D:01 - - - - - - - a\nb", "4 00:0A:1B:2C:3D:02 - - - - - - - c"};
    QTest::newRow("comments, blank lines, CRLF, BOM")
        << QByteArray("\xef\xbb\xbf# plan\r\n\r\nmac,ip\r\n  # first floor\r\n00:0A:1B:2C:3D:4E,10.0.0.1\r\n\r\n")
        << QStringList{"5 00:0A:1B:2C:3D:4E 10.0.0.1 - - - - - - -"};
    QTest::newRow("host mask") << QByteArray("mac,mask\n00:0A:1B:2C:3D:4E,255.255.255.255\n")
                               << QStringList{"2 00:0A:1B:2C:3D:4E - 255.255.255.255 - - - - - -"};
    QTest::newRow("header only") << QByteArray("mac,ip\n") << QStringList{};
}

void TestSitePlan::accepted()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, entries);
    QStringList errors;
    const auto plan = SitePlan::parse(text, "plan.csv", &errors);
    QVERIFY2(plan, qPrintable(errors.join('\n')));
    QStringList got;
    for (const SitePlan::Entry &e : plan->entries())
        got << describe(e);
    QCOMPARE(got, entries);
}

void TestSitePlan::check_data()
{
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QStringList>("cameras");
    QTest::addColumn<QStringList>("subnets");
    QTest::addColumn<QStringList>("lines");    // the report without its summary
    QTest::addColumn<QString>("summary");
    QTest::addColumn<bool>("wrong");
    QTest::addColumn<bool>("blocks");
    const QString a = "00:0A:1B:2C:3D:01", b = "00:0A:1B:2C:3D:02", c = "00:0A:1B:2C:3D:03";
    const QStringList lan = {"10.0.0.5/255.255.255.0"};
    QTest::newRow("as planned")
        << QByteArray("mac,ip,mask,host,network\n00:0a:1b:2c:3d:01,10.0.0.1,255.255.255.0,cam,STATIC\n")
        << QStringList{a + " 10.0.0.1"} << lan << QStringList{a + "  as planned"}
        << "1 planned: 0 to change, 1 as planned, 0 missing; 0 errors, 0 warnings" << false << false;
    QTest::newRow("field changes")
        << QByteArray("mac,ip,dns,host,domain,network\n" + a.toLatin1() + ",10.0.0.12,10.0.0.53,door-1,site,static\n")
        << QStringList{a + " 10.0.0.1 Cam dhcp"} << lan
        << QStringList{a + "  found 10.0.0.1  ip 10.0.0.1 → 10.0.0.12, dns (none) → 10.0.0.53, "
                           "host Cam → door-1, domain (none) → site, network dhcp → static"}
        << "1 planned: 1 to change, 0 as planned, 0 missing; 0 errors, 0 warnings" << false << false;
    QTest::newRow("duplicate mac")
        << QByteArray("mac,host\n" + a.toLatin1() + ",x\n00-0A-1B-2C-3D-01,y\n")
        << QStringList{a + " 10.0.0.1 x"} << lan
        << QStringList{a + "  as planned", a + "  found 10.0.0.1  host x → y",
                       "error: line 3, " + a + ": the MAC is planned on line 2 already"}
        << "2 planned: 1 to change, 1 as planned, 0 missing; 1 error, 0 warnings" << true << true;
    QTest::newRow("duplicate address, missing")
        << QByteArray("mac,ip\n" + a.toLatin1() + ",10.0.0.9\n" + b.toLatin1() + ",10.0.0.9\n")
        << QStringList{a + " 10.0.0.1"} << lan
        << QStringList{a + "  found 10.0.0.1  ip 10.0.0.1 → 10.0.0.9", b + "  missing",
                       "error: line 3, " + b + ": ip 10.0.0.9 is planned on line 2 already (" + a + ")",
                       "missing: line 3, " + b + ": did not answer the scan"}
        << "2 planned: 1 to change, 0 as planned, 1 missing; 1 error, 0 warnings" << true << true;
    QTest::newRow("address in use by a camera not in the plan, answering twice")
        << QByteArray("mac,ip\n" + a.toLatin1() + ",10.0.0.7\n")
        << QStringList{a + " 10.0.0.1", c + " 10.0.0.7", c + " 10.0.0.7"} << lan
        << QStringList{a + "  found 10.0.0.1  ip 10.0.0.1 → 10.0.0.7",
                       "error: line 2, " + a + ": ip 10.0.0.7 is in use now by " + c + " (L60), which is not in the plan",
                       "warning: " + c + ": answers at 10.0.0.7 (L60) and is in no row of the plan"}
        << "1 planned: 1 to change, 0 as planned, 0 missing; 1 error, 1 warning" << true << true;
    QTest::newRow("only missing: wrong, but the apply may go on")
        << QByteArray("mac\n" + a.toLatin1() + "\n") << QStringList{} << lan
        << QStringList{a + "  missing", "missing: line 2, " + a + ": did not answer the scan"}
        << "1 planned: 0 to change, 0 as planned, 1 missing; 0 errors, 0 warnings" << true << false;
    QTest::newRow("planned address outside the subnets")
        << QByteArray("mac,ip\n" + a.toLatin1() + ",10.1.0.1\n") << QStringList{a + " 10.0.0.1"} << lan
        << QStringList{a + "  found 10.0.0.1  ip 10.0.0.1 → 10.1.0.1",
                       "warning: line 2, " + a + ": 10.1.0.1/255.255.255.0 lies in none of this computer's "
                       "subnets (10.0.0.5/255.255.255.0); the camera will be unreachable from this computer after the change"}
        << "1 planned: 1 to change, 0 as planned, 0 missing; 0 errors, 1 warning" << false << false;
    QTest::newRow("narrower mask leaves this computer out")
        << QByteArray("mac,mask\n" + a.toLatin1() + ",255.255.255.252\n") << QStringList{a + " 10.0.0.12"} << lan
        << QStringList{a + "  found 10.0.0.12  mask 255.255.255.0 → 255.255.255.252",
                       "warning: line 2, " + a + ": 10.0.0.12/255.255.255.252 lies in none of this computer's "
                       "subnets (10.0.0.5/255.255.255.0); the camera will be unreachable from this computer after the change"}
        << "1 planned: 1 to change, 0 as planned, 0 missing; 0 errors, 1 warning" << false << false;
    QTest::newRow("second subnet reaches it")
        << QByteArray("mac,ip,mask\n" + a.toLatin1() + ",192.168.7.20,255.255.0.0\n") << QStringList{a + " 10.0.0.1"}
        << QStringList{"10.0.0.5/255.255.255.0", "192.168.3.1/255.255.0.0"}
        << QStringList{a + "  found 10.0.0.1  ip 10.0.0.1 → 192.168.7.20, mask 255.255.255.0 → 255.255.0.0"}
        << "1 planned: 1 to change, 0 as planned, 0 missing; 0 errors, 0 warnings" << false << false;
    QTest::newRow("no subnets known: no warning")
        << QByteArray("mac,ip\n" + a.toLatin1() + ",10.1.0.1\n") << QStringList{a + " 10.0.0.1"} << QStringList{}
        << QStringList{a + "  found 10.0.0.1  ip 10.0.0.1 → 10.1.0.1"}
        << "1 planned: 1 to change, 0 as planned, 0 missing; 0 errors, 0 warnings" << false << false;
}

void TestSitePlan::check()
{
    QFETCH(QByteArray, plan);
    QFETCH(QStringList, cameras);
    QFETCH(QStringList, subnets);
    QFETCH(QStringList, lines);
    QFETCH(QString, summary);
    QFETCH(bool, wrong);
    QFETCH(bool, blocks);
    QStringList errors;
    const auto parsed = SitePlan::parse(plan, "plan.csv", &errors);
    QVERIFY2(parsed, qPrintable(errors.join('\n')));
    QList<PlanCamera> wire;
    for (const QString &text : cameras)
        wire << camera(text);
    QList<LocalSubnet> local;
    for (const QString &s : subnets)
        local << LocalSubnet{ip(s.section('/', 0, 0)), ip(s.section('/', 1)), {}};
    const PlanCheck result = PlanCheck::run(*parsed, wire, local);
    QStringList got = result.text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(got.takeLast(), summary);
    QCOMPARE(got, lines);
    QCOMPARE(result.wrong(), wrong);
    QCOMPARE(result.blocksApply(), blocks);
}

void TestSitePlan::checkJson()
{
    const auto plan = SitePlan::parse("mac,host,domain\n00:0A:1B:2C:3D:01,door,site\n00:0A:1B:2C:3D:02,,\n",
                                      "plan.csv", nullptr);
    QVERIFY(plan);
    const QJsonObject o = PlanCheck::run(*plan, {camera("00:0A:1B:2C:3D:01 10.0.0.1 door")}, {}).toJson();
    QCOMPARE(QJsonDocument(o.value("rows").toArray()).toJson(QJsonDocument::Compact),
             QByteArray(R"([{"address":"10.0.0.1","as_planned":false,"changes":[{"current":null,"field":"domain","planned":"site"}],)"
                        R"("found":true,"line":2,"mac":"00:0A:1B:2C:3D:01"},)"
                        R"({"address":null,"as_planned":false,"changes":[],"found":false,"line":3,"mac":"00:0A:1B:2C:3D:02"}])"));
    const QJsonObject p = o.value("problems").toArray().at(0).toObject();
    QCOMPARE(p.keys(), QStringList({"kind", "line", "mac", "message", "severity"}));
    QCOMPARE(p.value("severity").toString(), QString("missing"));
    QCOMPARE(p.value("line").toInt(), 3);
    QCOMPARE(o.value("wrong"), QJsonValue(true));
}

void TestSitePlan::logResults_data()
{
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("done");
    QTest::newRow("accepted, restart not followed") << "sent" << true;
    QTest::newRow("done") << "done" << true;
    QTest::newRow("failed") << "failed" << false;
    QTest::newRow("skipped") << "skipped" << false;
}

void TestSitePlan::logResults()
{
    QFETCH(QString, result);
    QFETCH(bool, done);
    QTemporaryDir dir;
    const QString path = dir.filePath("apply.log");
    QString error;
    QVERIFY(PlanLog::doneSteps(path, &error).isEmpty());
    QVERIFY(error.isEmpty());
    PlanLog log(path);
    QVERIFY2(log.open(&error), qPrintable(error));
    QVERIFY(log.append("00:0A:1B:2C:3D:01", "network", result, "10.0.0.1", "x"));
    // A later failure does not undo a step the camera accepted.
    QVERIFY(log.append("00:0A:1B:2C:3D:01", "network", "failed", "10.0.0.1", "no answer"));
    const QSet<QString> steps = PlanLog::doneSteps(path, &error);
    QCOMPARE(steps.contains(PlanLog::key("00:0a:1b:2c:3d:01", "network")), done);
    QVERIFY(!steps.contains(PlanLog::key("00:0A:1B:2C:3D:01", "host")));
}

void TestSitePlan::logSurvivesTornLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("apply.log");
    QString error;
    {
        PlanLog log(path);
        QVERIFY(log.open(&error));
        QVERIFY(log.append("00:0A:1B:2C:3D:01", "network", "done", "10.0.0.1", ""));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("[1,2]\n{\"mac\":1,\"step\":\"host\",\"result\":\"done\"}\n{\"time\":\"2024-");
    file.close();
    {
        PlanLog log(path);
        QVERIFY(log.open(&error));
        QVERIFY(log.append("00:0A:1B:2C:3D:02", "host", "sent", "10.0.0.2", ""));
    }
    QCOMPARE(PlanLog::doneSteps(path, &error),
             QSet<QString>({"00:0A:1B:2C:3D:01/network", "00:0A:1B:2C:3D:02/host"}));
    QVERIFY(error.isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    const QJsonObject last = QJsonDocument::fromJson(lines.at(lines.size() - 2)).object();
    QCOMPARE(last.keys(), QStringList({"address", "mac", "message", "result", "step", "time"}));
    QVERIFY(QDateTime::fromString(last.value("time").toString(), Qt::ISODateWithMs).isValid());
}

void TestSitePlan::firmwareHistory_data()
{
    // Lines "MAC-index step result [image version]"; firmware steps are of image A.
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("versionBefore");
    QTest::addColumn<bool>("acknowledged");
    const int none = int(FirmwareHistory::State::None), sent = int(FirmwareHistory::State::Sent),
              updated = int(FirmwareHistory::State::Updated);
    QTest::newRow("nothing") << QStringList{} << none << "" << false;
    QTest::newRow("updated") << QStringList{"1 upload started A 2.0", "1 upload sent A 2.0", "1 firmware done"}
                             << updated << "2.0" << true;
    QTest::newRow("begun, never ended (killed, power cut)") << QStringList{"1 upload started A 2.0"} << sent
                                                            << "2.0" << false;
    QTest::newRow("refused before the last byte")
        << QStringList{"1 upload started A 2.0", "1 upload failed A 2.0", "1 firmware failed"} << none << "" << false;
    QTest::newRow("taken, not back")
        << QStringList{"1 upload started A 2.0", "1 upload sent A 2.0", "1 firmware failed"} << sent << "2.0" << true;
    QTest::newRow("whole image out, no final answer")
        << QStringList{"1 upload started A 2.0", "1 firmware failed"} << sent << "2.0" << false;
    QTest::newRow("refused, then begun again")
        << QStringList{"1 upload started A 1.0", "1 upload failed A 1.0", "1 upload started A 1.1"} << sent
        << "1.1" << false;
    QTest::newRow("another image") << QStringList{"1 upload started B 2.0"} << none << "" << false;
    QTest::newRow("another camera") << QStringList{"2 upload started A 2.0", "2 firmware done"} << none << ""
                                    << false;
}

// What a log says about an image on a camera decides whether the next run may send it:
// only when no upload of it can have reached the camera.
void TestSitePlan::firmwareHistory()
{
    QFETCH(QStringList, lines);
    QFETCH(int, state);
    QFETCH(QString, versionBefore);
    QFETCH(bool, acknowledged);
    QTemporaryDir dir;
    const QString path = dir.filePath("rollout.log");
    QString error;
    {
        PlanLog log(path);
        QVERIFY2(log.open(&error), qPrintable(error));
        for (const QString &line : lines) {
            const QStringList w = line.split(' ');
            const QString mac = "00:0A:1B:2C:3D:0" + w.at(0);
            const bool upload = w.at(1) == "upload";
            QVERIFY(log.append(mac, upload ? w.at(1) : "firmware A", w.at(2), "10.0.0.1", "",
                               upload ? FirmwareHistory::uploadFields(w.at(3), w.at(4)) : QJsonObject(),
                               PlanLog::Durability::Synced));
        }
    }
    const FirmwareHistory history = FirmwareHistory::of(PlanLog::records(path, &error), "A", "firmware A");
    QVERIFY(error.isEmpty());
    const FirmwareHistory::Camera c = history.camera("00:0a:1b:2c:3d:01");
    QCOMPARE(int(c.state), state);
    QCOMPARE(c.versionBefore, versionBefore);
    QCOMPARE(c.acknowledged, acknowledged);
    if (state == int(FirmwareHistory::State::Sent))
        QVERIFY(!c.time.isEmpty());
}

QTEST_GUILESS_MAIN(TestSitePlan)
#include "tst_site_plan.moc"

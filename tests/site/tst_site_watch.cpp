// Watching a site against the simulated fleet, tick by tick: the events of a timeline
// (a camera goes quiet and comes back, moves, takes another's address), a restart from
// the state file, and the metrics as a real Prometheus parser reads them, with the HTTP
// front refusing what is not a scrape.
#include "camsim_process.h"
#include "protocol/camera_network.h"
#include "site/metrics_server.h"
#include "site/site_event_log.h"
#include "site/site_metrics.h"
#include "site/site_state_file.h"
#include "site/site_watch.h"
#include "test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QJsonObject cam(const QString &id, const QString &mac, const QString &ip, const QString &host = "camera")
{
    return {{"id", id}, {"mac", mac}, {"ip", ip}, {"host_name", host}};
}

const QString kA = "00:0A:1B:2C:3D:01";
const QString kB = "00:0A:1B:2C:3D:02";
const QString kC = "00:0A:1B:2C:3D:03";

QJsonArray threeCameras()
{
    return {cam("a", kA, "127.0.0.31"), cam("b", kB, "127.0.0.32"), cam("c", kC, "127.0.0.33")};
}

// One watch over its own network core; its clock moves 500 ms a tick.
struct Rig {
    explicit Rig(quint16 cameraPort)
    {
        options.broadcast = QHostAddress("127.255.255.255");
        options.cameraPort = cameraPort;
        options.localPort = CamSimProcess::freeUdpPort();
        network = std::make_unique<CameraNetwork>(options);
        network->discovery().attach();
        watch = std::make_unique<SiteWatch>(*network);
        watch->setRoundsEnabled(false);
        watch->setRequestsPerRound(1);
        QObject::connect(watch.get(), &SiteWatch::happened, watch.get(), [this](const SiteEvent &e) { events << e; });
    }
    void tick()
    {
        now = now.addMSecs(SiteWatch::kTickMs);
        watch->tick(now);
    }
    // One round; returns once `answering` cameras answered (`replies` answers in all)
    // and the round counted.
    bool round(int answering, int replies = 0)
    {
        watch->startRound();
        if (!QTest::qWaitFor([&] {
                return watch->answeredThisRound() >= answering && watch->repliesThisRound() >= replies;
            }, 5000))
            return false;
        while (watch->roundOpen())
            tick();
        return true;
    }
    // What happened since the last call, one "kind MAC detail" a line, sorted: cameras
    // answer a round in any order.
    QStringList taken()
    {
        QStringList out;
        for (const SiteEvent &e : std::as_const(events))
            out << QString("%1 %2 %3").arg(SiteEvent::kindName(e.kind), e.mac, e.previous + e.conflict).trimmed();
        events.clear();
        out.sort();
        return out;
    }

    AppOptions options;
    std::unique_ptr<CameraNetwork> network;
    std::unique_ptr<SiteWatch> watch;
    QList<SiteEvent> events;
    QDateTime now = QDateTime(QDate(2026, 5, 4), QTime(12, 0), Qt::UTC);
};

// The exposition as Prometheus' own parser reads it: a JSON list of [name, labels, value].
QJsonArray parsedByPrometheus(const QByteArray &text, QString *error)
{
    QProcess p;
    p.start(TestSupport::pythonPath(),
            {"-c", "import sys, json\n"
                   "from prometheus_client.parser import text_string_to_metric_families as f\n"
                   "out = [[s.name, s.labels, s.value] for m in f(sys.stdin.read()) for s in m.samples]\n"
                   "print(json.dumps(out))\n"});
    p.write(text);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        *error = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

} // namespace

class TestSiteWatch : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<TestSupport::AppDir>(); }
    void timeline();
    void conflictKinds_data();
    void conflictKinds();
    void restartFromState_data();
    void restartFromState();
    void metricsParsed();
    void badRequestsRefused_data();
    void badRequestsRefused();
    void eventLines_data();
    void eventLines();
    void eventLogNewestFirstBounded_data();
    void eventLogNewestFirstBounded();

private:
    std::unique_ptr<TestSupport::AppDir> m_dir;
};

void TestSiteWatch::timeline()
{
    CamSimProcess sim;
    QVERIFY2(sim.start(threeCameras()), qPrintable(sim.errorString()));
    Rig rig(sim.cameraPort());

    struct Step {
        const char *what;
        QString id;                 // the camera changed first, with fields
        QJsonObject fields;
        int answering;              // cameras that answer the round
        int extraTicks;             // ticks after the round
        QStringList events;
    };
    const QList<Step> steps = {
        {"first round", {}, {}, 3, 0, {"appeared " + kA, "appeared " + kB, "appeared " + kC}},
        {"quiet camera still in doubt", "b", {{"silent", true}}, 2, SiteWatch::kDoubtTicks - 2, {}},
        {"quiet camera gone after the poll's tries", {}, {}, 2, 0, {"gone " + kB}},
        {"answers again", "b", {{"silent", false}}, 3, 0, {"back " + kB}},
        {"moves", "c", {{"ip", "127.0.0.34"}}, 3, 0, {"address_changed " + kC + " 127.0.0.33"}},
        {"renamed", "a", {{"host_name", "lobby"}}, 3, 0, {"host_changed " + kA + " camera"}},
        {"takes another's address", "c", {{"ip", "127.0.0.31"}}, 3, 0,
         {"address_changed " + kC + " 127.0.0.34", "conflict " + kA + " shared_address",
          "conflict " + kC + " shared_address"}},
        {"moves away again", "c", {{"ip", "127.0.0.35"}}, 3, 0,
         {"address_changed " + kC + " 127.0.0.31", "conflict_cleared " + kA + " shared_address",
          "conflict_cleared " + kC + " shared_address"}},
        {"a quiet round changes nothing", {}, {}, 3, 0, {}},
    };
    for (const Step &s : steps) {
        if (!s.id.isEmpty())
            QVERIFY2(sim.set(s.id, s.fields), s.what);
        QVERIFY2(rig.round(s.answering), s.what);
        for (int i = 0; i < s.extraTicks; ++i)
            rig.tick();
        QCOMPARE(rig.taken(), s.events);
    }
    // The gone camera's event says where it was last and when.
    QCOMPARE(rig.watch->cameras().value(kB).up, true);
    QCOMPARE(rig.watch->cameras().value(kC).address, QString("127.0.0.35"));
}

void TestSiteWatch::conflictKinds_data()
{
    QTest::addColumn<QJsonArray>("fleet");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("with");      // of the conflict
    // Two devices answering with one MAC: one camera, in doubt, not one moving to and fro.
    QTest::newRow("MAC from two addresses")
        << QJsonArray{cam("a", kA, "127.0.0.31"), cam("a2", kA, "127.0.0.32")}
        << QStringList{"appeared " + kA, "conflict " + kA + " mac_from_two_addresses"}
        << QStringList{"127.0.0.31", "127.0.0.32"};
    QTest::newRow("camera on this computer's address")
        << QJsonArray{cam("a", kA, "127.0.0.1")} << QStringList{"appeared " + kA, "conflict " + kA + " own_address"}
        << QStringList();
}

void TestSiteWatch::conflictKinds()
{
    QFETCH(QJsonArray, fleet);
    QFETCH(QStringList, events);
    QFETCH(QStringList, with);
    CamSimProcess sim;
    QVERIFY2(sim.start(fleet), qPrintable(sim.errorString()));
    Rig rig(sim.cameraPort());
    for (int round = 0; round < 3; ++round) {
        QVERIFY(rig.round(1, int(fleet.size())));
        if (round == 0) {
            const QList<SiteEvent> got = rig.events;
            QCOMPARE(rig.taken(), events);
            QCOMPARE(got.last().with, with);
        } else {
            // Later rounds see the same and say nothing.
            QCOMPARE(rig.taken(), QStringList());
        }
    }
}

void TestSiteWatch::restartFromState_data()
{
    QTest::addColumn<QString>("file");        // "" the first watch's state; else this text
    QTest::addColumn<bool>("symlink");
    QTest::addColumn<QString>("id");          // changed while no watch ran
    QTest::addColumn<QJsonObject>("fields");
    QTest::addColumn<QString>("error");       // part of the message when the file is refused
    QTest::addColumn<int>("answering");
    QTest::addColumn<QStringList>("events");  // after the first round and the poll's tries
    QTest::newRow("same site, nothing new") << "" << false << "" << QJsonObject() << "" << 3 << QStringList();
    QTest::newRow("moved while stopped") << "" << false << "a" << QJsonObject{{"ip", "127.0.0.36"}} << "" << 3
                                         << QStringList{"address_changed " + kA + " 127.0.0.31"};
    QTest::newRow("quiet since, gone after the poll's tries")
        << "" << false << "b" << QJsonObject{{"silent", true}} << "" << 2 << QStringList{"gone " + kB};
    const QStringList all{"appeared " + kA, "appeared " + kB, "appeared " + kC};
    QTest::newRow("not JSON") << "{\"version\":1,\"cam" << false << "" << QJsonObject() << "not JSON" << 3 << all;
    QTest::newRow("another version") << "{\"version\":7,\"cameras\":[],\"conflicts\":[]}" << false << ""
                                     << QJsonObject() << "version 1" << 3 << all;
    QTest::newRow("camera without MAC")
        << "{\"version\":1,\"cameras\":[{\"address\":\"127.0.0.31\"}],\"conflicts\":[]}" << false << ""
        << QJsonObject() << "without MAC" << 3 << all;
    QTest::newRow("symbolic link not followed") << "" << true << "" << QJsonObject() << "symbolic link" << 3 << all;
}

void TestSiteWatch::restartFromState()
{
    QFETCH(QString, file);
    QFETCH(bool, symlink);
    QFETCH(QString, id);
    QFETCH(QJsonObject, fields);
    QFETCH(QString, error);
    QFETCH(int, answering);
    QFETCH(QStringList, events);
    CamSimProcess sim;
    QVERIFY2(sim.start(threeCameras()), qPrintable(sim.errorString()));
    QTemporaryDir dir;
    const QString kept = dir.filePath("kept.json");
    const QString path = symlink ? dir.filePath("link.json") : kept;
    {
        Rig first(sim.cameraPort());
        QVERIFY(first.round(3));
        QCOMPARE(first.taken().size(), 3);
        QString why;
        QVERIFY2(SiteStateFile::write(kept, *first.watch, &why), qPrintable(why));
    }
    if (!file.isEmpty()) {
        QFile f(kept);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file.toUtf8());
    }
    if (symlink)
        QVERIFY(QFile::link(kept, path));
    if (!id.isEmpty())
        QVERIFY(sim.set(id, fields));

    Rig second(sim.cameraPort());
    QString why;
    QCOMPARE(SiteStateFile::read(path, *second.watch, &why), error.isEmpty());
    QVERIFY2(why.contains(error), qPrintable(why));
    QVERIFY(second.round(answering));
    for (int i = 0; i < SiteWatch::kDoubtTicks; ++i)
        second.tick();
    QCOMPARE(second.taken(), events);
}

void TestSiteWatch::metricsParsed()
{
    // Camera texts made to break an exposition: quotes, backslashes, line feeds, braces.
    const QString hostile = "x\"} 1\nzora_cameras 99\\";
    CamSimProcess sim;
    QJsonArray fleet = {cam("a", kA, "127.0.0.31", hostile), cam("b", kB, "127.0.0.32", "back\\slash")};
    fleet[1] = QJsonObject{{"id", "b"}, {"mac", kB}, {"ip", "127.0.0.32"}, {"host_name", "back\\slash"},
                           {"model_name", "L\"60\n"}};
    QVERIFY2(sim.start(fleet), qPrintable(sim.errorString()));
    Rig rig(sim.cameraPort());
    QVERIFY(rig.round(2));
    QVERIFY(sim.set("b", {{"silent", true}}));
    QVERIFY(rig.round(1));
    for (int i = 0; i < SiteWatch::kDoubtTicks; ++i)
        rig.tick();

    QString error;
    const QJsonArray samples = parsedByPrometheus(SiteMetrics::text(*rig.watch), &error);
    QVERIFY2(!samples.isEmpty(), qPrintable(error));
    QHash<QString, QList<QPair<QJsonObject, double>>> byName;
    for (const QJsonValue &s : samples)
        byName[s[0].toString()] << qMakePair(s[1].toObject(), s[2].toDouble());
    const auto up = byName.value("zora_camera_up");
    QCOMPARE(up.size(), 2);
    QCOMPARE(up[0].first.value("host").toString(), hostile);
    QCOMPARE(up[0].second, 1.0);
    QCOMPARE(up[1].first.value("host").toString(), QString("back\\slash"));
    QCOMPARE(up[1].first.value("model").toString(), QString("L\"60\n"));
    QCOMPARE(up[1].second, 0.0);
    QCOMPARE(byName.value("zora_cameras").size(), 2);
    QCOMPARE(byName.value("zora_camera_last_seen_timestamp_seconds").size(), 2);
    QCOMPARE(byName.value("zora_scan_rounds_total").value(0).second, 2.0);
    QCOMPARE(byName.value("zora_watch_start_time_seconds").value(0).second,
             double(QDateTime(QDate(2026, 5, 4), QTime(12, 0), Qt::UTC).toSecsSinceEpoch()));
}

void TestSiteWatch::badRequestsRefused_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("status");     // the answer's first line starts so; "" none
    QTest::newRow("scrape") << QByteArray("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n") << QByteArray("HTTP/1.1 200");
    QTest::newRow("query ignored") << QByteArray("GET /metrics?a=1 HTTP/1.0\r\n\r\n") << QByteArray("HTTP/1.1 200");
    QTest::newRow("POST") << QByteArray("POST /metrics HTTP/1.1\r\nContent-Length: 2\r\n\r\nab")
                          << QByteArray("HTTP/1.1 405");
    QTest::newRow("other path") << QByteArray("GET /../etc/passwd HTTP/1.1\r\n\r\n") << QByteArray("HTTP/1.1 404");
    QTest::newRow("not HTTP") << QByteArray("\x16\x03\x01\x02\x01\x01\r\n\r\n") << QByteArray("HTTP/1.1 400");
    QTest::newRow("1 MB request line") << "GET /" + QByteArray(1 << 20, 'a') << QByteArray();
    QTest::newRow("silent client") << QByteArray() << QByteArray();
    QTest::newRow("head never ends") << QByteArray("GET /metrics HTTP/1.1\r\n") << QByteArray();
}

void TestSiteWatch::badRequestsRefused()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    CamSimProcess sim;
    QVERIFY2(sim.start(threeCameras()), qPrintable(sim.errorString()));
    Rig rig(sim.cameraPort());
    QVERIFY(rig.round(3));
    MetricsServer server([&rig] { return SiteMetrics::text(*rig.watch); });
    server.setIdleMs(300);
    QString why;
    QVERIFY2(server.listen(QHostAddress::LocalHost, 0, &why), qPrintable(why));

    QTcpSocket client;
    QByteArray answer;
    QObject::connect(&client, &QTcpSocket::readyRead, &client, [&] { answer += client.readAll(); });
    client.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(client.waitForConnected(5000));
    client.write(request);
    // Every request ends with the server closing the connection: answered, refused or
    // given up on.
    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 10000);
    if (status.isEmpty())
        QVERIFY2(!answer.contains("200 OK"), answer.left(200).constData());
    else
        QVERIFY2(answer.startsWith(status), answer.left(200).constData());
    if (status.endsWith("200")) {
        const QByteArray body = answer.mid(answer.indexOf("\r\n\r\n") + 4);
        QString error;
        QVERIFY2(!parsedByPrometheus(body, &error).isEmpty(), qPrintable(error));
    }
    // The server is none the worse for it.
    QTRY_COMPARE_WITH_TIMEOUT(server.clients(), 0, 5000);
    QTcpSocket next;
    QByteArray nextAnswer;
    QObject::connect(&next, &QTcpSocket::readyRead, &next, [&] { nextAnswer += next.readAll(); });
    next.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(next.waitForConnected(5000));
    next.write("GET /metrics HTTP/1.1\r\n\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(next.state(), QAbstractSocket::UnconnectedState, 10000);
    QVERIFY(nextAnswer.startsWith("HTTP/1.1 200"));
}

void TestSiteWatch::eventLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("text");        // the readable line after the time
    const QString evil = "gate\n2026-01-01T00:00:00Z gone \x1b[2J\\";
    QTest::newRow("appeared")
        << int(SiteEvent::Kind::Appeared) << "gate" << "" << "appeared " + kA + " 127.0.0.31 host \"gate\" model \"L80\" on eth2";
    QTest::newRow("host changed, both names escaped onto one line")
        << int(SiteEvent::Kind::HostChanged) << evil << evil
        << "host_changed " + kA
               + " 127.0.0.31 host \"gate\\x0a2026-01-01T00:00:00Z gone \\x1b[2J\\x5c\" model \"L80\" on eth2: "
                 "host name changed from \"gate\\x0a2026-01-01T00:00:00Z gone \\x1b[2J\\x5c\"";
}

void TestSiteWatch::eventLines()
{
    QFETCH(int, kind);
    QFETCH(QString, host);
    QFETCH(QString, previous);
    QFETCH(QString, text);
    SiteEvent e;
    e.kind = SiteEvent::Kind(kind);
    e.time = QDateTime(QDate(2026, 5, 4), QTime(12, 0, 1), Qt::UTC);
    e.mac = kA;
    e.address = "127.0.0.31";
    e.host = host;
    e.model = "L80";
    e.adapter = "eth2";
    e.previous = previous;
    QCOMPARE(e.textLine(), "2026-05-04T12:00:01Z " + text);
    const QByteArray line = e.jsonLine();
    QCOMPARE(line.count('\n'), 1);
    QVERIFY(line.endsWith('\n'));
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    QCOMPARE(o.value("host").toString(), host);
    QCOMPARE(o.value("time").toString(), QString("2026-05-04T12:00:01Z"));
    QCOMPARE(o.contains("previous"), e.kind == SiteEvent::Kind::HostChanged);
}

void TestSiteWatch::eventLogNewestFirstBounded_data()
{
    QTest::addColumn<QList<int>>("bursts");     // events added before each flush
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("newest");            // number of the first row's event
    QTest::addColumn<int>("oldest");
    const int max = SiteEventLog::kMaxEvents;
    QTest::newRow("a few") << QList<int>{3} << 3 << 3 << 1;
    QTest::newRow("two flushes") << QList<int>{2, 3} << 5 << 5 << 1;
    QTest::newRow("one burst past the bound") << QList<int>{max + 7} << max << max + 7 << 8;
    QTest::newRow("a burst pushing the old out") << QList<int>{max - 1, 5} << max << max + 4 << 5;
}

void TestSiteWatch::eventLogNewestFirstBounded()
{
    QFETCH(QList<int>, bursts);
    QFETCH(int, rows);
    QFETCH(int, newest);
    QFETCH(int, oldest);
    SiteEventLog log;
    int n = 0;
    for (int burst : bursts) {
        for (int i = 0; i < burst; ++i) {
            SiteEvent e;
            e.mac = QString::number(++n);
            log.add(e);
        }
        log.flush();
    }
    QCOMPARE(log.rowCount(), rows);
    QCOMPARE(log.at(0).mac, QString::number(newest));
    QCOMPARE(log.at(rows - 1).mac, QString::number(oldest));
    for (int r = 1; r < rows; ++r)
        QVERIFY(log.at(r - 1).mac.toInt() > log.at(r).mac.toInt());
}

QTEST_GUILESS_MAIN(TestSiteWatch)
#include "tst_site_watch.moc"

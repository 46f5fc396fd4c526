// The runs on many cameras driven as a front end other than zoractl would drive them:
// through a sink that records, against the simulator. A rollout's stop between its
// canaries and the rest, the progress it reports, and a plan apply's rows.
#include "camsim_process.h"
#include "protocol/camera_network.h"
#include "site/camera_locator.h"
#include "site/firmware_rollout.h"
#include "site/plan_apply.h"
#include "site/plan_log.h"
#include "site/plan_steps.h"
#include "site/run_sink.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr qint64 kImageSize = 3145752;

// Quick intervals, and every status line kept.
class RecordingSink final : public RunSink
{
public:
    explicit RecordingSink(int clockMs = 50) : RunSink(100, clockMs) {}
    void status(const QString &text) override { lines << text; }
    QStringList lines;
};

struct Site {
    CamSimProcess sim;
    TestSupport::AppDir app;
    QTemporaryDir dir;
    std::unique_ptr<CameraNetwork> network;

    bool start(const QJsonArray &cams, bool ftp)
    {
        const quint16 ftpPort = CamSimProcess::freeTcpPort();
        if (!sim.start(cams, ftp ? QStringList{"--ftp-port", QString::number(ftpPort)} : QStringList{"--no-ftp"}))
            return false;
        AppOptions options;
        options.broadcast = QHostAddress("127.255.255.255");
        options.cameraPort = sim.cameraPort();
        options.localPort = CamSimProcess::freeUdpPort();
        options.ftpPort = ftpPort;
        network = std::make_unique<CameraNetwork>(options);
        QStringList macs;
        for (const QJsonValue &c : cams)
            macs << c.toObject().value("mac").toString();
        return CameraLocator(*network).scan(5000, macs) && network->records().size() == cams.size();
    }
    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
    int flashes(const QString &id) { return sim.get(id).value("state").toObject().value("flashes").toArray().size(); }
};

QJsonObject camera(const QString &id, const QString &mac, const QString &ip, int model)
{
    return {{"id", id}, {"mac", mac}, {"ip", ip}, {"model", model}, {"model_name", model == 0 ? "L80" : "L60"},
            {"host_name", id}, {"flash_seconds", 0.2}, {"restart_delay", 0.2}};
}

} // namespace

class TestSiteRuns : public QObject
{
    Q_OBJECT

private slots:
    void rolloutCanaryThenTheRest_data();
    void rolloutCanaryThenTheRest();
    void planApplyRows();
    void planApplyRowWithoutLogin();
    void planFollowsRestartsByAsking_data();
    void planFollowsRestartsByAsking();
};

void TestSiteRuns::rolloutCanaryThenTheRest_data()
{
    QTest::addColumn<int>("stopStatus");   // asked for as the canary ends; 0: none
    QTest::addColumn<QString>("restVerdict");
    QTest::addColumn<int>("restStatus");
    QTest::addColumn<int>("restFlashes");
    QTest::newRow("the rest follows an updated canary") << 0 << "updated" << 0 << 1;
    // The stop comes after the canary's runner has no camera left to start: only the
    // rollout's own check keeps the image from the rest.
    QTest::newRow("a stop during the canary keeps the rest") << 143 << "skipped" << 143 << 0;
}

void TestSiteRuns::rolloutCanaryThenTheRest()
{
    QFETCH(int, stopStatus);
    QFETCH(QString, restVerdict);
    QFETCH(int, restStatus);
    QFETCH(int, restFlashes);
    Site site;
    const QString canary = "00:0A:1B:7F:00:01", rest = "00:0A:1B:7F:00:02";
    QVERIFY2(site.start({camera("f1", canary, "127.0.6.11", 0), camera("f2", rest, "127.0.6.12", 0)}, true),
             qPrintable(site.sim.errorString()));
    FirmwareRollout::Job job;
    job.image = site.write("image.bin", QByteArray(kImageSize, '\x5a'));
    FirmwareRollout rollout(*site.network, job);
    QVERIFY(rollout.refusal({canary, rest}).isEmpty());
    rollout.plan({canary, rest}, {});
    QCOMPARE(rollout.toUpdate(), QStringList({canary, rest}));
    RecordingSink sink;
    QStringList events;
    connect(&rollout, &FirmwareRollout::phaseChanged, this,
            [&events](const QString &mac, const QString &phase) { events << mac + ' ' + phase; });
    connect(&rollout, &FirmwareRollout::cameraLeft, this, [&events](const QString &mac) { events << mac + " left"; });
    connect(&rollout, &FirmwareRollout::cameraEnded, this, [&](const BatchResult &r) {
        events << r.mac + " ended";
        if (stopStatus)
            sink.requestStop(stopStatus);
    });
    QList<int> counts;
    connect(&rollout, &FirmwareRollout::countsChanged, this, [&counts](int done, int) { counts << done; });
    const QList<BatchResult> results = rollout.run(sink, {"root", "pass", {}, true}, nullptr);

    QCOMPARE(results.size(), 2);
    QCOMPARE(results[0].verdict, QString("updated"));
    QCOMPARE(results[1].verdict, restVerdict);
    QCOMPARE(results[1].status, restStatus);
    QCOMPARE(site.flashes("f2"), restFlashes);
    const QStringList canaryEvents = events.filter(canary);
    QCOMPARE(canaryEvents, QStringList({canary + " reading the version", canary + " uploading", canary + " restarting",
                                        canary + " reading the version", canary + " left", canary + " ended"}));
    QCOMPARE(counts.first(), 0);
    QCOMPARE(counts.last(), restFlashes ? 2 : 1);
    // The cameras in flight are the front end's to show, not a runner's one-line status.
    QVERIFY2(sink.lines.isEmpty(), qPrintable(sink.lines.join('|')));
}

void TestSiteRuns::planApplyRows()
{
    Site site;
    const QString change = "00:0A:1B:7F:01:01", kept = "00:0A:1B:7F:01:02", missing = "00:0A:1B:7F:01:7E";
    QVERIFY2(site.start({camera("p1", change, "127.0.6.21", 1), camera("p2", kept, "127.0.6.22", 1)}, false),
             qPrintable(site.sim.errorString()));
    const QString path = site.write("plan.csv", QStringLiteral("mac,host\n%1,renamed\n%2,p2\n%3,ghost\n")
                                                    .arg(change, kept, missing).toUtf8());
    QStringList errors;
    const std::optional<SitePlan> plan = SitePlan::read(path, &errors);
    QVERIFY2(plan, qPrintable(errors.join('\n')));
    PlanLog log(site.dir.filePath("plan.log"));
    QString error;
    QVERIFY2(log.open(&error), qPrintable(error));
    PlanApply::Job job{*plan, PlanSteps::check(*site.network, *plan), {}, &log, {}, 8, false};
    job.loginFor = [](const SitePlan::Entry &, QString *) {
        return std::optional<LoginEntry>({"root", "pass", {}, true});
    };
    PlanApply apply(*site.network, job);
    QVERIFY2(apply.prepare(&error), qPrintable(error));
    QStringList ended;
    connect(&apply, &PlanApply::cameraEnded, this,
            [&ended](const QString &mac, const QString &verdict, const QString &) { ended << mac + ' ' + verdict; });
    RecordingSink sink;
    const QList<PlanApply::Line> lines = apply.run(sink);

    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0].mac, change);
    QCOMPARE(lines[0].verdict, QString("success"));
    QVERIFY(lines[0].ran && !lines[0].failed && !lines[0].partWay);
    QCOMPARE(lines[1].verdict, QString("as planned"));
    QVERIFY(!lines[1].ran && !lines[1].failed);
    QCOMPARE(lines[2].verdict, QString("missing"));
    QVERIFY(!lines[2].ran && lines[2].failed);
    QCOMPARE(ended, QStringList{change + " success"});
    QVERIFY(!sink.lines.isEmpty());
    QVERIFY(!apply.stopping());
    // The log knows what was sent: a resumed apply would not send it again.
    QCOMPARE(PlanLog::doneSteps(site.dir.filePath("plan.log"), &error), QSet<QString>{PlanLog::key(change, "host")});
}

void TestSiteRuns::planApplyRowWithoutLogin()
{
    Site site;
    const QString mac = "00:0A:1B:7F:02:01";
    QVERIFY2(site.start({camera("p1", mac, "127.0.6.31", 1)}, false), qPrintable(site.sim.errorString()));
    QStringList errors;
    const std::optional<SitePlan> plan =
        SitePlan::read(site.write("plan.csv", QStringLiteral("mac,host\n%1,renamed\n").arg(mac).toUtf8()), &errors);
    QVERIFY2(plan, qPrintable(errors.join('\n')));
    PlanApply::Job job{*plan, PlanSteps::check(*site.network, *plan), {}, nullptr, {}, 8, false};
    job.loginFor = [](const SitePlan::Entry &, QString *why) {
        *why = "no password";
        return std::optional<LoginEntry>();
    };
    PlanApply apply(*site.network, job);
    QString error;
    QVERIFY(!apply.prepare(&error));
    QCOMPARE(error, mac + ": no password");
}

// A camera that restarts after a change is asked for at its new address every second,
// so a plan waits about its restarts, not the presence poll's 10 s after each.
void TestSiteRuns::planFollowsRestartsByAsking_data()
{
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<int>("restarts");

    QTest::newRow("new name") << "mac,host" << "renamed" << "127.0.6.51" << 1;
    QTest::newRow("new address and name") << "mac,ip,host" << "127.0.6.61,renamed" << "127.0.6.61" << 2;
}

void TestSiteRuns::planFollowsRestartsByAsking()
{
    QFETCH(QString, columns);
    QFETCH(QString, values);
    QFETCH(QString, ip);
    QFETCH(int, restarts);
    Site site;
    const QString mac = "00:0A:1B:7F:03:01";
    QVERIFY2(site.start({camera("p1", mac, "127.0.6.51", 1)}, false), qPrintable(site.sim.errorString()));
    QStringList errors;
    const std::optional<SitePlan> plan = SitePlan::read(
        site.write("plan.csv", QStringLiteral("%1\n%2,%3\n").arg(columns, mac, values).toUtf8()), &errors);
    QVERIFY2(plan, qPrintable(errors.join('\n')));
    PlanApply::Job job{*plan, PlanSteps::check(*site.network, *plan), {}, nullptr, {}, 8, false};
    job.loginFor = [](const SitePlan::Entry &, QString *) {
        return std::optional<LoginEntry>({"root", "pass", {}, true});
    };
    PlanApply apply(*site.network, job);
    QString error;
    QVERIFY2(apply.prepare(&error), qPrintable(error));
    // The run's own 500 ms clock: at a quicker one the presence poll's every 20th tick
    // would ask as often as the follow does, and might be the one that finds the camera.
    RecordingSink sink(0);
    QElapsedTimer clock;
    clock.start();
    const QList<PlanApply::Line> lines = apply.run(sink);
    const qint64 took = clock.elapsed();

    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].verdict, QString("success"));
    const QJsonObject state = site.sim.get("p1").value("state").toObject();
    QCOMPARE(state.value("settings").toObject().value("ip").toString(), ip);
    QCOMPARE(state.value("restarts").toInt(), restarts);
    // Each restart of 0.2 s is noticed at the next ask, well before the 10 s cadence.
    QVERIFY2(took < restarts * 4000, qPrintable(QString::number(took)));
    int asked = 0;
    for (const QJsonValue &v : site.sim.log("p1")) {
        const QJsonObject entry = v.toObject();
        // A discovery request is the nine bytes "ADCT", version, length 9, type.
        const QString hex = entry.value("hex").toString();
        asked += entry.value("via").toString() == "unicast" && hex.size() == 18 && hex.startsWith("41444354") ? 1 : 0;
    }
    QVERIFY2(asked >= restarts, qPrintable(QString::number(asked)));
}

QTEST_GUILESS_MAIN(TestSiteRuns)
#include "tst_site_runs.moc"

// Firmware for a simulated site through the real zoractl: a staged rollout, a failed
// canary, a camera that never comes back, a refused list, a dry run, a rollout
// interrupted and resumed from its log, and signals while a camera writes its flash.
#include "camsim_process.h"
#include "zoractl_helper.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr qint64 kImageSize = 3145752;
const QHash<QString, QString> kQuick = {{"ZORACTL_CLOCK_MS", "50"}};

QString macOf(int i)
{
    return QString("00:0A:1B:7E:00:%1").arg(i, 2, 16, QChar('0')).toUpper();
}

QJsonObject camera(int i, const QJsonObject &extra = {})
{
    QJsonObject c{{"id", QString("f%1").arg(i)},   {"mac", macOf(i)},
                  {"ip", QString("127.0.5.%1").arg(10 + i)}, {"model", 0},
                  {"model_name", "L80"},            {"flash_seconds", 0.2},
                  {"restart_delay", 0.2}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        c[it.key()] = it.value();
    return c;
}

struct Site {
    CamSimProcess sim;
    std::unique_ptr<Tool> tool;
    QStringList ftp;
    QTemporaryDir dir;

    bool start(const QJsonArray &cams)
    {
        const quint16 port = CamSimProcess::freeTcpPort();
        if (!sim.start(cams, {"--ftp-port", QString::number(port)}))
            return false;
        tool = std::make_unique<Tool>(sim);
        ftp = {"--ftp-port", QString::number(port)};
        QFile image(dir.filePath("image.bin"));
        if (!image.open(QIODevice::WriteOnly))
            return false;
        image.write(QByteArray(kImageSize, '\x5a'));
        return true;
    }
    QString image() const { return dir.filePath("image.bin"); }
    QStringList args(const QStringList &more) const
    {
        return QStringList{"firmware", "--image", image()} + more + ftp + tool->login();
    }
    Run run(const QStringList &more) { return tool->run(args(more), kQuick); }
    QJsonObject state(int i) { return sim.get(QString("f%1").arg(i)).value("state").toObject(); }
    int flashes(int i) { return state(i).value("flashes").toArray().size(); }
    // Writing its flash: the image is in, the final reply held back.
    bool flashing(int i) { return state(i).value("flashing").toBool(); }
    // Up again after the restart of a flash.
    bool backFromFlash(int i)
    {
        const QJsonObject s = state(i);
        return s.value("restarts").toInt() > 0 && s.value("status").toString() == "up" && !s.value("flashing").toBool();
    }
    QString version(int i)
    {
        QFile f(QDir(sim.get(QString("f%1").arg(i)).value("state").toObject().value("root").toString())
                    .filePath("etc/general.conf"));
        f.open(QIODevice::ReadOnly);
        const QByteArray text = f.readAll();
        const qsizetype at = text.indexOf("software_version");
        return QString::fromLatin1(text.mid(at, text.indexOf('\n', at) - at));
    }
};

QStringList macs(int from, int to)
{
    QStringList out;
    for (int i = from; i < to; ++i)
        out << macOf(i);
    return out;
}

QJsonArray resultsOf(const Run &r)
{
    return QJsonDocument::fromJson(r.out.toUtf8()).array();
}

// The log's records of one camera as "step result" words.
QStringList logOf(const QString &path, const QString &mac)
{
    QFile f(path);
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.value("mac").toString() == mac)
            out << o.value("step").toString().section(' ', 0, 0) + ' ' + o.value("result").toString();
    }
    return out;
}

} // namespace

class TestFirmwareE2e : public QObject
{
    Q_OBJECT

private slots:
    void rolloutOfEight();
    void failedCanaryStopsTheRest();
    void refusedBeforeAnyUpload();
    void interruptedRolloutResumes();
    void signalWhileFlashing_data();
    void signalWhileFlashing();
    void killedWhileFlashingNeverFlashesTwice();
};

void TestFirmwareE2e::rolloutOfEight()
{
    Site site;
    QJsonArray cams;
    for (int i = 0; i < 9; ++i)
        cams.append(camera(i, i == 8 ? QJsonObject{{"after_restart", QJsonObject{{"silent", true}}}} : QJsonObject{}));
    QVERIFY2(site.start(cams), qPrintable(site.sim.errorString()));
    const QString before = site.version(0);

    const Run r = site.run(macs(0, 8) + QStringList{"--canary", "1", "--parallel", "4", "--backup",
                                                   site.dir.filePath("backup"), "--json"});
    QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
    for (const QJsonValue &v : resultsOf(r)) {
        QCOMPARE(v.toObject().value("result").toString(), QString("updated"));
        QVERIFY(v.toObject().value("sent").toBool());
    }
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(site.flashes(i), 1);
        QVERIFY(site.version(i) != before);
        QVERIFY(QFile::exists(QDir(site.dir.filePath("backup")).filePath(macOf(i).replace(':', '-') + "/manifest.json")));
    }

    // A camera that never comes back after its flash, and an expected version no camera reports.
    const Run lost = site.run({macOf(8), "--canary", "0"});
    QCOMPARE(lost.status, 8);
    QVERIFY2(lost.out.contains("not back"), qPrintable(lost.out));
    const Run wrong = site.run({macOf(0), "--expect-version", "9.9.9"});
    QCOMPARE(wrong.status, 3);
    QVERIFY2(wrong.out.contains("wrong version"), qPrintable(wrong.out));
    // A camera already at the version expected is not flashed again.
    const QString now = site.version(1).section('=', 1).remove('"').trimmed();
    const Run already = site.run({macOf(1), "--expect-version", now, "--json"});
    QCOMPARE(already.status, 0);
    const QJsonObject alreadyResult = resultsOf(already).first().toObject();
    QVERIFY2(alreadyResult.value("message").toString().contains("nothing was sent"), qPrintable(already.out));
    QCOMPARE(alreadyResult.value("sent").toBool(), false);
    QCOMPARE(site.flashes(1), 1);
}

void TestFirmwareE2e::failedCanaryStopsTheRest()
{
    Site site;
    QJsonArray cams;
    for (int i = 0; i < 4; ++i)
        cams.append(camera(i));
    QVERIFY2(site.start(cams), qPrintable(site.sim.errorString()));
    // The canary comes back with the version it had.
    const QString old = site.version(0).section('=', 1).remove('"').trimmed();
    QVERIFY(!old.isEmpty());
    QVERIFY(site.sim.set("f0", QJsonObject{{"flash_version", old}}));

    const Run r = site.run(macs(0, 4) + QStringList{"--json"});
    QCOMPARE(r.status, 9);
    const QJsonArray results = resultsOf(r);
    QCOMPARE(results.at(0).toObject().value("result").toString(), QString("wrong version"));
    for (int i = 1; i < 4; ++i) {
        QCOMPARE(results.at(i).toObject().value("result").toString(), QString("skipped"));
        QCOMPARE(site.flashes(i), 0);
    }
}

void TestFirmwareE2e::refusedBeforeAnyUpload()
{
    Site site;
    QVERIFY2(site.start({camera(0), camera(1, {{"model", 3}, {"model_name", "L81"}})}),
             qPrintable(site.sim.errorString()));
    struct Case {
        QStringList args;
        int status;
        QString text;
    };
    const QList<Case> cases = {
        {{macOf(0), macOf(1)}, 2, "mixes models"},
        {{macOf(0), macOf(1), "--dry-run"}, 2, "mixes models"},
        {{"--model", "L81", "--dry-run"}, 0, "canary  " + macOf(1)},
        {{macOf(0), macOf(1), "--model", "L80"}, 2, "one of them"},
    };
    for (const Case &c : cases) {
        const Run r = site.run(c.args);
        QCOMPARE(r.status, c.status);
        QVERIFY2(QString(r.out + r.err).contains(c.text), qPrintable(r.out + r.err));
    }
    // The plan for scripts.
    const Run plan = site.run({"--model", "L81", "--dry-run", "--json"});
    QCOMPARE(plan.status, 0);
    const QJsonObject doc = QJsonDocument::fromJson(plan.out.toUtf8()).object();
    const QJsonArray due = doc.value("to_update").toArray();
    QCOMPARE(due.size(), 1);
    QCOMPARE(due.first().toObject().value("mac").toString(), macOf(1));
    QCOMPARE(due.first().toObject().value("stage").toString(), QString("canary"));
    QCOMPARE(doc.value("already_updated").toInt(), 0);
    // Not an image a camera takes.
    QFile::resize(site.image(), kImageSize - 1);
    const Run shortImage = site.run({macOf(0)});
    QCOMPARE(shortImage.status, 2);
    QCOMPARE(site.flashes(0) + site.flashes(1), 0);
}

void TestFirmwareE2e::interruptedRolloutResumes()
{
    Site site;
    QJsonArray cams;
    for (int i = 0; i < 5; ++i)
        cams.append(camera(i, {{"flash_seconds", 0.5}}));
    QVERIFY2(site.start(cams), qPrintable(site.sim.errorString()));
    const QString log = site.dir.filePath("rollout.log");
    const QStringList args = macs(0, 5) + QStringList{"--canary", "0", "--parallel", "1", "--log", log};

    // Ctrl-C once the first image is up: that camera finishes, no other starts.
    QProcess p;
    site.tool->start(p, site.args(args), kQuick);
    QElapsedTimer waited;
    waited.start();
    auto logged = [&log] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) && f.readAll().contains("\"sent\"");
    };
    while (!logged() && waited.elapsed() < 30000)
        QTest::qWait(10);
    QVERIFY(logged());
    ::kill(pid_t(p.processId()), SIGINT);
    const Run first = Tool::finish(p);
    QCOMPARE(first.status, 130);

    QList<int> flashedFirst;
    for (int i = 0; i < 5; ++i)
        flashedFirst << site.flashes(i);
    QCOMPARE(flashedFirst.count(1), 1);
    const Run second = site.run(args + QStringList{"--json"});
    QVERIFY2(second.status == 0, qPrintable(second.out + second.err));
    QVERIFY2(second.out.contains("updated by an earlier run"), qPrintable(second.out));
    const QJsonArray results = resultsOf(second);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(site.flashes(i), 1);
        // Only the cameras the first run had not reached are sent the image now.
        QCOMPARE(results.at(i).toObject().value("sent").toBool(), flashedFirst[i] == 0);
    }
}

void TestFirmwareE2e::signalWhileFlashing_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
    QTest::newRow("SIGHUP") << int(SIGHUP) << 129;
    QTest::newRow("SIGINT") << int(SIGINT) << 130;
}

// The signal comes while the first camera writes its flash: that camera is seen through
// to its new version and logged, no other starts, the scratch folder goes, and the
// rerun flashes only the camera left.
void TestFirmwareE2e::signalWhileFlashing()
{
    QFETCH(int, signal);
    QFETCH(int, status);
    Site site;
    // The flash is held back long enough that the signal, sent as soon as the test sees
    // it begin, lands while it goes on.
    QVERIFY2(site.start({camera(0, {{"flash_seconds", 3.0}}), camera(1)}), qPrintable(site.sim.errorString()));
    const QString log = site.dir.filePath("rollout.log");
    const QString scratch = site.dir.filePath("tmp");
    QVERIFY(QDir().mkpath(scratch));
    QHash<QString, QString> env = kQuick;
    env.insert("TMPDIR", scratch);
    const QStringList args = macs(0, 2) + QStringList{"--canary", "0", "--parallel", "1", "--log", log};

    QProcess p;
    site.tool->start(p, site.args(args), env);
    QVERIFY(p.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(site.flashing(0), 30000);
    ::kill(pid_t(p.processId()), signal);
    const Run first = Tool::finish(p);
    QVERIFY2(first.status == status, qPrintable(QString::number(first.status) + first.out + first.err));
    QCOMPARE(logOf(log, macOf(0)), QStringList({"upload started", "upload sent", "firmware done"}));
    QCOMPARE(logOf(log, macOf(1)), QStringList());
    QCOMPARE(QDir(scratch).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    QCOMPARE(site.flashes(1), 0);

    const Run second = site.tool->run(site.args(args), env);
    QVERIFY2(second.status == 0, qPrintable(second.out + second.err));
    QVERIFY2(second.out.contains("updated by an earlier run"), qPrintable(second.out));
    QCOMPARE(site.flashes(0), 1);
    QCOMPARE(site.flashes(1), 1);
}

// SIGKILL cannot be caught: the log's record of the upload, on the disk before the first
// byte, is what keeps a rerun from flashing the camera again, both while it still writes
// its flash and once it is back with the new version.
void TestFirmwareE2e::killedWhileFlashingNeverFlashesTwice()
{
    Site site;
    QVERIFY2(site.start({camera(0, {{"flash_seconds", 3.0}})}), qPrintable(site.sim.errorString()));
    const QString before = site.version(0).section('=', 1).remove('"').trimmed();
    const QString log = site.dir.filePath("rollout.log");
    const QStringList args = {macOf(0), "--log", log};

    QProcess p;
    site.tool->start(p, site.args(args), kQuick);
    QVERIFY(p.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(site.flashing(0), 30000);
    p.kill();
    QVERIFY(p.waitForFinished());
    QCOMPARE(logOf(log, macOf(0)), QStringList{"upload started"});
    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonObject started = QJsonDocument::fromJson(f.readAll().trimmed()).object();
    QCOMPARE(started.value("version").toString(), before);

    // Whatever the camera is doing now (writing, restarting, back), it gets nothing.
    const Run early = site.run(args);
    QCOMPARE(site.flashes(0), 1);
    QTRY_VERIFY_WITH_TIMEOUT(site.backFromFlash(0), 30000);
    const Run late = site.run(args);
    QVERIFY2(late.status == 0, qPrintable(early.out + early.err + late.out + late.err));
    QVERIFY2(late.out.contains("updated by an earlier run"), qPrintable(late.out));
    QCOMPARE(site.flashes(0), 1);
}

QTEST_GUILESS_MAIN(TestFirmwareE2e)
#include "tst_firmware_e2e.moc"

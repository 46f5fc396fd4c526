// The window's actions on many cameras at once against the simulator: a selection of
// twenty backed up as zoractl backs them up, a field set on all of them and two restored
// from their backups, a rollout with a canary, a plan refused for its error and applied
// once mended, and a job cancelled (or the window closed) in the middle.
#include "window_rig_helper.h"

#include "base/app_options.h"
#include "desktop/site_action_inputs.h"
#include "desktop/site_jobs.h"
#include "desktop/ui/site/jobs_pane.h"
#include "protocol/camera_list.h"
#include "site/camera_backup.h"
#include "site/job_board.h"
#include "site/plan_check.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

constexpr qint64 kImageSize = 3145752;

struct ScriptedInputs final : SiteActionInputs {
    QString folder;
    std::optional<FirmwareRollout::Job> firmware;
    std::optional<Field> field;
    QString plan;
    std::optional<bool> planShownBlocked;

    QString backupFolder(int) override { return folder; }
    std::optional<Restore> restoreFrom(int) override { return Restore{folder, {}}; }
    std::optional<FirmwareRollout::Job> firmwareJob(int) override { return firmware; }
    std::optional<Field> fieldToSet(int) override { return field; }
    QString planFile() override { return plan; }
    bool confirmPlan(const PlanCheck &check) override
    {
        planShownBlocked = check.blocksApply();
        return true;
    }
};

QJsonArray fleet(int n, const QJsonObject &extra = {})
{
    QJsonArray cams;
    for (int i = 0; i < n; ++i) {
        QJsonObject cam = WindowRig::fileCamera(qPrintable(QStringLiteral("c%1").arg(i)), 0x40 + i);
        for (auto it = extra.begin(); it != extra.end(); ++it)
            cam[it.key()] = it.value();
        cams.append(cam);
    }
    return cams;
}

// Every file under root by its relative path; manifest.json without its times, which
// say when the backup was made.
QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        QByteArray bytes = f.readAll();
        if (path.endsWith(QLatin1String(CameraBackup::ManifestName))) {
            QJsonObject manifest = QJsonDocument::fromJson(bytes).object();
            manifest.remove("time");
            manifest.remove("time_utc");
            bytes = QJsonDocument(manifest).toJson();
        }
        files.insert(QDir(root).relativeFilePath(path), bytes);
    }
    return files;
}

// Commands (not discovery requests) that reached a camera.
int commandsTo(CamSimProcess &sim, const QString &id)
{
    int n = 0;
    for (const QJsonValue &v : sim.log(id))
        n += v.toObject().value("decoded").toObject().value("code").toVariant().toString() != "discovery"
             && v.toObject().contains("decoded");
    return n;
}

} // namespace

class TestSiteJobsEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void twentyBackedUpAsZoractlDoesThenAFieldOnAll();
    void rolloutOfThreeWithCanary();
    void planWithErrorRefusedThenApplied();
    void stoppedInTheMiddle_data();
    void stoppedInTheMiddle();

private:
    bool start(const QJsonArray &cams);
    void selectAll() { m_rig->window->cameraList()->selectAll(); }
    JobBoard &board() { return m_rig->window->core().jobs().board(); }

    std::unique_ptr<WindowRig> m_rig;
    ScriptedInputs m_inputs;
    QTemporaryDir m_dir;
};

void TestSiteJobsEndToEnd::init()
{
    m_rig = std::make_unique<WindowRig>();
    m_inputs = ScriptedInputs();
}

void TestSiteJobsEndToEnd::cleanup()
{
    m_rig.reset();
}

bool TestSiteJobsEndToEnd::start(const QJsonArray &cams)
{
    if (!m_rig->start(cams))
        return false;
    m_rig->window->setSiteActionInputs(&m_inputs);
    m_rig->window->core().jobs().setIntervals(100, 50);
    return true;
}

void TestSiteJobsEndToEnd::twentyBackedUpAsZoractlDoesThenAFieldOnAll()
{
    QVERIFY(start(fleet(20)));
    TAdminToolDlg &w = *m_rig->window;
    // The filter, then Ctrl+A: the cameras shown, not those the filter hides.
    auto *filter = w.findChild<QLineEdit *>("CameraFilter");
    filter->setText("c1");
    QTest::keyClick(w.cameraList(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(w.core().macsOfRows(w.selectedRows()).size(), 11);
    QCOMPARE(w.findChild<QLabel *>("StatusSelection")->text(), QString("11 selected"));
    filter->clear();
    QTest::keyClick(w.cameraList(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(w.selectedRows().size(), 20);
    QCOMPARE(w.findChild<QLabel *>("StatusSelection")->text(), QString("20 selected"));
    QVERIFY2(w.findChild<QLabel *>("NoCameraHint")->text().startsWith("20 cameras selected: 20 L80"),
             qPrintable(w.findChild<QLabel *>("NoCameraHint")->text()));

    m_inputs.folder = m_dir.filePath("window");
    w.runSiteAction("BackUp1");
    QCOMPARE(board().count(JobBoard::State::Done), 20);
    QVERIFY(w.jobsPane()->isVisible());
    QCOMPARE(m_rig->prompt.calls, 1);

    // zoractl's backup of the same cameras holds the same bytes.
    const QString zoractlOut = m_dir.filePath("zoractl");
    const QString password = m_dir.filePath("password");
    {
        QFile f(password);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("pass\n");
    }
    QProcess zoractl;
    const AppOptions &o = w.core().options();
    zoractl.start(QStringLiteral(ZORA_BINARY_DIR "/bin/zoractl"),
                  QStringList{"config", "backup", "--all", "--out", zoractlOut, "--user", "root", "--password-file", password,
                   "--broadcast", "127.255.255.255", "--camera-port", QString::number(o.cameraPort),
                   "--ftp-port", QString::number(o.ftpPort),
                   "--local-port", QString::number(CamSimProcess::freeUdpPort()), "--app-dir",
                   m_dir.filePath("app")});
    QVERIFY(zoractl.waitForFinished(60000));
    QVERIFY2(zoractl.exitCode() == 0, zoractl.readAllStandardError().constData());
    const QMap<QString, QByteArray> ours = tree(m_inputs.folder), theirs = tree(zoractlOut);
    QCOMPARE(ours.keys(), theirs.keys());
    QVERIFY(ours.size() > 20 * 3);
    for (auto it = ours.cbegin(); it != ours.cend(); ++it)
        QVERIFY2(it.value() == theirs.value(it.key()), qPrintable(it.key()));

    const QString exported = m_dir.filePath("results.csv");
    QVERIFY(w.core().jobs().exportResults(exported));
    QFile csv(exported);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 21);
    QCOMPARE(lines.first(), QByteArray("mac,result,address,message,status,sent"));

    // A value the page's checks refuse fails every camera with their message, and nothing
    // is uploaded; a good one goes to every camera, after one question.
    const QByteArray before = m_rig->cameraFile("c0", "etc/udp_server.conf");
    m_inputs.field = SiteActionInputs::Field{"stream.port", "99999999"};
    m_rig->messenger.clear();
    w.runSiteAction("SetField1");
    QCOMPARE(m_rig->messenger.shown().size(), 1);
    QCOMPARE(board().count(JobBoard::State::Failed), 20);
    QCOMPARE(board().results().first().text, QString("stream: Stream Server Port must be beteen 1 to 65535"));
    QCOMPARE(m_rig->cameraFile("c0", "etc/udp_server.conf"), before);
    m_inputs.field = SiteActionInputs::Field{"stream.port", "8554"};
    w.runSiteAction("SetField1");
    QCOMPARE(board().what(), QString("field change"));
    QCOMPARE(board().count(JobBoard::State::Done), 20);
    for (int i = 0; i < 20; ++i) {
        const QByteArray file = m_rig->cameraFile(qPrintable(QStringLiteral("c%1").arg(i)), "etc/udp_server.conf");
        QVERIFY2(file.contains("server_port=8554"), file.constData());
    }

    // Two of them given back their backups: the file as it was, byte for byte.
    m_rig->selectMac(WindowRig::macOf(0x40));
    w.cameraList()->selectionModel()->select(w.core().list().index(w.core().list().rowOfMac(WindowRig::macOf(0x41)), 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(w.selectedRows().size(), 2);
    w.runSiteAction("RestoreBackup1");
    QCOMPARE(board().what(), QString("restore"));
    QCOMPARE(board().count(JobBoard::State::Done), 2);
    QCOMPARE(m_rig->cameraFile("c0", "etc/udp_server.conf"), before);
}

void TestSiteJobsEndToEnd::rolloutOfThreeWithCanary()
{
    QVERIFY(start(fleet(3, {{"flash_seconds", 0.2}, {"flash_version", "2.1.0"}})));
    TAdminToolDlg &w = *m_rig->window;
    selectAll();
    const QString image = m_dir.filePath("image.bin");
    {
        QFile f(image);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(kImageSize, '\x5a'));
    }
    FirmwareRollout::Job job;
    job.image = image;
    job.expectVersion = "2.1.0";
    job.canary = 1;
    job.parallel = 2;
    m_inputs.firmware = job;
    // While the canary is in flight the other two wait and their pages are held.
    QStringList whileCanary;
    connect(&board(), &JobBoard::totalsChanged, this, [&] {
        if (whileCanary.isEmpty() && board().count(JobBoard::State::InFlight) == 1) {
            for (int i = 0; i < 3; ++i)
                whileCanary << JobBoard::stateName(board().state(WindowRig::macOf(0x40 + i)));
            m_rig->selectMac(WindowRig::macOf(0x42));
            whileCanary << w.findChild<QLabel *>("NoCameraHint")->text();
        }
    });
    w.runSiteAction("UpdateFirmware1");
    QCOMPARE(board().count(JobBoard::State::Done), 3);
    QCOMPARE(whileCanary.mid(0, 3), QStringList({"in flight", "waiting", "waiting"}));
    QVERIFY2(whileCanary.value(3).contains("in a job: firmware update"), qPrintable(whileCanary.value(3)));
    double canaryEnd = 0;
    for (int i = 0; i < 3; ++i) {
        const QJsonArray flashes =
            m_rig->sim->get(QStringLiteral("c%1").arg(i))["state"].toObject()["flashes"].toArray();
        QCOMPARE(flashes.size(), 1);
        const double at = flashes.first().toObject()["time"].toDouble();
        if (i == 0)
            canaryEnd = at;
        else
            QVERIFY(at > canaryEnd);
    }
    // The log beside the image: a second run sends nothing.
    QVERIFY(QFile::exists(SiteJobs::rolloutLogOf(image)));
    m_rig->messenger.clear();
    w.runSiteAction("UpdateFirmware1");
    QVERIFY2(m_rig->messenger.lastText().contains("updated with it already"), qPrintable(m_rig->messenger.lastText()));
    // The held camera's pages came back when its part was done.
    QVERIFY(!w.findChild<QLabel *>("NoCameraHint")->isVisible());
}

void TestSiteJobsEndToEnd::planWithErrorRefusedThenApplied()
{
    QVERIFY(start(fleet(2)));
    TAdminToolDlg &w = *m_rig->window;
    const QString a = WindowRig::macOf(0x40), b = WindowRig::macOf(0x41);
    auto writePlan = [this](const QByteArray &text) {
        QFile f(m_dir.filePath("plan.csv"));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return f.fileName();
    };
    // One address planned for two cameras: shown, nothing sent.
    m_inputs.plan = writePlan(QStringLiteral("mac,ip,host\n%1,127.0.0.90,a\n%2,127.0.0.90,b\n").arg(a, b).toUtf8());
    QVERIFY(!w.core().jobs().applyPlan());
    QCOMPARE(m_inputs.planShownBlocked, std::optional<bool>(true));
    QCOMPARE(commandsTo(*m_rig->sim, "c0") + commandsTo(*m_rig->sim, "c1"), 0);

    m_inputs.plan = writePlan(QStringLiteral("mac,host\n%1,gate-a\n%2,gate-b\n").arg(a, b).toUtf8());
    w.runSiteAction("ApplyPlan1");
    QCOMPARE(m_inputs.planShownBlocked, std::optional<bool>(false));
    QCOMPARE(board().what(), QString("site plan"));
    QCOMPARE(board().count(JobBoard::State::Done), 2);
    QCOMPARE(m_rig->sim->get("c0")["state"].toObject()["settings"].toObject()["host_name"].toString(),
             QString("gate-a"));
    QCOMPARE(m_rig->sim->get("c1")["state"].toObject()["settings"].toObject()["host_name"].toString(),
             QString("gate-b"));
}

void TestSiteJobsEndToEnd::stoppedInTheMiddle_data()
{
    QTest::addColumn<bool>("byClosing");
    QTest::newRow("Cancel in the jobs pane") << false;
    QTest::newRow("the window closed, Yes to cancelling") << true;
}

void TestSiteJobsEndToEnd::stoppedInTheMiddle()
{
    QFETCH(bool, byClosing);
    QVERIFY(start(fleet(6)));
    TAdminToolDlg &w = *m_rig->window;
    w.core().jobs().setParallel(1);
    selectAll();
    m_inputs.folder = m_dir.filePath("stopped");
    // As the first camera starts: the window stays usable, and the stop comes.
    bool asked = false;
    connect(&board(), &JobBoard::totalsChanged, this, [&] {
        if (asked || board().count(JobBoard::State::InFlight) != 1)
            return;
        asked = true;
        if (byClosing)
            w.close();
        else
            w.jobsPane()->findChild<QPushButton *>("JobsCancel")->click();
    });
    w.runSiteAction("BackUp1");
    QVERIFY(asked);
    QCOMPARE(board().count(JobBoard::State::Done), 1);
    QCOMPARE(board().count(JobBoard::State::Skipped), 5);
    QCOMPARE(QDir(m_inputs.folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    // Closing waits for the job, then closes.
    QTRY_COMPARE(w.isVisible(), !byClosing);
}

QTEST_MAIN(TestSiteJobsEndToEnd)
#include "tst_site_jobs_e2e.moc"

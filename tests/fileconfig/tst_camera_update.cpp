// The Camera Update page's logic against scripted runs: which upload a click starts,
// what each outcome does to the camera's row and credentials, and the daemon list.
#include "test_support.h"

#include "base/messenger.h"
#include "fileconfig/camera_update.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/config_runner.h"
#include "fileconfig/file_pages.h"
#include "protocol/config_item.h"
#include "protoconfig/credentials.h"
#include "transfer/firmware_runner.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

class ScriptedConfig final : public ConfigRunner
{
public:
    int run(const ConfigTransfer &t) override
    {
        runs.append(t);
        return result;
    }
    QStringList listing() const override { return names; }
    bool credentialsRejected() const override { return false; }

    QList<ConfigTransfer> runs;
    int result = Ok;
    QStringList names{".", "..", "head_b", "head_a"};
};

class ScriptedFirmware final : public FirmwareRunner
{
public:
    int run(const FlashJob &job, FirmwareUploadSession::Kind kind) override
    {
        jobs.append(job);
        kinds.append(kind);
        return result;
    }
    QList<FlashJob> jobs;
    QList<int> kinds;
    int result = FirmwareUploadSession::Done;
};

class RowHost final : public UpdateRowHost
{
public:
    void uploadStarted(int) override { calls << "started"; }
    void uploadFailed(int) override { calls << "failed"; }
    void kernelUpdated(int) override { calls << "kernel"; }
    void allUpdated(int) override { calls << "all"; }
    void rediscover() override { calls << "scan"; }
    QStringList calls;
};

class Prompt final : public CredentialPrompt
{
public:
    std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *ftp) override
    {
        withFtp.append(ftp != nullptr);
        return LoginEntry{"root", "pass", "21", true};
    }
    QList<bool> withFtp;
};

struct Rig {
    Rig()
        : update(messenger)
    {
        camera.Header = TestSupport::fromHex("5A 4F 52 41 02 40 00 05 00 00 0A 1B 2C 3D 4E 01 05");
        camera.Address = "127.0.0.9";
        camera.AdminId = "root";
        camera.AdminPassword = "pass";
        camera.FtpSettings = FtpConnectionSetting{2121, false, 1};
        update.setSelectionSource([this] {
            return selected ? FilePages::Selection{&camera, 4, "00:0A:1B:2C:3D:4E", "2"}
                            : FilePages::Selection();
        });
        update.setConfigRunner(&config);
        update.setFirmwareRunner(&firmware);
        update.setRowHost(&host);
        update.setCredentialPrompt(&prompt);
    }
    QString file(qint64 size)
    {
        const QString path = dir.filePath(QString::number(size));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray(size, 'x'));
        return path;
    }

    QTemporaryDir dir;
    ScriptedMessenger messenger;
    TConfigItem camera;
    bool selected = true;
    ScriptedConfig config;
    ScriptedFirmware firmware;
    RowHost host;
    Prompt prompt;
    CameraUpdate update;
};

} // namespace

class TestCameraUpdate : public QObject
{
    Q_OBJECT

private slots:
    void firmwareStart_data();
    void firmwareStart();
    void pictureStart_data();
    void pictureStart();
    void daemonList();
    void daemonAddAndDelete();
};

void TestCameraUpdate::firmwareStart_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<qint64>("size");   // -1: no file chosen
    QTest::addColumn<bool>("updateAll");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rowCalls");
    QTest::addColumn<bool>("credentialsKept");

    const int yes = Messenger::AnswerYes;
    const qint64 image = 3145752;
    QTest::newRow("no to the warning: the file is not even checked")
        << int(Messenger::AnswerNo) << qint64(10) << false << 1 << QString() << QStringList() << true;
    QTest::newRow("no file") << yes << qint64(-1) << false << 1 << "File Name is required"
                             << QStringList() << true;
    const QString invalid = "Invalid Flash Image File\n\nA firmware image has exactly 3,145,752 bytes; ";
    QTest::newRow("one byte short") << yes << image - 1 << false << 1
                                    << invalid + "this file has 3,145,751." << QStringList() << true;
    QTest::newRow("one byte long") << yes << image + 1 << false << 1
                                   << invalid + "this file has 3,145,753." << QStringList() << true;
    const QString restarts = " The System Info page then shows the version it runs.";
    QTest::newRow("kernel written")
        << yes << image << false << 1
        << "The new kernel was written to cam9 (00:0A:1B:2C:3D:4E).\nSoftware version before the update: "
           "2.1.4.\n\nThe camera restarts; its row shows it again when it answers." + restarts
        << QStringList{"started", "kernel", "scan"} << true;
    QTest::newRow("everything written")
        << yes << image << true << 1
        << "The new firmware was written to cam9 (00:0A:1B:2C:3D:4E).\nSoftware version before the update: "
           "2.1.4.\n\nThe camera restarts and is listed anew when it answers." + restarts
        << QStringList{"started", "all", "scan"} << true;
    QTest::newRow("login refused or no answer in time")
        << yes << image << false << 2 << QString() << QStringList{"started", "failed"} << false;
    QTest::newRow("store refused: the login was good")
        << yes << image << false << 3 << QString() << QStringList{"started", "failed"} << true;
    QTest::newRow("file gone at upload time") << yes << image << false << 4 << QString()
                                              << QStringList{"started"} << true;
}

void TestCameraUpdate::firmwareStart()
{
    QFETCH(int, answer);
    QFETCH(qint64, size);
    QFETCH(bool, updateAll);
    QFETCH(int, result);
    QFETCH(QString, message);
    QFETCH(QStringList, rowCalls);
    QFETCH(bool, credentialsKept);
    Rig rig;
    rig.camera.HostName = QByteArray("cam9");
    rig.update.noteVersion("00:0A:1B:2C:3D:4E", "2.1.4");
    rig.update.enter();
    QVERIFY(!rig.update.startEnabled());
    QCOMPARE(rig.update.startCaption(), QString("Firmware Upload"));
    if (size >= 0)
        rig.update.flashFileChosen(rig.file(size));
    rig.update.setUpdateAll(updateAll);
    rig.firmware.result = result;
    rig.messenger.queueAnswers({answer});
    rig.update.btnStartUpdateClick();

    QVERIFY(rig.messenger.shown().first().text.contains("improperly"));
    QCOMPARE(rig.messenger.shown().size(), message.isEmpty() ? 1 : 2);
    if (!message.isEmpty())
        QCOMPARE(rig.messenger.lastText(), message);
    QCOMPARE(rig.host.calls, rowCalls);
    QCOMPARE(rig.firmware.jobs.size(), rowCalls.isEmpty() ? 0 : 1);
    QCOMPARE(!rig.camera.AdminPassword.isEmpty(), credentialsKept);
    if (rig.firmware.jobs.isEmpty())
        return;
    const FlashJob &job = rig.firmware.jobs.first();
    QCOMPARE(job.remotePath(), updateAll ? QString("flash_all") : QString("flash"));
    QCOMPARE(rig.firmware.kinds.first(), updateAll ? 0 : 1);
    // The camera's FTP settings, but an image always goes binary.
    QCOMPARE(job.connection.port, 2121);
    QCOMPARE(job.connection.passive, false);
    QCOMPARE(job.connection.transferType, quint8(0));
    QCOMPARE(job.connection.host, QString("127.0.0.9"));
    // The image stays chosen for the next camera, whatever the outcome.
    QVERIFY(!rig.update.flashFileName().isEmpty());
    QVERIFY(rig.update.startEnabled());
    rig.update.enter();
    QVERIFY(!rig.update.flashFileName().isEmpty());
    QVERIFY(rig.update.startEnabled());
}

void TestCameraUpdate::pictureStart_data()
{
    QTest::addColumn<int>("picture");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<QString>("filter");
    QTest::newRow("logo") << 0 << "/etc/html/logo.gif" << "Gif Image|*.gif";
    QTest::newRow("top") << 1 << "/etc/html/a_top.jpg" << "JPEG Image|*.jpg";
    QTest::newRow("bottom") << 2 << "/etc/html/a_bottom.jpg" << "JPEG Image|*.jpg";
}

void TestCameraUpdate::pictureStart()
{
    QFETCH(int, picture);
    QFETCH(QString, remote);
    QFETCH(QString, filter);
    Rig rig;
    rig.update.enter();
    rig.update.pageCameraUpdateChange(CameraUpdate::Pictures);
    QCOMPARE(rig.update.startCaption(), QString("Picture File Upload"));
    rig.update.webLogoClick(CameraUpdate::Picture(picture));
    QCOMPARE(CameraUpdate::filterOf(rig.update.picture()), filter);
    rig.update.imageFileChosen(rig.file(5));
    rig.update.btnStartUpdateClick();
    QCOMPARE(rig.firmware.jobs.size(), 1);
    QCOMPARE(rig.firmware.jobs.first().remotePath(), remote);
    QCOMPARE(rig.firmware.kinds.first(), 2);
    // Pictures go in the camera's transfer type; no question, no row change.
    QCOMPARE(rig.firmware.jobs.first().connection.transferType, quint8(1));
    QVERIFY(rig.messenger.shown().isEmpty());
    QVERIFY(rig.host.calls.isEmpty());
    QVERIFY(!rig.update.startEnabled());

    // Another picture empties the name; the button stays as it was.
    rig.update.imageFileChosen(rig.file(5));
    rig.update.webLogoClick(CameraUpdate::Picture((picture + 1) % 3));
    QVERIFY(rig.update.imageFileName().isEmpty());
    QVERIFY(rig.update.startEnabled());
    rig.update.btnStartUpdateClick();
    QCOMPARE(rig.messenger.lastText(), QString("File Name is required"));

    // A refused login empties the credentials and says so.
    rig.update.imageFileChosen(rig.file(5));
    rig.firmware.result = FirmwareUploadSession::Failed;
    rig.update.btnStartUpdateClick();
    QVERIFY(rig.camera.AdminPassword.isEmpty());
    QVERIFY(rig.messenger.lastText().startsWith("Admin Authentication Failed\n\n"));
}

void TestCameraUpdate::daemonList()
{
    Rig rig;
    rig.selected = false;
    rig.update.pageCameraUpdateChange(CameraUpdate::Daemons);
    QVERIFY(!rig.update.daemonListEnabled() && !rig.update.addDaemonEnabled());
    QVERIFY(rig.config.runs.isEmpty());
    QVERIFY(!rig.update.startVisible());

    rig.selected = true;
    rig.camera.AdminPassword.clear();
    rig.update.pageCameraUpdateChange(CameraUpdate::Daemons);
    QCOMPARE(rig.prompt.withFtp, QList<bool>{true});
    QCOMPARE(rig.config.runs.size(), 1);
    QCOMPARE(rig.config.runs.first().set, int(ConfigFileSet::DaemonListing));
    QCOMPARE(rig.update.daemons(), (QStringList{"head_b", "head_a"}));
    QVERIFY(rig.update.daemonListEnabled() && rig.update.addDaemonEnabled());
    QVERIFY(!rig.update.deleteDaemonEnabled());

    // A failed listing keeps this camera's last names; another camera's are never shown.
    rig.config.result = ConfigRunner::Cancel;
    rig.config.names = {"other"};
    rig.update.pageCameraUpdateChange(CameraUpdate::Daemons);
    QCOMPARE(rig.update.daemons(), (QStringList{"head_b", "head_a"}));
    rig.camera.Header = TestSupport::fromHex("5A 4F 52 41 02 40 00 05 00 00 0A 1B 2C 3D 4F 01 05");
    rig.update.setSelectionSource([&rig] {
        return FilePages::Selection{&rig.camera, 5, "00:0A:1B:2C:3D:4F", "2"};
    });
    rig.update.pageCameraUpdateChange(CameraUpdate::Daemons);
    QVERIFY(rig.update.daemons().isEmpty());
}

void TestCameraUpdate::daemonAddAndDelete()
{
    Rig rig;
    rig.update.pageCameraUpdateChange(CameraUpdate::Daemons);
    rig.config.runs.clear();

    for (const QString &refused : {QString("abc"), QString("/tmp/head\nDELE x")}) {
        QCOMPARE(CameraUpdate::daemonPathRefusal(refused), std::optional<QString>("Invalid File Name..."));
        rig.update.btnAddDaemonClick(refused);
    }
    rig.update.btnAddDaemonClick(std::nullopt);
    QVERIFY(rig.config.runs.isEmpty());

    rig.config.names = {"head_b", "head_a", "head_c"};
    rig.update.btnAddDaemonClick(QString("/tmp/daemons/head_c"));
    QCOMPARE(rig.config.runs.size(), 1);
    QCOMPARE(rig.config.runs.last().set, int(ConfigFileSet::DaemonAdd));
    QCOMPARE(rig.config.runs.last().daemon, QString("/tmp/daemons/head_c"));
    QCOMPARE(rig.update.daemons().size(), 3);

    rig.update.lstCamModelsClick(0);
    QVERIFY(rig.update.deleteDaemonEnabled());
    rig.messenger.queueAnswers({Messenger::AnswerNo});
    rig.update.btnDeleteDaemonClick();
    QCOMPARE(rig.messenger.lastText(), QString("Are you Sure?"));
    QCOMPARE(rig.config.runs.size(), 1);

    rig.config.names = {"head_a", "head_c"};
    rig.update.btnDeleteDaemonClick();
    QCOMPARE(rig.config.runs.size(), 2);
    QCOMPARE(rig.config.runs.last().set, int(ConfigFileSet::DaemonDelete));
    QCOMPARE(rig.config.runs.last().daemon, QString("/etc/control_deamon/head_b"));
    QCOMPARE(rig.update.daemons(), (QStringList{"head_a", "head_c"}));
    QVERIFY(!rig.update.deleteDaemonEnabled());
}

QTEST_GUILESS_MAIN(TestCameraUpdate)
#include "tst_camera_update.moc"

// The Camera Update page through the real main window against the simulator: a firmware
// image, a picture and a daemon reach the camera, the camera is followed through its
// restart, and every failure leaves the camera and its row as it was.
#include "window_rig_helper.h"

#include "desktop/ui/fileconfig/camera_update_page.h"
#include "desktop/ui/transfer/add_cam_model_dlg.h"
#include "desktop/ui/transfer/firmware_dlg.h"
#include "protocol/camera_list.h"
#include "protocol/config_item.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kUpdateTab = 3;
constexpr int kSystemInfoTab = 10;
constexpr qint64 kImageSize = 3145752;

QJsonObject flashingCamera(const QJsonObject &faults = {})
{
    QJsonObject cam = WindowRig::fileCamera("cam", 0x61);
    cam["flash_seconds"] = 1.0;
    cam["flash_version"] = "2.1.0";
    if (!faults.isEmpty())
        cam["ftp_faults"] = faults;
    return cam;
}

} // namespace

class TestCameraUpdateEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void kernelImageFollowedThroughRestart();
    void fullImageListsCameraAnew();
    void failedUploadLeavesCamera_data();
    void failedUploadLeavesCamera();
    void pictureInCameraTransferType();
    void daemonsListedAddedDeleted();

private:
    bool openUpdatePage(const QJsonObject &camera);
    // Chooses the file in the page's open-file dialog and starts the upload; the progress
    // window's timer is the test's: the restart wait is ticked off once the camera is up.
    void upload(const QString &browse, const QString &path);
    QString writeFile(const QString &name, const QByteArray &bytes);
    template <typename T> T *child(const char *name) { return m_rig->child<T>(name); }

    std::unique_ptr<WindowRig> m_rig;
    QTemporaryDir m_files;
    CameraUpdatePage *m_page = nullptr;
    int m_row = -1;
    int m_restartsBefore = 0;
    QStringList m_labels;
    QList<int> m_progress;
};

void TestCameraUpdateEndToEnd::init()
{
    m_rig = std::make_unique<WindowRig>();
    m_labels.clear();
    m_progress.clear();
}

void TestCameraUpdateEndToEnd::cleanup()
{
    m_rig.reset();
}

bool TestCameraUpdateEndToEnd::openUpdatePage(const QJsonObject &camera)
{
    if (!m_rig->start({camera}))
        return false;
    m_row = m_rig->selectMac(camera["mac"].toString());
    m_rig->enterTab(kUpdateTab);
    m_page = m_rig->window->category()->findChild<CameraUpdatePage *>();
    return m_page && m_page->isVisible();
}

QString TestCameraUpdateEndToEnd::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_files.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

void TestCameraUpdateEndToEnd::upload(const QString &browse, const QString &path)
{
    m_page->setChooser([path](QWidget *, const QString &, const QString &, const QString &) { return path; });
    child<QPushButton>(browse.toLatin1().constData())->click();
    QVERIFY(child<QPushButton>("btnStartUpdate")->isEnabled());

    TFirmwareDlg *dialog = m_rig->window->firmwareDialog();
    FirmwareUploadSession &session = dialog->session();
    session.attachTimer(nullptr);
    auto *label = dialog->findChild<QLabel *>("ProcessMessage");
    auto *bar = dialog->findChild<QProgressBar *>("UpdateProgress");
    QMetaObject::Connection watch = connect(&session, &FirmwareUploadSession::changed, this, [&, label, bar] {
        if (m_labels.isEmpty() || m_labels.last() != label->text())
            m_labels.append(label->text());
        if (session.phase() == FirmwareUploadSession::Phase::Uploading)
            m_progress.append(bar->value());
    });
    m_restartsBefore = m_rig->sim->get("cam")["state"].toObject()["restarts"].toInt();
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (session.phase() != FirmwareUploadSession::Phase::Restarting)
            return;
        const QJsonObject state = m_rig->sim->get("cam")["state"].toObject();
        if (state["status"].toString() != "up" || state["restarts"].toInt() == m_restartsBefore)
            return;
        ticker.stop();
        for (int i = 0; i < FirmwareUploadSession::kRestartTicks; ++i)
            session.UploadEndTimerTimer();
    });
    // A run that hangs fails the test instead of stalling it.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [dialog] { dialog->done(QDialog::Rejected); });
    guard.start(30000);
    ticker.start();
    child<QPushButton>("btnStartUpdate")->click();
    disconnect(watch);
    QVERIFY2(guard.isActive(), "the upload window hung");
}

void TestCameraUpdateEndToEnd::kernelImageFollowedThroughRestart()
{
    QVERIFY(openUpdatePage(flashingCamera()));
    // An ASCII camera: the image still goes binary.
    m_rig->window->core().selectedCamera()->FtpSettings->transferType = 1;
    QVERIFY(child<QRadioButton>("UpdateKernel")->isChecked());
    const QString image = writeFile("fimage", QByteArray(kImageSize, '\x5A'));
    upload("flashFileBrowse", image);

    CameraList &list = m_rig->window->core().list();
    QCOMPARE(list.icon(m_row), int(CameraList::Updating));
    QCOMPARE(list.column(m_row, CameraList::ColCountdown), QString("120"));
    QCOMPARE(m_labels, (QStringList{"Connecting to 127.0.0.97 ...",
                                    "Please wait... Now Preparing for uploading the file...",
                                    "Now uploading the file...", "Clearing the old Flash Image...",
                                    "Please wait until the camera is rebooted.."}));
    QVERIFY(!m_progress.isEmpty());
    QCOMPARE(m_progress.last(), int(kImageSize));
    QVERIFY(std::is_sorted(m_progress.begin(), m_progress.end()));
    // The warning, then what was done; the image stays chosen for the next camera.
    QCOMPARE(m_rig->messenger.shown().size(), 2);
    QVERIFY2(m_rig->messenger.lastText().startsWith("The new kernel was written to"),
             qPrintable(m_rig->messenger.lastText()));
    QCOMPARE(child<QLineEdit>("flashFileName")->text(), image);
    QVERIFY(child<QPushButton>("btnStartUpdate")->isEnabled());
    const QStringList log = m_rig->ftpLog("cam");
    QVERIFY2(log.filter("TYPE A").isEmpty() && !log.filter("TYPE I").isEmpty()
                 && log.filter("STOR flash").size() == 1,
             qPrintable(log.join(" | ")));

    // The poll finds the camera back; its System Info shows the new version.
    QVERIFY(m_rig->waitPresent(m_row));
    m_rig->selectMac(WindowRig::macOf(0x61));
    m_rig->enterTab(kSystemInfoTab);
    QCOMPARE(child<QLineEdit>("editSysSWVer")->text(), QString("2.1.0"));
}

void TestCameraUpdateEndToEnd::fullImageListsCameraAnew()
{
    QVERIFY(openUpdatePage(flashingCamera()));
    child<QRadioButton>("UpdateAllData")->click();
    upload("flashFileBrowse", writeFile("fimage", QByteArray(kImageSize, '\x01')));
    CameraList &list = m_rig->window->core().list();
    // Gone at once; the discovery that follows finds it again, with factory settings.
    QTRY_COMPARE_WITH_TIMEOUT(list.count(), 1, 5000);
    QCOMPARE(list.column(0, CameraList::ColMac), WindowRig::macOf(0x61));
    QCOMPARE(m_rig->ftpLog("cam").filter("STOR flash_all").size(), 1);
    const QJsonArray flashes = m_rig->sim->get("cam")["state"].toObject()["flashes"].toArray();
    QCOMPARE(flashes.size(), 1);
    QVERIFY(flashes[0].toObject()["accepted"].toBool());
}

void TestCameraUpdateEndToEnd::failedUploadLeavesCamera_data()
{
    QTest::addColumn<QJsonObject>("faults");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("credentialsKept");
    QTest::newRow("cut at 1 MiB") << QJsonObject{{"drop_after", 1048576}} << "pass"
                                  << "Failed on Transfering File" << true;
    QTest::newRow("store refused") << QJsonObject{{"stor_553", 1}} << "pass"
                                   << "Failed on Transfering File\n553" << true;
    QTest::newRow("wrong password") << QJsonObject() << "wrong"
                                    << "Authentication Failed\nCheck ID, Password and FTP Port Number"
                                    << false;
}

void TestCameraUpdateEndToEnd::failedUploadLeavesCamera()
{
    QFETCH(QJsonObject, faults);
    QFETCH(QString, password);
    QFETCH(QString, message);
    QFETCH(bool, credentialsKept);
    QVERIFY(openUpdatePage(flashingCamera(faults)));
    m_rig->window->core().selectedCamera()->AdminPassword = password;
    m_rig->window->core().selectedCamera()->AdminId = "root";
    upload("flashFileBrowse", writeFile("fimage", QByteArray(kImageSize, '\x02')));

    QVERIFY2(m_rig->messenger.lastText().contains(message), qPrintable(m_rig->messenger.lastText()));
    CameraList &list = m_rig->window->core().list();
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.icon(m_row), int(CameraList::Present));
    QCOMPARE(!m_rig->window->core().selectedCamera()->AdminPassword.isEmpty(), credentialsKept);
    const QJsonObject state = m_rig->sim->get("cam")["state"].toObject();
    QCOMPARE(state["restarts"].toInt(), m_restartsBefore);
    QVERIFY(m_rig->cameraFile("cam", "etc/general.conf").contains("software_version=2.0.14"));
}

void TestCameraUpdateEndToEnd::pictureInCameraTransferType()
{
    QVERIFY(openUpdatePage(flashingCamera()));
    m_rig->window->core().selectedCamera()->FtpSettings->transferType = 1;
    child<QTabWidget>("pageCameraUpdate")->setCurrentIndex(1);
    QCOMPARE(child<QPushButton>("btnStartUpdate")->text(), QString("Picture File Upload"));
    child<QRadioButton>("TopImage")->click();
    QByteArray picture;
    for (int i = 0; i < 50000; ++i)
        picture.append(char(i % 13 == 0 ? '\n' : 'a' + i % 26));
    upload("imageFileBrowse", writeFile("top.jpg", picture));
    QCOMPARE(m_rig->cameraFile("cam", "etc/html/a_top.jpg"), picture);
    QVERIFY(m_rig->messenger.shown().isEmpty());
    QCOMPARE(m_rig->window->core().list().icon(m_row), int(CameraList::Present));
    const QStringList log = m_rig->ftpLog("cam");
    QVERIFY2(log.filter("TYPE I").isEmpty() && !log.filter("TYPE A").isEmpty()
                 && log.filter("STOR /etc/html/a_top.jpg").size() == 1,
             qPrintable(log.join(" | ")));
}

void TestCameraUpdateEndToEnd::daemonsListedAddedDeleted()
{
    QVERIFY(openUpdatePage(flashingCamera()));
    auto *list = child<QListWidget>("lstCamModels");
    auto *remove = child<QPushButton>("btnDeleteDaemon");
    auto names = [list] {
        QStringList n;
        for (int i = 0; i < list->count(); ++i)
            n.append(list->item(i)->text());
        return n;
    };
    child<QTabWidget>("pageCameraUpdate")->setCurrentIndex(2);
    const QStringList listed = names();
    QCOMPARE(QSet<QString>(listed.begin(), listed.end()), (QSet<QString>{"head_a", "head_b"}));
    QVERIFY(list->isEnabled() && child<QPushButton>("btnAddDaemon")->isEnabled());
    QVERIFY(!remove->isEnabled());
    QVERIFY(!child<QPushButton>("btnStartUpdate")->isVisible());

    const QString daemon = writeFile("head_c", "#!/bin/sh\necho head_c\n");
    TAddCamModelDlg *add = m_page->addDaemonDialog();
    m_page->setChooser([add, daemon](QWidget *, const QString &, const QString &, const QString &) {
        QTimer::singleShot(0, add, [add] { add->BitBtn1Click(); });
        return daemon;
    });
    child<QPushButton>("btnAddDaemon")->click();
    QVERIFY(names().contains("head_c"));
    QCOMPARE(m_rig->cameraFile("cam", "etc/control_deamon/head_c"), QByteArray("#!/bin/sh\necho head_c\n"));
    QVERIFY(m_rig->ftpLog("cam").filter("SITE chmod 755 /etc/control_deamon/head_c").size() == 1);

    list->setCurrentRow(int(names().indexOf("head_b")));
    QVERIFY(remove->isEnabled());
    remove->click();
    QCOMPARE(m_rig->messenger.lastText(), QString("Are you Sure?"));
    QVERIFY(m_rig->ftpLog("cam").filter("DELE /etc/control_deamon/head_b").size() == 1);
    QVERIFY(!names().contains("head_b"));
    QVERIFY(!remove->isEnabled());
}

QTEST_MAIN(TestCameraUpdateEndToEnd)
#include "tst_camera_update_e2e.moc"

// The registration and remote-search dialogs opened from their (hidden) handlers, against
// a simulated camera that no broadcast reaches.
#include "desktop/ui/main_window.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "camsim_process.h"
#include "desktop/ui/protocol/reg_cam_dlg.h"
#include "desktop/ui/protocol/srch_remote_cam_dlg.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

const QString kFar = QStringLiteral("127.0.0.93");

QJsonObject camera(const char *id, const char *mac, const QString &ip, bool unicastOnly)
{
    return {{"id", id}, {"mac", mac}, {"ip", ip}, {"model", 1}, {"model_name", "L60"},
            {"host_name", id}, {"unicast_only", unicastOnly}, {"restart_delay", 0.3}};
}

// Runs action on the modal dialog of type T once it is up; a dialog still open after
// 10 s is ended with -1, so that a fault fails the test instead of hanging it.
template <typename T>
void whenModal(std::function<void(T *)> action)
{
    QTimer::singleShot(0, [action] {
        auto *dlg = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        action(dlg);
        QTimer::singleShot(10000, dlg, [dlg] { dlg->done(-1); });
    });
}

} // namespace

class TestRemoteDialogs : public QObject
{
    Q_OBJECT

private slots:
    void registerAndSearchACameraBehindARouter();
};

void TestRemoteDialogs::registerAndSearchACameraBehindARouter()
{
    TestSupport::AppDir dir;
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{camera("near", "00:0A:1B:2C:3D:61", "127.0.0.61", false),
                                  camera("far", "00:0A:1B:2C:3D:93", kFar, true)}),
             qPrintable(sim.errorString()));
    AppOptions options;
    options.broadcast = QHostAddress("127.255.255.255");
    options.cameraPort = sim.cameraPort();
    options.localPort = CamSimProcess::freeUdpPort();
    ScriptedMessenger messenger;
    TAdminToolDlg window(options, &messenger);
    window.setUp();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The controls that open the dialogs stay hidden.
    QVERIFY(!window.findChild<QToolButton *>("BtnNewCamera")->isVisible());
    QVERIFY(!window.findChild<QAction *>("SearchRemoteCamera1")->isVisible());

    CameraList &list = window.core().list();
    window.findChild<QToolButton *>("BtnScanCamera")->click();
    QTRY_COMPARE_WITH_TIMEOUT(list.count(), 1, 5000);
    // The broadcast reached the far camera, which ignored it.
    QVERIFY(sim.get("far").value("state").toObject().value("requests").toObject()
                .value("broadcast").toInt() >= 1);

    const QString port = QString::number(sim.cameraPort());
    // By host name, through a resolver of the test's own: no real name is looked up.
    // The first use creates the dialog; Cancel ends it with 2.
    whenModal<TRegCamDlg>([](TRegCamDlg *dlg) { dlg->findChild<QPushButton *>("BtnCancel")->click(); });
    window.BtnNewCameraClick();
    QCOMPARE(window.registerDialog()->result(), 2);
    window.registerDialog()->session().setResolver([](const QString &name, QString *error) {
        if (name == "cam-far")
            return QList<QHostAddress>{QHostAddress(kFar)};
        *error = "Host not found";
        return QList<QHostAddress>();
    });
    whenModal<TRegCamDlg>([&port](TRegCamDlg *dlg) {
        dlg->findChild<QRadioButton *>("RadioDomainAddress")->click();
        dlg->findChild<QLineEdit *>("EditDomainName")->setText("cam-far");
        dlg->findChild<QLineEdit *>("editZORAPort")->setText(port);
        dlg->findChild<QPushButton *>("BtnOK")->click();
        QVERIFY(!dlg->findChild<QPushButton *>("BtnOK")->isEnabled());
    });
    window.BtnNewCameraClick();
    QCOMPARE(window.registerDialog()->result(), 1);
    QCOMPARE(list.count(), 2);
    const int far = list.rowOfMac("00:0A:1B:2C:3D:93");
    QVERIFY(far >= 0);
    QCOMPARE(list.column(far, CameraList::ColKind), QString("3"));
    QCOMPARE(list.column(far, CameraList::ColIp), kFar);

    // Nobody at the address: four requests, the give-up message, the list unchanged.
    int asked = 0;
    QObject::connect(&window.core().endpoint(), &UdpEndpoint::datagramSent, &window,
                     [&asked](const QHostAddress &to, quint16, const QByteArray &) {
                         asked += to == QHostAddress("127.0.0.94");
                     });
    whenModal<TRegCamDlg>([&port](TRegCamDlg *dlg) {
        dlg->findChild<QTimer *>("timer")->setInterval(20);
        dlg->findChild<QRadioButton *>("RadioIPAddress")->click();
        dlg->findChild<QLineEdit *>("IPEdit")->setText("127.0.0.94");
        dlg->findChild<QLineEdit *>("editZORAPort")->setText(port);
        dlg->findChild<QPushButton *>("BtnOK")->click();
    });
    window.BtnNewCameraClick();
    QCOMPARE(window.registerDialog()->result(), 2);
    QCOMPARE(asked, 4);
    QVERIFY2(messenger.lastText().startsWith("Camera does NOT response..."),
             qPrintable(messenger.lastText()));
    QCOMPARE(list.count(), 2);

    // The search of the selected row's camera: requests to its address until it answers.
    window.core().rowSelected(far);
    int sent = 0;
    whenModal<TSrchRemoteCamDlg>([&port, &sent](TSrchRemoteCamDlg *dlg) {
        dlg->findChild<QTimer *>("srchTimer")->setInterval(50);
        dlg->findChild<QLineEdit *>("lblZoraPort")->setText(port);
        dlg->findChild<QPushButton *>("Button1")->click();
        QObject::connect(dlg, &QDialog::finished, dlg,
                         [dlg, &sent] { sent = dlg->session().requestsSent(); });
    });
    window.SearchRemoteCamera1Click();
    QCOMPARE(window.remoteSearchDialog()->result(), 1);
    QVERIFY(sent >= 1);
    QCOMPARE(window.remoteSearchDialog()->session().target(), kFar);

    // Cancel while searching a camera that never answers: the requests stop at once.
    sim.set("far", {{"silent", true}});
    whenModal<TSrchRemoteCamDlg>([](TSrchRemoteCamDlg *dlg) {
        dlg->findChild<QPushButton *>("Button1")->click();
        QTimer::singleShot(200, dlg, [dlg] { dlg->findChild<QPushButton *>("Button2")->click(); });
    });
    window.SearchRemoteCamera1Click();
    QCOMPARE(window.remoteSearchDialog()->result(), 2);
    const int stopped = window.remoteSearchDialog()->session().requestsSent();
    QTest::qWait(150);
    QCOMPARE(window.remoteSearchDialog()->session().requestsSent(), stopped);
}

QTEST_MAIN(TestRemoteDialogs)
#include "tst_remote_dialogs.moc"

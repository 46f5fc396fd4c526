// File-configured cameras through the real main window against the simulator and its
// FTP servers: a page fetched, edited, uploaded, applied and fetched again after the
// restart; the checks and answers that stop a save; the question when a page with edits
// is left; a reset to defaults; a password change the FTP login then needs; a fetch
// that fails.
#include "base/messenger.h"
#include "desktop/ui/main_window.h"
#include "protocol/camera_list.h"
#include "window_rig_helper.h"
#include "desktop/ui/fileconfig/get_conf_dlg.h"
#include "desktop/ui/protocol/save_config_dlg.h"
#include "protocol/config_item.h"
#include "protoconfig/credentials.h"
#include "test_support.h"
#include "fileconfig/config_fields.h"
#include "foreign_lines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

enum Tab { NetworkTab = 0, AccountTab = 2, DdnsTab = 4, WebTab = 5, StreamTab = 6, EventTab = 7,
           AudioTab = 12 };

} // namespace

class TestFilePagesEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void ddnsSavedAppliedAndFetchedAgain();
    void eventTimerSavedOnModelWithoutMotion();
    void refusedChecksAndRefusedApply();
    void leavingEditedPageForAnotherCamera();
    void audioSetDefaultRefetchesPage();
    void passwordChangeUsedByNextLogin();
    void failedFetchDisablesPage_data();
    void failedFetchDisablesPage();
    void saveKeepsTheCamerasOwnLines_data();
    void saveKeepsTheCamerasOwnLines();

private:
    void typeInto(const char *name, const QString &text);
    template <typename T> T *child(const char *name) { return m_rig->child<T>(name); }

    std::unique_ptr<WindowRig> m_rig;
    QTimer m_guard;
};

void TestFilePagesEndToEnd::init()
{
    m_rig = std::make_unique<WindowRig>();
    // A modal run that hangs fails the test instead of stalling it.
    m_guard.setSingleShot(true);
    m_guard.setInterval(20000);
    connect(&m_guard, &QTimer::timeout, this, [this] {
        if (m_rig->window && m_rig->window->configDialog()->isVisible())
            m_rig->window->configDialog()->reject();
        if (m_rig->window && m_rig->window->saveConfigDialog()->isVisible())
            m_rig->window->saveConfigDialog()->reject();
    });
    m_guard.start();
}

void TestFilePagesEndToEnd::cleanup()
{
    QVERIFY2(m_guard.isActive(), "a modal run hung");
    m_rig.reset();
}

void TestFilePagesEndToEnd::typeInto(const char *name, const QString &text)
{
    auto *edit = child<QLineEdit>(name);
    QVERIFY2(edit && edit->isEnabled(), name);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QCOMPARE(edit->text(), text);
}

void TestFilePagesEndToEnd::ddnsSavedAppliedAndFetchedAgain()
{
    QVERIFY(m_rig->start({WindowRig::fileCamera("cam", 0x51)}));
    const int row = m_rig->selectMac(WindowRig::macOf(0x51));
    QVERIFY(m_rig->window->category()->isVisible());
    QCOMPARE(child<QLineEdit>("editIPAddr")->text(), QString("127.0.0.81"));

    m_rig->enterTab(DdnsTab);
    QCOMPARE(m_rig->prompt.calls, 1);
    QCOMPARE(child<QLineEdit>("editDDNSID")->text(), QString("camuser"));
    QVERIFY(!child<QPushButton>("btnSave")->isEnabled());
    typeInto("editDDNSID", "newid");
    QVERIFY(child<QPushButton>("btnSave")->isEnabled());

    child<QPushButton>("btnSave")->click();
    QCOMPARE(m_rig->messenger.shown().first().text, QString("Apply Changes.  Are you sure?"));
    QVERIFY(m_rig->cameraFile("cam", "etc/ddns.conf").contains("DDNS_ID=\"newid\""));
    const QString log = m_rig->ftpLog("cam").join(QLatin1Char('\n'));
    QVERIFY2(log.contains("STOR /etc/ddns.conf.tmp") && log.contains("RNTO /etc/ddns.conf"), qPrintable(log));
    QVERIFY(log.contains("RNTO"));
    const QJsonObject state = m_rig->sim->get("cam")["state"].toObject();
    QVERIFY(!state["last_apply"].toObject().isEmpty());
    CameraList &list = m_rig->window->core().list();
    QCOMPARE(list.icon(row), int(CameraList::Restarting));
    QVERIFY(!m_rig->window->category()->isEnabled());

    QVERIFY(m_rig->waitPresent(row));
    QVERIFY(m_rig->window->category()->isEnabled());
    // The page shown again comes from the camera's file, not from what was typed.
    m_rig->enterTab(NetworkTab);
    m_rig->enterTab(DdnsTab);
    QCOMPARE(child<QLineEdit>("editDDNSID")->text(), QString("newid"));
    QVERIFY(!child<QPushButton>("btnSave")->isEnabled());
}

void TestFilePagesEndToEnd::eventTimerSavedOnModelWithoutMotion()
{
    QVERIFY(m_rig->start({WindowRig::fileCamera("cam", 0x52, 2)}));
    m_rig->selectMac(WindowRig::macOf(0x52));
    m_rig->enterTab(EventTab);
    QVERIFY(!child<QRadioButton>("radioEventMotion")->isEnabled());
    QVERIFY(child<QRadioButton>("radioEventDi")->isChecked());
    const QByteArray input = m_rig->cameraFile("cam", "etc/event/dio_input.conf");
    QCOMPARE(m_rig->cameraFile("cam", "etc/event/hw_motion.conf"), QByteArray("<missing>"));

    child<QRadioButton>("radioEventTimer")->click();
    typeInto("editEventInputPeriod", "30");
    child<QPushButton>("btnSave")->click();
    QVERIFY(m_rig->cameraFile("cam", "etc/event/periodic_timer.conf").contains("period=30"));
    QCOMPARE(m_rig->cameraFile("cam", "etc/event/dio_input.conf"), input);
    QVERIFY(!m_rig->ftpLog("cam").join(QLatin1Char('\n')).contains("hw_motion"));
}

void TestFilePagesEndToEnd::refusedChecksAndRefusedApply()
{
    QJsonObject cam = WindowRig::fileCamera("cam", 0x53);
    cam["apply_answer"] = "auth";
    QVERIFY(m_rig->start({cam}));
    m_rig->selectMac(WindowRig::macOf(0x53));
    m_rig->enterTab(StreamTab);
    const QByteArray before = m_rig->cameraFile("cam", "etc/rc.server");
    for (const char *box : {"chkStreamUdpEnable", "chkStreamTcpEnable"}) {
        if (child<QCheckBox>(box)->isChecked())
            child<QCheckBox>(box)->click();
    }
    child<QPushButton>("btnSave")->click();
    QCOMPARE(m_rig->messenger.lastText(), QString("You cannot disable both TCP and UDP Server"));
    QCOMPARE(m_rig->cameraFile("cam", "etc/rc.server"), before);

    // A valid edit the camera answers with an authentication failure.
    child<QCheckBox>("chkStreamUdpEnable")->click();
    m_rig->messenger.clear();
    child<QPushButton>("btnSave")->click();
    QVERIFY(!m_rig->messenger.shown().isEmpty());
    const TConfigItem *camera = m_rig->window->core().selectedCamera();
    QVERIFY(camera->AdminId.isEmpty() && camera->AdminPassword.isEmpty());
    QVERIFY(child<QPushButton>("btnSave")->isEnabled());
    QVERIFY(child<QCheckBox>("chkStreamUdpEnable")->isChecked());
}

void TestFilePagesEndToEnd::leavingEditedPageForAnotherCamera()
{
    QVERIFY(m_rig->start({WindowRig::fileCamera("first", 0x54), WindowRig::fileCamera("second", 0x55)}));
    m_rig->selectMac(WindowRig::macOf(0x54));
    m_rig->enterTab(WebTab);
    typeInto("editWebTitle", "Gate camera");
    m_rig->messenger.clear();
    m_rig->selectMac(WindowRig::macOf(0x55));
    // Asked once, naming what is saved where; the page stays for the next camera.
    QCOMPARE(m_rig->messenger.shown().size(), 1);
    QCOMPARE(m_rig->messenger.shown().first().text,
             QString("Camera Property Changed:\nWeb Server page of first (127.0.0.84)\n\nSave the changes?"));
    QCOMPARE(m_rig->window->category()->currentIndex(), int(WebTab));
    QVERIFY(m_rig->cameraFile("first", "etc/html/title.js").contains("Gate camera"));
    QVERIFY(!m_rig->cameraFile("second", "etc/html/title.js").contains("Gate camera"));
}

void TestFilePagesEndToEnd::audioSetDefaultRefetchesPage()
{
    QVERIFY(m_rig->start({WindowRig::fileCamera("cam", 0x56)}));
    const int row = m_rig->selectMac(WindowRig::macOf(0x56));
    m_rig->enterTab(AudioTab);
    const QString seeded = child<QLineEdit>("edtAudioPort")->text();
    QVERIFY(!seeded.isEmpty());
    // The camera's file changes behind the tool's back; the reset puts the seed back.
    typeInto("edtAudioPort", "4000");
    child<QPushButton>("btnSave")->click();
    QVERIFY(m_rig->cameraFile("cam", "etc/audio.conf").contains("4000"));
    QVERIFY(m_rig->waitPresent(row));
    m_rig->enterTab(NetworkTab);
    m_rig->enterTab(AudioTab);
    QCOMPARE(child<QLineEdit>("edtAudioPort")->text(), QString("4000"));

    m_rig->messenger.clear();
    const int fetchesBefore = m_rig->ftpLog("cam").filter("RETR").size();
    child<QPushButton>("SpeedButton11")->click();
    QVERIFY(m_rig->messenger.shown().first().text.startsWith("Reset this Configuration to default"));
    const QJsonArray resets = m_rig->sim->get("cam")["state"].toObject()["resets"].toArray();
    QCOMPARE(resets.last().toObject()["scope"].toInt(), 10);
    QVERIFY(m_rig->waitPresent(row));
    QTRY_VERIFY(m_rig->ftpLog("cam").filter("RETR").size() > fetchesBefore);
    QCOMPARE(child<QLineEdit>("edtAudioPort")->text(), seeded);
}

void TestFilePagesEndToEnd::passwordChangeUsedByNextLogin()
{
    QVERIFY(m_rig->start({WindowRig::fileCamera("cam", 0x57)}));
    const int row = m_rig->selectMac(WindowRig::macOf(0x57));
    m_rig->enterTab(AccountTab);
    child<QCheckBox>("chkChangePasswd")->click();
    QCOMPARE(m_rig->prompt.calls, 1);
    typeInto("editNewPass", "newpass");
    typeInto("editNewPassAgain", "newpass");
    QVERIFY(child<QPushButton>("btnAccountSave")->isEnabled());
    child<QPushButton>("btnAccountSave")->click();
    QCOMPARE(m_rig->window->core().selectedCamera()->AdminPassword, QString("newpass"));
    QVERIFY(m_rig->waitPresent(row));
    // The page fetch logs in with the new password and gets the files.
    m_rig->enterTab(DdnsTab);
    QCOMPARE(m_rig->prompt.calls, 1);
    QVERIFY(child<QLineEdit>("editDDNSID")->isEnabled());
    QCOMPARE(child<QLineEdit>("editDDNSID")->text(), QString("camuser"));
    QVERIFY(m_rig->ftpLog("cam").join(QLatin1Char('\n')).contains("PASS"));
}

void TestFilePagesEndToEnd::failedFetchDisablesPage_data()
{
    QTest::addColumn<QJsonObject>("faults");
    QTest::newRow("login refused") << QJsonObject{{"login_530", true}};
    QTest::newRow("server silent") << QJsonObject{{"no_greeting", true}};
}

void TestFilePagesEndToEnd::failedFetchDisablesPage()
{
    QFETCH(QJsonObject, faults);
    QJsonObject cam = WindowRig::fileCamera("cam", 0x58);
    cam["ftp_faults"] = faults;
    QVERIFY(m_rig->start({WindowRig::fileCamera("other", 0x59), cam}));
    // The pages showed another camera's values before.
    m_rig->selectMac(WindowRig::macOf(0x59));
    m_rig->enterTab(DdnsTab);
    QCOMPARE(child<QLineEdit>("editDDNSID")->text(), QString("camuser"));
    m_rig->enterTab(NetworkTab);

    m_rig->selectMac(WindowRig::macOf(0x58));
    // A refused login asks again; the second time the user gives up.
    connect(m_rig->window->configDialog(), &QDialog::finished, this, [this] { m_rig->prompt.cancel = true; });
    m_rig->enterTab(DdnsTab);
    QVERIFY(!child<QLineEdit>("editDDNSID")->isEnabled());
    QVERIFY(!child<QPushButton>("btnSave")->isEnabled());
    const int stores = m_rig->ftpLog("cam").filter("STOR").size();
    child<QPushButton>("btnSave")->click();
    QCOMPARE(m_rig->ftpLog("cam").filter("STOR").size(), stores);
}

void TestFilePagesEndToEnd::saveKeepsTheCamerasOwnLines_data()
{
    QTest::addColumn<ForeignLinesCase>("c");
    for (const ForeignLinesCase &c : ForeignLinesCases())
        QTest::newRow(qPrintable(c.name)) << c;
}

void TestFilePagesEndToEnd::saveKeepsTheCamerasOwnLines()
{
    QFETCH(ForeignLinesCase, c);
    QVERIFY(m_rig->start({WindowRig::fileCamera("cam", 0x53)}));
    const QString root = m_rig->sim->get("cam")["state"].toObject()["root"].toString();
    QFile file(root + '/' + c.cameraPath);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(c.before) == c.before.size());
    file.close();
    m_rig->selectMac(WindowRig::macOf(0x53));
    const auto tab = ConfigFields::tabOf(c.field.section('.', 0, 0));
    QVERIFY(tab);
    m_rig->enterTab(int(*tab));

    const QByteArray control = c.control.toLatin1();
    if (qobject_cast<QLineEdit *>(child<QWidget>(control))) {
        typeInto(control, c.value);
    } else if (auto *box = child<QComboBox>(control)) {
        const int index = box->findText(c.value);
        QVERIFY(index >= 0);
        box->setCurrentIndex(index);
        emit box->activated(index);
    } else {
        auto *button = child<QAbstractButton>(control);
        QVERIFY2(button, control);
        button->click();
    }
    child<QPushButton>("btnSave")->click();
    QCOMPARE(m_rig->cameraFile("cam", c.cameraPath), c.after);
}

QTEST_MAIN(TestFilePagesEndToEnd)
#include "tst_file_pages_e2e.moc"

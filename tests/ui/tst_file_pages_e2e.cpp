// File-configured cameras through the real main window against the simulator and its
// FTP servers: a page fetched, edited, uploaded, applied and fetched again after the
// restart; the checks and answers that stop a save; the question when a page with edits
// is left; a reset to defaults; a password change the FTP login then needs; a fetch
// that fails.
#include "app/camera_list.h"
#include "app/messenger.h"
#include "app/ui/main_window.h"
#include "camsim_process.h"
#include "fileconfig/ui/get_conf_dlg.h"
#include "protocol/config_item.h"
#include "protocol/ui/save_config_dlg.h"
#include "protoconfig/credentials.h"
#include "test_support.h"

#include <QCheckBox>
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

class Prompt final : public CredentialPrompt
{
public:
    std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *ftp) override
    {
        ++calls;
        if (cancel)
            return std::nullopt;
        LoginEntry e;
        e.id = QStringLiteral("root");
        e.password = password;
        e.portText = ftp ? QString::number(ftp->port) : QString();
        e.passive = true;
        return e;
    }
    int calls = 0;
    bool cancel = false;
    QString password = QStringLiteral("pass");
};

QJsonObject fileCamera(const char *id, int last, int model = 0)
{
    return QJsonObject{{"id", id},
                       {"mac", QStringLiteral("00:0A:1B:2C:3D:%1").arg(last, 2, 16, QLatin1Char('0')).toUpper()},
                       {"ip", QStringLiteral("127.0.0.%1").arg(last)},
                       {"model", model},
                       {"model_name", "L80"},
                       {"host_name", id},
                       {"version", 2},
                       {"restart_delay", 0.3},
                       {"tags", QJsonObject{{"2", 1}}}};
}

QString macOf(int last)
{
    return QStringLiteral("00:0A:1B:2C:3D:%1").arg(last, 2, 16, QLatin1Char('0')).toUpper();
}

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

private:
    bool startWindow(const QJsonArray &fleet);
    int selectMac(const QString &mac);
    void enterTab(int tab) { m_window->category()->setCurrentIndex(tab); }
    void typeInto(const char *name, const QString &text);
    QByteArray cameraFile(const char *id, const QString &relative);
    QStringList ftpLog(const char *id);
    template <typename T> T *child(const char *name)
    {
        return m_window->category()->findChild<T *>(QLatin1String(name));
    }
    bool waitPresent(int row);

    std::unique_ptr<TestSupport::AppDir> m_dir;
    std::unique_ptr<CamSimProcess> m_sim;
    ScriptedMessenger m_messenger;
    Prompt m_prompt;
    std::unique_ptr<TAdminToolDlg> m_window;
    QTimer m_guard;
};

void TestFilePagesEndToEnd::init()
{
    m_dir = std::make_unique<TestSupport::AppDir>();
    m_sim = std::make_unique<CamSimProcess>();
    m_messenger.clear();
    m_messenger.setDefaultAnswer(Messenger::AnswerYes);
    m_prompt = Prompt();
    // A modal run that hangs fails the test instead of stalling it.
    m_guard.setSingleShot(true);
    m_guard.setInterval(20000);
    connect(&m_guard, &QTimer::timeout, this, [this] {
        if (m_window && m_window->configDialog()->isVisible())
            m_window->configDialog()->reject();
        if (m_window && m_window->saveConfigDialog()->isVisible())
            m_window->saveConfigDialog()->reject();
    });
    m_guard.start();
}

void TestFilePagesEndToEnd::cleanup()
{
    QVERIFY2(m_guard.isActive(), "a modal run hung");
    m_window.reset();
    m_sim.reset();
    m_dir.reset();
}

bool TestFilePagesEndToEnd::startWindow(const QJsonArray &fleet)
{
    const quint16 ftpPort = CamSimProcess::freeTcpPort();
    if (!m_sim->start(fleet, {QStringLiteral("--ftp-port"), QString::number(ftpPort)})) {
        qWarning() << m_sim->errorString();
        return false;
    }
    AppOptions options;
    options.broadcast = QHostAddress(QStringLiteral("127.255.255.255"));
    options.cameraPort = m_sim->cameraPort();
    options.localPort = CamSimProcess::freeUdpPort();
    options.ftpPort = ftpPort;
    m_window = std::make_unique<TAdminToolDlg>(options, &m_messenger);
    m_window->setCredentialPrompt(&m_prompt);
    m_window->setUp();
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        return false;
    m_window->findChild<QToolButton *>(QStringLiteral("BtnScanCamera"))->click();
    CameraList &list = m_window->core().list();
    return QTest::qWaitFor([&] { return list.count() == fleet.size(); }, 5000);
}

int TestFilePagesEndToEnd::selectMac(const QString &mac)
{
    CameraList &list = m_window->core().list();
    const int row = list.rowOfMac(mac);
    m_window->cameraList()->selectionModel()->select(
        list.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return row;
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

QByteArray TestFilePagesEndToEnd::cameraFile(const char *id, const QString &relative)
{
    const QString root = m_sim->get(QLatin1String(id))["state"].toObject()["root"].toString();
    QFile f(root + QLatin1Char('/') + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList TestFilePagesEndToEnd::ftpLog(const char *id)
{
    QFile f(m_sim->stateDir() + QStringLiteral("/state/") + QLatin1String(id) + QStringLiteral("/ftp.log"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool TestFilePagesEndToEnd::waitPresent(int row)
{
    CameraList &list = m_window->core().list();
    return QTest::qWaitFor(
        [&] {
            m_window->core().clockTick(QDateTime::currentDateTime());
            return list.icon(row) == CameraList::Present;
        },
        10000);
}

void TestFilePagesEndToEnd::ddnsSavedAppliedAndFetchedAgain()
{
    QVERIFY(startWindow({fileCamera("cam", 0x51)}));
    const int row = selectMac(macOf(0x51));
    QVERIFY(m_window->category()->isVisible());
    QCOMPARE(child<QLineEdit>("editIPAddr")->text(), QString("127.0.0.81"));

    enterTab(DdnsTab);
    QCOMPARE(m_prompt.calls, 1);
    QCOMPARE(child<QLineEdit>("editDDNSID")->text(), QString("camuser"));
    QVERIFY(!child<QPushButton>("btnSave")->isEnabled());
    typeInto("editDDNSID", "newid");
    QVERIFY(child<QPushButton>("btnSave")->isEnabled());

    child<QPushButton>("btnSave")->click();
    QCOMPARE(m_messenger.shown().first().text, QString("Apply Changes.  Are you sure?"));
    QVERIFY(cameraFile("cam", "etc/ddns.conf").contains("DDNS_ID=\"newid\""));
    const QString log = ftpLog("cam").join(QLatin1Char('\n'));
    QVERIFY2(log.contains("STOR /etc/ddns.conf.tmp") && log.contains("RNTO /etc/ddns.conf"), qPrintable(log));
    QVERIFY(log.contains("RNTO"));
    const QJsonObject state = m_sim->get("cam")["state"].toObject();
    QVERIFY(!state["last_apply"].toObject().isEmpty());
    CameraList &list = m_window->core().list();
    QCOMPARE(list.icon(row), int(CameraList::Restarting));
    QVERIFY(!m_window->category()->isEnabled());

    QVERIFY(waitPresent(row));
    QVERIFY(m_window->category()->isEnabled());
    // The page shown again comes from the camera's file, not from what was typed.
    enterTab(NetworkTab);
    enterTab(DdnsTab);
    QCOMPARE(child<QLineEdit>("editDDNSID")->text(), QString("newid"));
    QVERIFY(!child<QPushButton>("btnSave")->isEnabled());
}

void TestFilePagesEndToEnd::eventTimerSavedOnModelWithoutMotion()
{
    QVERIFY(startWindow({fileCamera("cam", 0x52, 2)}));
    selectMac(macOf(0x52));
    enterTab(EventTab);
    QVERIFY(!child<QRadioButton>("radioEventMotion")->isEnabled());
    QVERIFY(child<QRadioButton>("radioEventDi")->isChecked());
    const QByteArray input = cameraFile("cam", "etc/event/dio_input.conf");
    QCOMPARE(cameraFile("cam", "etc/event/hw_motion.conf"), QByteArray("<missing>"));

    child<QRadioButton>("radioEventTimer")->click();
    typeInto("editEventInputPeriod", "30");
    child<QPushButton>("btnSave")->click();
    QVERIFY(cameraFile("cam", "etc/event/periodic_timer.conf").contains("period=30"));
    QCOMPARE(cameraFile("cam", "etc/event/dio_input.conf"), input);
    QVERIFY(!ftpLog("cam").join(QLatin1Char('\n')).contains("hw_motion"));
}

void TestFilePagesEndToEnd::refusedChecksAndRefusedApply()
{
    QJsonObject cam = fileCamera("cam", 0x53);
    cam["apply_answer"] = "auth";
    QVERIFY(startWindow({cam}));
    selectMac(macOf(0x53));
    enterTab(StreamTab);
    const QByteArray before = cameraFile("cam", "etc/rc.server");
    for (const char *box : {"chkStreamUdpEnable", "chkStreamTcpEnable"}) {
        if (child<QCheckBox>(box)->isChecked())
            child<QCheckBox>(box)->click();
    }
    child<QPushButton>("btnSave")->click();
    QCOMPARE(m_messenger.lastText(), QString("You cannot disable both TCP and UDP Server"));
    QCOMPARE(cameraFile("cam", "etc/rc.server"), before);

    // A valid edit the camera answers with an authentication failure.
    child<QCheckBox>("chkStreamUdpEnable")->click();
    m_messenger.clear();
    child<QPushButton>("btnSave")->click();
    QVERIFY(!m_messenger.shown().isEmpty());
    const TConfigItem *camera = m_window->core().selectedCamera();
    QVERIFY(camera->AdminId.isEmpty() && camera->AdminPassword.isEmpty());
    QVERIFY(child<QPushButton>("btnSave")->isEnabled());
    QVERIFY(child<QCheckBox>("chkStreamUdpEnable")->isChecked());
}

void TestFilePagesEndToEnd::leavingEditedPageForAnotherCamera()
{
    QVERIFY(startWindow({fileCamera("first", 0x54), fileCamera("second", 0x55)}));
    selectMac(macOf(0x54));
    enterTab(WebTab);
    typeInto("editWebTitle", "Gate camera");
    m_messenger.clear();
    selectMac(macOf(0x55));
    QCOMPARE(m_messenger.shown().first().text, QString("Camera Property Changed\n\nSave the changes?"));
    QVERIFY(cameraFile("first", "etc/html/title.js").contains("Gate camera"));
    QVERIFY(!cameraFile("second", "etc/html/title.js").contains("Gate camera"));
}

void TestFilePagesEndToEnd::audioSetDefaultRefetchesPage()
{
    QVERIFY(startWindow({fileCamera("cam", 0x56)}));
    const int row = selectMac(macOf(0x56));
    enterTab(AudioTab);
    const QString seeded = child<QLineEdit>("edtAudioPort")->text();
    QVERIFY(!seeded.isEmpty());
    // The camera's file changes behind the tool's back; the reset puts the seed back.
    typeInto("edtAudioPort", "4000");
    child<QPushButton>("btnSave")->click();
    QVERIFY(cameraFile("cam", "etc/audio.conf").contains("4000"));
    QVERIFY(waitPresent(row));
    enterTab(NetworkTab);
    enterTab(AudioTab);
    QCOMPARE(child<QLineEdit>("edtAudioPort")->text(), QString("4000"));

    m_messenger.clear();
    const int fetchesBefore = ftpLog("cam").filter("RETR").size();
    child<QPushButton>("SpeedButton11")->click();
    QVERIFY(m_messenger.shown().first().text.startsWith("Reset this Configuration to default"));
    const QJsonArray resets = m_sim->get("cam")["state"].toObject()["resets"].toArray();
    QCOMPARE(resets.last().toObject()["scope"].toInt(), 10);
    QVERIFY(waitPresent(row));
    QTRY_VERIFY(ftpLog("cam").filter("RETR").size() > fetchesBefore);
    QCOMPARE(child<QLineEdit>("edtAudioPort")->text(), seeded);
}

void TestFilePagesEndToEnd::passwordChangeUsedByNextLogin()
{
    QVERIFY(startWindow({fileCamera("cam", 0x57)}));
    const int row = selectMac(macOf(0x57));
    enterTab(AccountTab);
    child<QCheckBox>("chkChangePasswd")->click();
    QCOMPARE(m_prompt.calls, 1);
    typeInto("editNewPass", "newpass");
    typeInto("editNewPassAgain", "newpass");
    QVERIFY(child<QPushButton>("btnAccountSave")->isEnabled());
    child<QPushButton>("btnAccountSave")->click();
    QCOMPARE(m_window->core().selectedCamera()->AdminPassword, QString("newpass"));
    QVERIFY(waitPresent(row));
    // The page fetch logs in with the new password and gets the files.
    enterTab(DdnsTab);
    QCOMPARE(m_prompt.calls, 1);
    QVERIFY(child<QLineEdit>("editDDNSID")->isEnabled());
    QCOMPARE(child<QLineEdit>("editDDNSID")->text(), QString("camuser"));
    QVERIFY(ftpLog("cam").join(QLatin1Char('\n')).contains("PASS"));
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
    QJsonObject cam = fileCamera("cam", 0x58);
    cam["ftp_faults"] = faults;
    QVERIFY(startWindow({fileCamera("other", 0x59), cam}));
    // The pages showed another camera's values before.
    selectMac(macOf(0x59));
    enterTab(DdnsTab);
    QCOMPARE(child<QLineEdit>("editDDNSID")->text(), QString("camuser"));
    enterTab(NetworkTab);

    selectMac(macOf(0x58));
    // A refused login asks again; the second time the user gives up.
    connect(m_window->configDialog(), &QDialog::finished, this, [this] { m_prompt.cancel = true; });
    enterTab(DdnsTab);
    QVERIFY(!child<QLineEdit>("editDDNSID")->isEnabled());
    QVERIFY(!child<QPushButton>("btnSave")->isEnabled());
    const int stores = ftpLog("cam").filter("STOR").size();
    child<QPushButton>("btnSave")->click();
    QCOMPARE(ftpLog("cam").filter("STOR").size(), stores);
}

QTEST_MAIN(TestFilePagesEndToEnd)
#include "tst_file_pages_e2e.moc"

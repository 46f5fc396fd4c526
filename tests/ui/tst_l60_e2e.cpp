// Protocol-configured cameras through the real main window against the simulator: a
// changed address saved, confirmed, the restart followed until the camera is back; a
// refused command; a model that has neither PPPoE nor the miscellaneous page.
#include "base/messenger.h"
#include "desktop/ui/main_window.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "camsim_process.h"
#include "desktop/ui/protocol/save_config_dlg.h"
#include "protocol/config_item.h"
#include "protoconfig/credentials.h"
#include "protoconfig/l60_pages.h"
#include "test_support.h"

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
    std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *) override
    {
        ++calls;
        LoginEntry e;
        e.id = QStringLiteral("root");
        e.password = QStringLiteral("pass");
        return e;
    }
    int calls = 0;
};

QJsonObject l60Camera(const char *id, const char *mac, const char *ip, int model)
{
    return QJsonObject{{"id", id},           {"mac", mac},
                       {"ip", ip},           {"model", model},
                       {"model_name", model == 4 ? "L64" : "L60"},
                       {"host_name", "lcam"}, {"version", 2},
                       {"restart_delay", 0.3},
                       {"tags", QJsonObject{{"2", 1}, {"3", 40}, {"4", 2}}},
                       {"pppoe", QJsonObject{{"user", "u"}, {"password", "p"}, {"service", "s"},
                                             {"mtu", 1492}, {"dns_mode", 1}, {"dns", "127.0.0.9"}}}};
}

} // namespace

class TestL60EndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void staticAddressSavedAndCameraComesBack();
    void mismatchThenOkClearsCredentials();
    void modelFourHasNoPppoeNorMiscPage();

private:
    bool startWindow(const QJsonArray &fleet);
    int selectMac(const char *mac);
    void typeInto(const char *name, const QString &text);
    template <typename T> T *child(const char *name)
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }

    std::unique_ptr<TestSupport::AppDir> m_dir;
    std::unique_ptr<CamSimProcess> m_sim;
    ScriptedMessenger m_messenger;
    Prompt m_prompt;
    std::unique_ptr<TAdminToolDlg> m_window;
    QTimer m_guard;
};

void TestL60EndToEnd::init()
{
    m_dir = std::make_unique<TestSupport::AppDir>();
    m_sim = std::make_unique<CamSimProcess>();
    m_messenger.clear();
    m_prompt.calls = 0;
    // A modal wait that hangs fails the test instead of stalling it.
    m_guard.setSingleShot(true);
    m_guard.setInterval(15000);
    connect(&m_guard, &QTimer::timeout, this, [this] {
        if (m_window && m_window->saveConfigDialog()->isVisible())
            m_window->saveConfigDialog()->reject();
    });
}

void TestL60EndToEnd::cleanup()
{
    m_window.reset();
    m_sim.reset();
    m_dir.reset();
}

bool TestL60EndToEnd::startWindow(const QJsonArray &fleet)
{
    if (!m_sim->start(fleet)) {
        qWarning() << m_sim->errorString();
        return false;
    }
    AppOptions options;
    options.broadcast = QHostAddress(QStringLiteral("127.255.255.255"));
    options.cameraPort = m_sim->cameraPort();
    options.localPort = CamSimProcess::freeUdpPort();
    m_window = std::make_unique<TAdminToolDlg>(options, &m_messenger);
    m_window->setCredentialPrompt(&m_prompt);
    m_window->setUp();
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        return false;
    child<QToolButton>("BtnScanCamera")->click();
    CameraList &list = m_window->core().list();
    return QTest::qWaitFor([&] { return list.count() == fleet.size(); }, 5000);
}

int TestL60EndToEnd::selectMac(const char *mac)
{
    CameraList &list = m_window->core().list();
    const int row = list.rowOfMac(QLatin1String(mac));
    m_window->cameraList()->selectionModel()->select(
        list.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return row;
}

void TestL60EndToEnd::typeInto(const char *name, const QString &text)
{
    auto *edit = child<QLineEdit>(name);
    QVERIFY(edit && edit->isEnabled());
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QCOMPARE(edit->text(), text);
}

void TestL60EndToEnd::staticAddressSavedAndCameraComesBack()
{
    QVERIFY(startWindow({l60Camera("l60", "00:0A:1B:2C:3D:61", "127.0.0.61", 1)}));
    const int row = selectMac("00:0A:1B:2C:3D:61");
    CameraList &list = m_window->core().list();
    QTabWidget *pages = m_window->l60Category();
    QVERIFY(pages->isVisible() && pages->isEnabled());
    QCOMPARE(child<QLineEdit>("editL60IPAddr")->text(), QString("127.0.0.61"));
    QCOMPARE(child<QLineEdit>("editL60MacAddr")->text(), QString("00:0A:1B:2C:3D:61"));
    QCOMPARE(pages->count(), 4);   // model 1 with a version 2 reply has the miscellaneous page
    QVERIFY(!child<QPushButton>("btnL60Save")->isEnabled());

    typeInto("editL60IPAddr", "127.0.0.71");
    auto *save = child<QPushButton>("btnL60Save");
    QVERIFY(save->isEnabled());
    QVERIFY(m_window->core().l60Changed());

    m_guard.start();
    save->click();   // the waiting dialog runs modally until the camera confirms
    QVERIFY(m_guard.isActive());
    QCOMPARE(m_messenger.shown().size(), 1);
    QCOMPARE(m_messenger.shown().first().text, QString("Apply Changes.  Are you sure?"));
    QCOMPARE(m_prompt.calls, 1);
    QCOMPARE(int(m_window->saveConfigDialog()->session().outcome()), int(CommandOutcome::Success));
    QVERIFY(!m_window->saveConfigDialog()->isVisible());

    QCOMPARE(list.icon(row), int(CameraList::Restarting));
    QCOMPARE(list.column(row, CameraList::ColCycles), QString("3"));
    QCOMPARE(list.column(row, CameraList::ColCountdown), QString("120"));
    QVERIFY(!pages->isEnabled());
    QVERIFY(!save->isEnabled());
    QVERIFY(!m_window->core().l60Changed());

    // The presence poll asks every 20 ticks; the camera answers from its new address.
    QTRY_VERIFY_WITH_TIMEOUT(
        (m_window->core().clockTick(QDateTime::currentDateTime()), list.icon(row) == CameraList::Present),
        10000);
    QCOMPARE(list.column(row, CameraList::ColIp), QString("127.0.0.71"));
    QVERIFY(pages->isEnabled());
    QCOMPARE(child<QLineEdit>("editL60IPAddr")->text(), QString("127.0.0.71"));
    QVERIFY(!save->isEnabled());
    const QJsonObject state = m_sim->get("l60");
    QCOMPARE(state["state"].toObject()["settings"].toObject()["ip"].toString(), QString("127.0.0.71"));
    // The credentials stay with the camera: a second change asks no login.
    QCOMPARE(m_window->core().selectedCamera()->AdminId, QString("root"));
}

void TestL60EndToEnd::mismatchThenOkClearsCredentials()
{
    QJsonObject cam = l60Camera("l60", "00:0A:1B:2C:3D:62", "127.0.0.62", 1);
    cam["reply"] = "mismatch";
    QVERIFY(startWindow({cam}));
    selectMac("00:0A:1B:2C:3D:62");
    m_window->l60Category()->setCurrentIndex(1);
    QCOMPARE(child<QLineEdit>("editL60HostName")->text(), QString("lcam"));
    typeInto("editL60HostName", "other");

    TSaveConfigDlg *dlg = m_window->saveConfigDialog();
    QString shownError;
    connect(&dlg->session(), &SaveConfigSession::changed, dlg, [&] {
        if (dlg->session().state() != SaveConfigSession::State::Failed || !shownError.isEmpty())
            return;
        shownError = dlg->session().errorText();
        QTimer::singleShot(0, dlg, [dlg] { dlg->findChild<QPushButton *>("Button1")->click(); });
    });
    m_guard.start();
    child<QPushButton>("btnL60Save")->click();
    QVERIFY(m_guard.isActive());
    QVERIFY2(shownError.startsWith("Mismatched type found! Check the all items"), qPrintable(shownError));
    const TConfigItem *camera = m_window->core().selectedCamera();
    QVERIFY(camera->AdminId.isEmpty() && camera->AdminPassword.isEmpty());
    QVERIFY(child<QPushButton>("btnL60Save")->isEnabled());
    QVERIFY(child<QPushButton>("btnL60Restore")->isEnabled());
    QVERIFY(m_window->core().l60Changed());
    QCOMPARE(m_window->core().list().icon(0), int(CameraList::Present));
    // The edit is still there for a second Save after a new login.
    QCOMPARE(child<QLineEdit>("editL60HostName")->text(), QString("other"));
}

void TestL60EndToEnd::modelFourHasNoPppoeNorMiscPage()
{
    QVERIFY(startWindow({l60Camera("l64", "00:0A:1B:2C:3D:64", "127.0.0.64", 4),
                         l60Camera("l60", "00:0A:1B:2C:3D:65", "127.0.0.65", 1)}));
    selectMac("00:0A:1B:2C:3D:65");
    QCOMPARE(m_window->l60Category()->count(), 4);
    QVERIFY(child<QRadioButton>("btnL60SelectPPPOE")->isEnabled());
    selectMac("00:0A:1B:2C:3D:64");
    QVERIFY(m_window->l60Category()->isVisible());
    QCOMPARE(m_window->l60Category()->count(), 3);
    QVERIFY(!child<QRadioButton>("btnL60SelectPPPOE")->isEnabled());
    QVERIFY(child<QRadioButton>("btnL60SelectStaticIP")->isEnabled());
    QVERIFY(child<QRadioButton>("btnL60SelectDhcp")->isEnabled());
    QVERIFY(m_messenger.shown().isEmpty());
}

QTEST_MAIN(TestL60EndToEnd)
#include "tst_l60_e2e.moc"

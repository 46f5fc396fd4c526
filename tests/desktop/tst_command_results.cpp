// The main window's handlers of a command's outcome, on the core without widgets: the
// row state and countdown, the changed marks, the Save buttons and the credentials.
#include "base/messenger.h"
#include "desktop/admin_tool_core.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "test_support.h"

#include <QTest>

namespace {

// Records what the core asks of the window.
class Host final : public PageHost
{
public:
    void setPageSetsEnabled(bool f, bool l) override { fileEnabled = f, l60Enabled = l; }
    void showFamily(Family f, TConfigItem *) override { family = f; }
    void disableSaveRestore() override {}
    void setFileSaveButtonsEnabled(bool on) override { fileButtons = on; }
    void reloadFilePage() override { ++reloads; }
    bool fileEnabled = true, l60Enabled = true, fileButtons = false;
    Family family = Family::L60;
    int reloads = 0;
};

} // namespace

class TestCommandResults : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<TestSupport::AppDir>(); }
    void success_data();
    void success();
    void authFailureByFamily_data();
    void authFailureByFamily();
    void noRowDoesNothing();

private:
    int addCamera(AdminToolCore &core, quint8 model, int icon);
    std::unique_ptr<TestSupport::AppDir> m_dir;
};

int TestCommandResults::addCamera(AdminToolCore &core, quint8 model, int icon)
{
    const int record = core.registry().freeRecord();
    TConfigItem &c = core.registry().record(record);
    QByteArray header = TestSupport::fromHex("5A 4F 52 41 02 00 00 05");
    header.append(char(model)).append(TestSupport::fromHex("00 0A 1B 2C 3D 4E 01 1C"));
    c.Header = header;
    c.ModelName = "L60";
    c.Address = "127.0.0.5";
    c.AdminId = "root";
    c.AdminPassword = "pass";
    CameraList::Row r;
    r.caption = "L60";
    r.mac = "00:0A:1B:2C:3D:4E";
    r.ip = c.Address;
    r.record = record;
    r.counters = {2, 3, 0, 3, 0};
    r.icon = icon;
    core.list().appendRow(r);
    return record;
}

void TestCommandResults::success_data()
{
    QTest::addColumn<int>("iconBefore");
    QTest::addColumn<int>("iconAfter");
    QTest::newRow("present restarts") << int(CameraList::Present) << int(CameraList::Restarting);
    QTest::newRow("lost stays lost") << int(CameraList::Lost) << int(CameraList::Lost);
}

void TestCommandResults::success()
{
    QFETCH(int, iconBefore);
    QFETCH(int, iconAfter);
    ScriptedMessenger messenger;
    AdminToolCore core(AppOptions{}, messenger);
    Host host;
    core.setPageHost(&host);
    const int record = addCamera(core, 1, iconBefore);
    core.rowSelected(0);
    core.l60().L60ConfigChanged();
    core.setFileChanged(true);
    host.fileButtons = true;
    core.ZORASetSuccess(record);
    QCOMPARE(core.list().icon(0), iconAfter);
    QCOMPARE(core.list().column(0, CameraList::ColCycles), QString("3"));
    QCOMPARE(core.list().column(0, CameraList::ColCountdown), QString("120"));
    QVERIFY(!host.fileEnabled && !host.l60Enabled);
    QVERIFY(!host.fileButtons);
    const std::pair<L60Button, const char *> buttons[] = {
        {L60Button::Save, "btnL60Save"}, {L60Button::Restore, "btnL60Restore"},
        {L60Button::AccountSave, "btnL60AccountSave"},
        {L60Button::AccountRestore, "btnL60AccountRestore"}};
    for (const auto &b : buttons)
        QVERIFY2(!core.l60().buttonEnabled(b.first), b.second);
    QVERIFY(!core.l60Changed() && !core.fileChanged());
    QCOMPARE(core.registry().record(record).AdminId, QString("root"));
}

void TestCommandResults::authFailureByFamily_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("filePages");
    QTest::newRow("L60 pages") << 1 << false;
    QTest::newRow("file-configured pages") << 0 << true;
}

void TestCommandResults::authFailureByFamily()
{
    QFETCH(int, model);
    QFETCH(bool, filePages);
    ScriptedMessenger messenger;
    AdminToolCore core(AppOptions{}, messenger);
    Host host;
    core.setPageHost(&host);
    const int record = addCamera(core, quint8(model), CameraList::Present);
    core.rowSelected(0);
    core.ZORAAuthFail(record);
    const TConfigItem &c = core.registry().record(record);
    QVERIFY(c.AdminId.isEmpty() && c.AdminPassword.isEmpty());
    QCOMPARE(host.fileButtons, filePages);
    QCOMPARE(core.fileChanged(), filePages);
    QCOMPARE(core.l60Changed(), !filePages);
    QCOMPARE(core.l60().buttonEnabled(L60Button::Save), !filePages);
    QCOMPARE(core.l60().buttonEnabled(L60Button::AccountSave), !filePages);
    QCOMPARE(core.list().icon(0), int(CameraList::Present));
}

void TestCommandResults::noRowDoesNothing()
{
    ScriptedMessenger messenger;
    AdminToolCore core(AppOptions{}, messenger);
    Host host;
    core.setPageHost(&host);
    addCamera(core, 1, CameraList::Present);
    core.ZORASetSuccess(-1);
    core.ZORAAuthFail(-1);
    core.ZORAAuthFail(99);
    QCOMPARE(core.list().icon(0), int(CameraList::Present));
    QCOMPARE(core.registry().record(0).AdminId, QString("root"));
    QVERIFY(host.l60Enabled);
}

QTEST_MAIN(TestCommandResults)
#include "tst_command_results.moc"

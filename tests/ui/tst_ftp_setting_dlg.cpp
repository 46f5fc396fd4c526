// The FTP connection settings dialog on screen: its controls, its results when driven
// modally, and the main window's context-menu handlers that open it for a camera.
#include "base/messenger.h"
#include "desktop/ui/main_window.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "test_support.h"
#include "desktop/ui/transfer/ftp_setting_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <functional>

namespace {

using DialogAction = std::function<void(TFTPSettingDlg *)>;

// Runs action on the FTP settings dialog as soon as it runs modally. A dialog that the
// action leaves open is ended with -1, so that a fault fails the test instead of hanging
// it; ran says whether the dialog came up at all.
void whenModal(DialogAction action, bool *ran)
{
    *ran = false;
    QTimer::singleShot(0, [action, ran] {
        auto *dlg = qobject_cast<TFTPSettingDlg *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        *ran = true;
        action(dlg);
        if (dlg->isVisible())
            dlg->done(-1);
    });
}

template <typename T>
T *control(QWidget *dlg, const char *name)
{
    return dlg->findChild<T *>(QLatin1String(name));
}

// The user's edits: port text, passive, ascii.
void edit(TFTPSettingDlg *dlg, const QString &port, bool passive, bool ascii)
{
    control<QLineEdit>(dlg, "editPort")->setText(port);
    control<QCheckBox>(dlg, "chkPassive")->setChecked(passive);
    control<QRadioButton>(dlg, ascii ? "radioAscii" : "radioBinary")->click();
}

// A discovery reply of a camera with the given model and MAC end byte.
Zora::DiscoveryReply reply(quint8 model, quint8 macEnd)
{
    QByteArray d = QByteArray("ZORA") + char(2) + QByteArray(2, '\0') + char(5) + char(model)
                   + QByteArray::fromHex("000A1B2C3D") + char(macEnd) + char(1) + char(0);
    d += char(3) + QByteArray("CAM") + char(1) + QByteArray("h");
    Zora::PutLe16(d, 5, quint16(d.size()));
    return *Zora::DiscoveryReply::parse(d);
}

// Lists a camera the way a discovery reply does (record filled, row appended) and returns
// its row; without a model the row has no record behind it.
int listCamera(AdminToolCore &core, std::optional<quint8> model, quint8 macEnd)
{
    CameraList::Row r;
    r.caption = "CAM";
    r.mac = QString("00:0A:1B:2C:3D:%1").arg(macEnd, 2, 16, QChar('0')).toUpper();
    r.ip = QString("127.0.0.%1").arg(macEnd);
    r.counters = {int(Connection::Local), 3, 0, 3, 0};
    if (model) {
        r.record = core.registry().freeRecord();
        core.registry().record(r.record).fillFromReply(reply(*model, macEnd), r.ip);
    }
    return core.list().appendRow(r);
}

void selectRow(TAdminToolDlg &window, int row)
{
    window.cameraList()->selectionModel()->select(
        window.core().list().index(row, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace

class TestFtpSettingDlg : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<TestSupport::AppDir>(); }
    void controls();
    void modalResults_data();
    void modalResults();
    void windowEditsSelectedCamera();
    void windowWithoutRecordOrRow();

private:
    std::unique_ptr<TestSupport::AppDir> m_dir;
};

void TestFtpSettingDlg::controls()
{
    ScriptedMessenger messenger;
    TFTPSettingDlg dlg(messenger);
    QCOMPARE(dlg.windowTitle(), QString("FTP Connection Setting"));
    auto *port = control<QLineEdit>(&dlg, "editPort");
    QVERIFY(port);
    const QList<QLabel *> labels = dlg.findChildren<QLabel *>();
    QVERIFY(std::any_of(labels.begin(), labels.end(), [port](QLabel *l) {
        return l->buddy() == port && l->text() == "Port : ";
    }));
    QCOMPARE(control<QCheckBox>(&dlg, "chkPassive")->text(), QString("Passive Mode"));
    auto *group = control<QGroupBox>(&dlg, "GroupBox1");
    QCOMPARE(group->title(), QString("Transfer Type"));
    QCOMPARE(control<QRadioButton>(group, "radioBinary")->text(), QString("Binary"));
    QCOMPARE(control<QRadioButton>(group, "radioAscii")->text(), QString("Ascii"));
    auto *ok = control<QPushButton>(&dlg, "BtnOK");
    QCOMPARE(ok->text(), QString("OK"));
    QVERIFY(ok->isDefault());
    QVERIFY(!ok->isEnabled());
    QCOMPARE(control<QPushButton>(&dlg, "BtnCancel")->text(), QString("Cancel"));

    // The user's first change enables OK.
    control<QCheckBox>(&dlg, "chkPassive")->click();
    QVERIFY(ok->isEnabled());

    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    QVERIFY(port->width() > 0 && dlg.width() >= port->width());
}

void TestFtpSettingDlg::modalResults_data()
{
    QTest::addColumn<DialogAction>("action");
    QTest::addColumn<int>("result");
    QTest::addColumn<FtpConnectionSetting>("after");
    QTest::addColumn<QString>("message");

    const FtpConnectionSetting unchanged;
    auto click = [](const char *button) {
        return [button](TFTPSettingDlg *dlg) { control<QPushButton>(dlg, button)->click(); };
    };
    auto editThen = [](QString port, std::function<void(TFTPSettingDlg *)> then) {
        return DialogAction([port, then](TFTPSettingDlg *dlg) {
            edit(dlg, port, false, true);
            then(dlg);
        });
    };
    QTest::newRow("ok stores") << editThen("2121", click("BtnOK")) << 1
                               << FtpConnectionSetting{2121, false, 1} << "";
    QTest::newRow("ok unchanged") << DialogAction(click("BtnOK")) << 1 << unchanged << "";
    QTest::newRow("cancel after edits") << editThen("2121", click("BtnCancel")) << 2 << unchanged
                                        << "";
    QTest::newRow("escape after edits")
        << editThen("2121", [](TFTPSettingDlg *dlg) { QTest::keyClick(dlg, Qt::Key_Escape); })
        << 2 << unchanged << "";
    // A refused OK keeps the dialog up with the focus on the port.
    auto refusedThenCancel = [](TFTPSettingDlg *dlg) {
        auto *ok = control<QPushButton>(dlg, "BtnOK");
        ok->setFocus();
        ok->click();
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->focusWidget(), control<QLineEdit>(dlg, "editPort"));
        dlg->reject();
    };
    QTest::newRow("empty port stays open") << editThen("", refusedThenCancel) << 2 << unchanged
                                           << "FTP Port is required\nWell known FTP Port is 21";
    QTest::newRow("no number stays open") << editThen("21x", refusedThenCancel) << 2 << unchanged
                                          << "'21x' is not a valid integer value";
}

void TestFtpSettingDlg::modalResults()
{
    QFETCH(DialogAction, action);
    QFETCH(int, result);
    QFETCH(FtpConnectionSetting, after);
    QFETCH(QString, message);
    ScriptedMessenger messenger;
    TFTPSettingDlg dlg(messenger);
    FtpConnectionSetting setting;
    dlg.attach(&setting);
    bool ran = false;
    whenModal(action, &ran);
    QCOMPARE(dlg.ShowModal(), result);
    QVERIFY(ran);
    QVERIFY(setting == after);
    QCOMPARE(messenger.lastText(), message);
}

void TestFtpSettingDlg::windowEditsSelectedCamera()
{
    ScriptedMessenger messenger;
    TAdminToolDlg window(AppOptions{}, &messenger);
    window.setUp();
    AdminToolCore &core = window.core();
    const int file = listCamera(core, 0, 0x61);
    const int l60 = listCamera(core, 1, 0x62);
    QAction *menuEntry = window.findChild<QAction *>("FTPSetting1");
    const FtpConnectionSetting edited{2121, false, 1};

    selectRow(window, l60);
    window.PoupMenuPopup();
    QVERIFY(!menuEntry->isEnabled());

    selectRow(window, file);
    window.PoupMenuPopup();
    QVERIFY(menuEntry->isEnabled());
    messenger.clear();
    // A fresh camera shows the defaults; the edits reach its record through the menu.
    bool ran = false;
    whenModal([](TFTPSettingDlg *dlg) {
        QCOMPARE(control<QLineEdit>(dlg, "editPort")->text(), QString("21"));
        QVERIFY(control<QCheckBox>(dlg, "chkPassive")->isChecked());
        QVERIFY(control<QRadioButton>(dlg, "radioBinary")->isChecked());
        QVERIFY(control<QPushButton>(dlg, "BtnOK")->isEnabled());
        edit(dlg, "2121", false, true);
        control<QPushButton>(dlg, "BtnOK")->click();
    }, &ran);
    menuEntry->trigger();
    QVERIFY(ran);
    QVERIFY(messenger.shown().isEmpty());
    QVERIFY(core.registry().recordOfRow(file)->FtpSettings == edited);

    // The kept dialog shows the edited values next time; Cancel leaves them.
    whenModal([](TFTPSettingDlg *dlg) {
        QCOMPARE(control<QLineEdit>(dlg, "editPort")->text(), QString("2121"));
        QVERIFY(control<QRadioButton>(dlg, "radioAscii")->isChecked());
        edit(dlg, "21", true, false);
        control<QPushButton>(dlg, "BtnCancel")->click();
    }, &ran);
    window.FTPConnectionSetting1Click();
    QVERIFY(ran);
    QCOMPARE(window.findChildren<TFTPSettingDlg *>().size(), 1);
    QVERIFY(core.registry().recordOfRow(file)->FtpSettings == edited);

    // Called directly for the model 1 camera: no setting to edit.
    selectRow(window, l60);
    whenModal([](TFTPSettingDlg *dlg) { control<QPushButton>(dlg, "BtnCancel")->click(); }, &ran);
    window.FTPConnectionSetting1Click();
    QVERIFY(ran);
    QCOMPARE(messenger.lastText(), QString("FTP Info is Invalid"));
    QVERIFY(!core.registry().recordOfRow(l60)->FtpSettings);
}

void TestFtpSettingDlg::windowWithoutRecordOrRow()
{
    ScriptedMessenger messenger;
    TAdminToolDlg window(AppOptions{}, &messenger);
    window.setUp();
    AdminToolCore &core = window.core();
    const int orphan = listCamera(core, std::nullopt, 0x63);
    bool ran = false;

    // No row selected: nothing at all.
    whenModal([](TFTPSettingDlg *) {}, &ran);
    window.FTPConnectionSetting1Click();
    QVERIFY(messenger.shown().isEmpty());
    window.PoupMenuPopup();
    QVERIFY(!window.findChild<QAction *>("FTPSetting1")->isEnabled());

    selectRow(window, orphan);
    QCOMPARE(core.selectedRow(), orphan);
    window.FTPConnectionSetting1Click();
    QCoreApplication::processEvents();   // lets the probe above run: no dialog came up
    QVERIFY(!ran);
    QCOMPARE(messenger.lastText(), QString("Invalid Information"));
    window.PoupMenuPopup();
    QVERIFY(!window.findChild<QAction *>("FTPSetting1")->isEnabled());
}

QTEST_MAIN(TestFtpSettingDlg)
#include "tst_ftp_setting_dlg.moc"

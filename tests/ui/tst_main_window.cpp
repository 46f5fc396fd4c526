// The main window as a user meets it: captions, hidden controls, the list and the page
// family chosen on selection, against the simulated fleet.
#include "base/messenger.h"
#include "camsim_process.h"
#include "desktop/ui/export_file_dialog.h"
#include "desktop/ui/main_window.h"
#include "desktop/ui/protoconfig/l60_category.h"
#include "desktop/ui/theme_colours.h"
#include "desktop/ui/widget_messenger.h"
#include "fileconfig/page_settings.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/camera_registry.h"
#include "test_support.h"
#include "window_rig_helper.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

// The simulator's fleet on loopback.
AppOptions loopbackOptions(const CamSimProcess &sim)
{
    AppOptions options;
    options.broadcast = QHostAddress("127.255.255.255");
    options.cameraPort = sim.cameraPort();
    options.localPort = CamSimProcess::freeUdpPort();
    return options;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startUpFilesAndCaptions();
    void hiddenControlsStayHidden();
    void clockText_data();
    void clockText();
    void scanAndSelect();
    void cameraMenuReachesDialogs_data();
    void cameraMenuReachesDialogs();
    void listMarksAndClearAsks();
    void everyPageNameInViewAtMinimumSize();
    void pageKeptForTheNextCamera_data();
    void pageKeptForTheNextCamera();
    void closingWithEditsAsks_data();
    void closingWithEditsAsks();
    void leaveQuestionDefaultsToCancel_data();
    void leaveQuestionDefaultsToCancel();
    void keysLegendAndLayout();
    void closingRemovesWorkingFiles();
    void listAndLayoutComeBackWhole();
    void rowsKeepOneHeight();
    void cellTexts_data();
    void cellTexts();
    void exportFileName_data();
    void exportFileName();
    void stateColoursRead_data();
    void stateColoursRead();
    void largerFontWidensClockAndColumns();

private:
    std::unique_ptr<TestSupport::AppDir> m_dir;
};

void TestMainWindow::init()
{
    m_dir.reset();
    m_dir = std::make_unique<TestSupport::AppDir>();
}

void TestMainWindow::startUpFilesAndCaptions()
{
    ScriptedMessenger messenger;
    AppOptions options;
    TAdminToolDlg window(options, &messenger);
    window.setUp();
    QCOMPARE(window.windowTitle(), QString("ZORA 2.0"));
    QVERIFY(QFileInfo(m_dir->file("temp")).isDir());
    QVERIFY(m_dir->read("zora.ini").startsWith("[MODELS]\r\n# 1 "));
    const QByteArray handle =
        QByteArray("HANDLE=") + QByteArray::number(QCoreApplication::applicationPid()) + "\r\n";
    QVERIFY(m_dir->read("zora.ini").contains(handle));
    auto *scan = window.findChild<QToolButton *>("BtnScanCamera");
    QVERIFY(scan);
    QCOMPARE(scan->text(), QString("Scan Cameras"));
    auto *list = window.findChild<QTreeView *>("CameraList");
    QVERIFY(list);
    QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QString("Mac Address"));
    // A MAC and an address fit whole at the platform's font.
    const QFontMetrics fm(list->font());
    QVERIFY(list->header()->sectionSize(1) > fm.horizontalAdvance("00:0A:1B:2C:3D:4E"));
    QVERIFY(list->header()->sectionSize(2) > fm.horizontalAdvance("255.255.255.255"));
    // The model table of zora.ini feeds the hidden filter.
    auto *filter = window.findChild<QComboBox *>("cboCameraModel");
    QCOMPARE(filter->count(), 8);
    QCOMPARE(filter->itemText(0), QString("Any Camera Models"));
    QCOMPARE(filter->itemText(2), QString("L60 Model Only"));
}

void TestMainWindow::hiddenControlsStayHidden()
{
    ScriptedMessenger messenger;
    TAdminToolDlg window(AppOptions{}, &messenger);
    window.setUp();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const char *name : {"BtnNewCamera", "btnSaveConfig", "cboCameraModel"}) {
        auto *w = window.findChild<QWidget *>(name);
        QVERIFY2(w && !w->isVisible(), name);
    }
    for (const char *name : {"SaveCameraList1", "ClearList2", "SearchRemoteCamera1"}) {
        auto *a = window.findChild<QAction *>(name);
        QVERIFY2(a && !a->isVisible(), name);
    }
    QVERIFY(window.findChild<QWidget *>("BtnScanCamera")->isVisible());
    // The L60 pages lie exactly over the file-configured ones.
    QCOMPARE(window.l60Category()->geometry(), window.category()->geometry());
    QVERIFY(!window.category()->isEnabled());
    // The context menu: FTP settings only with a file-configured camera selected.
    window.PoupMenuPopup();
    QVERIFY(!window.findChild<QAction *>("FTPSetting1")->isEnabled());
    // It opens on the list and on the pages (a page's own child passes it up), from the
    // pointer and from the keyboard.
    QWidget *hint = window.findChild<QWidget *>("NoCameraHint");
    for (QWidget *target : {window.cameraList()->viewport(), hint}) {
        for (auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
            QContextMenuEvent event(reason, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(target, &event);
            QTRY_VERIFY2(window.popupMenu()->isVisible(), qPrintable(target->objectName()));
            QVERIFY(!window.findChild<QAction *>("ClearList2")->isVisible());
            window.popupMenu()->close();
        }
    }
    for (const auto &[key, modifiers] : {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
        window.cameraList()->setFocus();
        QTest::keyClick(window.cameraList(), key, modifiers);
        QTRY_VERIFY(window.popupMenu()->isVisible());
        window.popupMenu()->close();
    }
}

void TestMainWindow::clockText_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("text");
    QTest::newRow("no leading zeros") << QDateTime(QDate(2003, 5, 16), QTime(17, 0, 5))
                                      << "Friday May 16 2003 17:0:5";
    QTest::newRow("sunday") << QDateTime(QDate(2026, 12, 6), QTime(9, 30, 59))
                            << "Sunday December 6 2026 9:30:59";
}

void TestMainWindow::clockText()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, text);
    QCOMPARE(AdminToolCore::clockText(when), text);
}

void TestMainWindow::scanAndSelect()
{
    CamSimProcess sim;
    QJsonArray fleet = {
        QJsonObject{{"id", "file"}, {"mac", "00:0A:1B:2C:3D:51"}, {"ip", "127.0.0.51"},
                    {"model", 0}, {"model_name", "L80"}, {"host_name", "a"}},
        QJsonObject{{"id", "l60"}, {"mac", "00:0A:1B:2C:3D:52"}, {"ip", "127.0.0.52"},
                    {"model", 1}, {"model_name", "L60"}, {"host_name", "b"}},
        QJsonObject{{"id", "odd"}, {"mac", "00:0A:1B:2C:3D:53"}, {"ip", "127.0.0.53"},
                    {"model", 9}, {"model_name", "X9"}, {"host_name", "c"}},
    };
    QVERIFY2(sim.start(fleet), qPrintable(sim.errorString()));
    ScriptedMessenger messenger;
    TAdminToolDlg window(loopbackOptions(sim), &messenger);
    window.setUp();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.findChild<QToolButton *>("BtnScanCamera")->click();
    CameraList &list = window.core().list();
    QTRY_COMPARE_WITH_TIMEOUT(list.count(), 3, 5000);
    QVERIFY(messenger.shown().isEmpty());

    auto select = [&](const char *mac) {
        const int row = list.rowOfMac(mac);
        window.cameraList()->selectionModel()->select(
            list.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return row;
    };
    select("00:0A:1B:2C:3D:51");
    QVERIFY(window.category()->isVisible());
    QVERIFY(!window.l60Category()->isVisible());
    QVERIFY(window.category()->isEnabled());
    window.PoupMenuPopup();
    QVERIFY(window.findChild<QAction *>("FTPSetting1")->isEnabled());
    select("00:0A:1B:2C:3D:52");
    QVERIFY(window.l60Category()->isVisible());
    QVERIFY(!window.category()->isVisible());
    // Any other model code gets the L60 pages too.
    select("00:0A:1B:2C:3D:53");
    QVERIFY(window.l60Category()->isVisible());
    QCOMPARE(window.core().selectedRow(), list.rowOfMac("00:0A:1B:2C:3D:53"));

    // A restarting camera says so and locks the pages.
    const int row = list.rowOfMac("00:0A:1B:2C:3D:51");
    window.core().discovery().startCountdown(row, CameraList::Restarting);
    select("00:0A:1B:2C:3D:51");
    QCOMPARE(messenger.lastText(), QString("Camera is now under SYSTEM REBOOT\n\nPlease Wait...."));
    QVERIFY(!window.category()->isEnabled());

    window.cameraList()->selectionModel()->clearSelection();
    QCOMPARE(window.core().selectedRow(), -1);
    QVERIFY(!window.category()->isEnabled());

    // Clear List empties the list without asking.
    messenger.clear();
    window.findChild<QToolButton *>("BtnClearList")->click();
    QCOMPARE(list.count(), 0);
    QVERIFY(messenger.shown().isEmpty());
}

void TestMainWindow::cameraMenuReachesDialogs_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("select");
    QTest::addColumn<QString>("dialog"); // empty: the entry is disabled
    QTest::newRow("register, nothing selected") << "RegisterCamera1" << false << "TRegCamDlg";
    QTest::newRow("register, a camera selected") << "RegisterCamera1" << true << "TRegCamDlg";
    QTest::newRow("remote search of the row") << "SearchRemoteCamera2" << true << "TSrchRemoteCamDlg";
    QTest::newRow("remote search, no row") << "SearchRemoteCamera2" << false << "";
    QTest::newRow("FTP setting of a file camera") << "FTPSetting2" << true << "TFTPSettingDlg";
    QTest::newRow("FTP setting, no camera") << "FTPSetting2" << false << "";
    QTest::newRow("page save, nothing edited") << "SavePage1" << true << "";
}

void TestMainWindow::cameraMenuReachesDialogs()
{
    QFETCH(QString, entry);
    QFETCH(bool, select);
    QFETCH(QString, dialog);
    WindowRig rig;
    QVERIFY(rig.start({WindowRig::fileCamera("cam", 61)}));
    if (select)
        QVERIFY(rig.selectMac(WindowRig::macOf(61)) >= 0);
    TAdminToolDlg &window = *rig.window;
    QVERIFY(window.menuBar()->actions().contains(window.cameraMenu()->menuAction()));
    window.CameraMenuPopup();
    auto *action = window.cameraMenu()->findChild<QAction *>(entry);
    QVERIFY(action);
    QCOMPARE(action->isEnabled(), !dialog.isEmpty());
    if (dialog.isEmpty())
        return;
    QString opened;
    QTimer::singleShot(0, &window, [&opened] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
    action->trigger();
    QCOMPARE(opened, dialog);
}

void TestMainWindow::listMarksAndClearAsks()
{
    CamSimProcess sim;
    QJsonArray fleet;
    for (const char *host : {"cam10", "cam2", "cam9"})
        fleet.append(QJsonObject{{"id", host}, {"mac", QString("00:0A:1B:2C:3E:%1").arg(QString(host).mid(3).toInt(), 2, 10, QChar('0'))},
                                 {"model", 1}, {"model_name", "L60"}, {"host_name", host}});
    QVERIFY2(sim.start(fleet), qPrintable(sim.errorString()));
    ScriptedMessenger messenger;
    AppOptions options = loopbackOptions(sim);
    options.appDir = m_dir->path();
    TAdminToolDlg window(options, &messenger);
    window.setUp();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CameraList &list = window.core().list();
    auto scanned = [&](int answering) {
        window.findChild<QToolButton *>("BtnScanCamera")->click();
        QTRY_COMPARE_WITH_TIMEOUT(window.core().scanSummary().cameras(), answering, 5000);
        for (int i = 0; i < ScanSummary::kReplyWindowTicks; ++i)
            window.ClockTimerTimer();
    };
    scanned(3);
    QCOMPARE(window.findChild<QLabel *>("StatusScan")->text(), QString("3 cameras answered on 1 adapter"));
    // A rescan with the same answer ends on its result, not on "Scanning…".
    scanned(3);
    QCOMPARE(window.findChild<QLabel *>("StatusScan")->text(), QString("3 cameras answered on 1 adapter"));
    QVERIFY(list.data(list.index(0, 1), Qt::ToolTipRole).toString().startsWith("answered on lo"));

    // Host names sort naturally, with the header's indicator.
    emit window.cameraList()->header()->sectionClicked(3);
    QStringList hosts;
    for (int r = 0; r < list.count(); ++r)
        hosts << list.row(r).host;
    QCOMPARE(hosts, QStringList({"cam2", "cam9", "cam10"}));
    QVERIFY(window.cameraList()->header()->isSortIndicatorShown());
    QCOMPARE(window.cameraList()->header()->sortIndicatorSection(), 3);

    // The filter narrows the rows by any column.
    auto *filter = window.findChild<QLineEdit *>("CameraFilter");
    filter->setText("3E:09");
    QCOMPARE(window.cameraList()->isRowHidden(list.rowOfMac("00:0A:1B:2C:3E:09"), {}), false);
    QCOMPARE(window.cameraList()->isRowHidden(list.rowOfMac("00:0A:1B:2C:3E:02"), {}), true);
    // A set filter says how much of the site it hides; Escape in the box clears it.
    auto *status = window.findChild<QLabel *>("StatusScan");
    QCOMPARE(status->text(), QString("3 cameras answered on 1 adapter — 1 of 3 shown"));
    scanned(3);
    QCOMPARE(status->text(), QString("3 cameras answered on 1 adapter — 1 of 3 shown"));
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Escape);
    QCOMPARE(filter->text(), QString());
    QCOMPARE(status->text(), QString("3 cameras answered on 1 adapter"));
    QVERIFY(!window.cameraList()->isRowHidden(list.rowOfMac("00:0A:1B:2C:3E:02"), {}));

    // A camera that keeps silent through a scan is greyed, with the time of the scan.
    QVERIFY(sim.set("cam9", QJsonObject{{"silent", true}}));
    scanned(2);
    const int silent = list.rowOfMac("00:0A:1B:2C:3E:09");
    QVERIFY(list.data(list.index(silent, 2), Qt::ForegroundRole).isValid());
    QVERIFY(list.data(list.index(silent, 2), Qt::ToolTipRole).toString().startsWith("no answer to the scan at "));
    QVERIFY(!list.data(list.index(list.rowOfMac("00:0A:1B:2C:3E:02"), 2), Qt::ForegroundRole).isValid());

    // Export: the fields of zoractl scan --json.
    QVERIFY(window.exportList(m_dir->file("list.json")));
    const QJsonArray exported = QJsonDocument::fromJson(m_dir->read("list.json")).array();
    QCOMPARE(exported.size(), 3);
    QCOMPARE(exported.at(0).toObject().value("adapter").toString(), QString("lo"));

    // Clear List with an unsaved edit asks first, naming the page and the camera, with
    // Cancel as the default; Cancel keeps the list, No clears it and shows no camera.
    const int row = list.rowOfMac("00:0A:1B:2C:3E:02");
    window.cameraList()->selectionModel()->select(list.index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QVERIFY(window.l60Category()->isVisible());
    window.l60Category()->setCurrentIndex(L60Pages::HostPage);
    QTest::keyClicks(window.l60Category()->findChild<QLineEdit *>("editL60HostName"), "x");
    QVERIFY(window.core().l60Changed());
    const QString ip = list.row(row).ip;
    messenger.clear();
    messenger.queueAnswers({Messenger::AnswerCancel});
    window.findChild<QToolButton *>("BtnClearList")->click();
    QCOMPARE(list.count(), 3);
    QVERIFY(window.core().l60Changed());
    messenger.queueAnswers({Messenger::AnswerNo});
    window.findChild<QToolButton *>("BtnClearList")->click();
    QCOMPARE(messenger.shown().size(), 2);
    QCOMPARE(messenger.shown().first().style, Messenger::Style::YesNoCancel);
    QCOMPARE(messenger.shown().first().text,
             QString("Camera Property Changed:\nHost Name page of cam2 (%1)\n\nSave the changes?")
                 .arg(ip));
    QCOMPARE(list.count(), 0);
    QVERIFY(!window.l60Category()->isVisible());
    QVERIFY(window.findChild<QLabel *>("NoCameraHint")->isVisible());

    // The layout goes to a file of the window's own; zora.ini is left alone.
    const QByteArray ini = m_dir->read("zora.ini");
    window.saveLayout();
    QVERIFY(QFileInfo::exists(TAdminToolDlg::layoutFile()));
    QCOMPARE(m_dir->read("zora.ini"), ini);
}

void TestMainWindow::everyPageNameInViewAtMinimumSize()
{
    WindowRig rig;
    QVERIFY(rig.start({WindowRig::fileCamera("cam", 62)}));
    rig.selectMac(WindowRig::macOf(62));
    TAdminToolDlg &window = *rig.window;
    window.resize(window.minimumSizeHint());
    auto *index = window.findChild<QListWidget *>("CategoryIndex");
    QVERIFY(index);
    QTRY_COMPARE(window.size(), window.minimumSizeHint());
    QTRY_VERIFY(index->isVisible());
    QCOMPARE(index->count(), window.category()->count());
    QVERIFY(!window.category()->tabBar()->isVisible());
    for (int i = 0; i < index->count(); ++i) {
        const QRect r = index->visualItemRect(index->item(i));
        QVERIFY2(index->viewport()->rect().contains(r), qPrintable(index->item(i)->text()));
    }
    // Choosing a name shows its page; Save and Restore stay in reach.
    index->setCurrentRow(int(FileTab::WebServer));
    QCOMPARE(window.category()->currentIndex(), int(FileTab::WebServer));
    QTRY_VERIFY(window.findChild<QPushButton *>("btnSave")->isVisible());
}

void TestMainWindow::pageKeptForTheNextCamera_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("page");
    QTest::newRow("file camera, Account") << 0 << int(FileTab::Account);
    QTest::newRow("file camera, Web Server") << 0 << int(FileTab::WebServer);
    QTest::newRow("L60 camera, Host Name") << 1 << int(L60Pages::HostPage);
    QTest::newRow("L60 camera, Account") << 1 << int(L60Pages::AccountPage);
}

void TestMainWindow::pageKeptForTheNextCamera()
{
    QFETCH(int, model);
    QFETCH(int, page);
    WindowRig rig;
    QVERIFY(rig.start({WindowRig::fileCamera("one", 63, model), WindowRig::fileCamera("two", 64, model)}));
    TAdminToolDlg &window = *rig.window;
    QTabWidget *pages = model == 0 ? window.category() : window.l60Category();
    rig.selectMac(WindowRig::macOf(63));
    pages->setCurrentIndex(page);
    rig.selectMac(WindowRig::macOf(64));
    QCOMPARE(pages->currentIndex(), page);
    QVERIFY(rig.messenger.shown().isEmpty());
    if (model == 0)
        QCOMPARE(int(window.core().files().currentTab()), page);
    else
        QCOMPARE(window.core().l60().currentPage(), page);
}

void TestMainWindow::closingWithEditsAsks_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");
    QTest::newRow("yes saves and closes") << int(Messenger::AnswerYes) << true << true;
    QTest::newRow("no closes") << int(Messenger::AnswerNo) << true << false;
    QTest::newRow("cancel keeps the window and the edit") << int(Messenger::AnswerCancel) << false << false;
}

void TestMainWindow::closingWithEditsAsks()
{
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    WindowRig rig;
    QVERIFY(rig.start({WindowRig::fileCamera("gate", 65)}));
    TAdminToolDlg &window = *rig.window;
    rig.selectMac(WindowRig::macOf(65));
    rig.enterTab(int(FileTab::WebServer));
    auto *title = rig.child<QLineEdit>("editWebTitle");
    QTRY_VERIFY(title->isEnabled());
    title->setFocus();
    title->selectAll();
    QTest::keyClicks(title, "Gate camera");
    rig.messenger.clear();
    rig.messenger.queueAnswers({answer});
    window.close();
    QCOMPARE(rig.messenger.shown().size(), 1);
    QCOMPARE(rig.messenger.shown().first().style, Messenger::Style::YesNoCancel);
    QCOMPARE(rig.messenger.shown().first().text,
             QString("Camera Property Changed:\nWeb Server page of gate (127.0.0.65)\n\nSave the changes?"));
    QCOMPARE(!window.isVisible(), closed);
    QCOMPARE(rig.cameraFile("gate", "etc/html/title.js").contains("Gate camera"), saved);
    if (!closed)
        QVERIFY(window.core().fileChanged());
}

void TestMainWindow::leaveQuestionDefaultsToCancel_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("escape") << int(Qt::Key_Escape);
    QTest::newRow("return on the default") << int(Qt::Key_Return);
}

void TestMainWindow::leaveQuestionDefaultsToCancel()
{
    QFETCH(int, key);
    QWidget owner;
    WidgetMessenger messenger(&owner);
    bool cancelDefault = false;
    QTimer::singleShot(0, &owner, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        cancelDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
        QTest::keyClick(box, Qt::Key(key));
    });
    const int answer = messenger.show("Save the changes?", "Warning", Messenger::Style::YesNoCancel);
    QVERIFY(cancelDefault);
    QCOMPARE(answer, int(Messenger::AnswerCancel));
}

void TestMainWindow::keysLegendAndLayout()
{
    ScriptedMessenger messenger;
    AppOptions options;
    options.appDir = m_dir->path();
    auto window = std::make_unique<TAdminToolDlg>(options, &messenger);
    window->setUp();
    window->show();
    QCOMPARE(window->findChild<QAction *>("ScanCameras1")->shortcut(), QKeySequence(Qt::Key_F5));
    QCOMPARE(window->findChild<QAction *>("Exit1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(window->findChild<QAction *>("FindCamera")->shortcut(), QKeySequence(QKeySequence::Find));
    // The list has the focus at start; Return and Enter click a focused button.
    QCOMPARE(window->focusWidget(), window->cameraList());
    auto *button = new QPushButton("probe", window->findChild<QWidget *>("PagesArea"));
    button->show();
    QSignalSpy clicks(button, &QPushButton::clicked);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clicks.count(), 2);
    // No camera selected: the hint, not a lone pair of disabled buttons.
    QVERIFY(window->findChild<QLabel *>("NoCameraHint")->isVisible());
    QVERIFY(!window->category()->isVisible());
    // Every state icon says what it means.
    CameraList &list = window->core().list();
    for (int state : CameraList::states())
        QVERIFY2(!CameraList::stateText(state).isEmpty(), qPrintable(QString::number(state)));
    CameraList::Row row;
    row.caption = "L60";
    row.ip = "127.0.0.9";
    row.icon = CameraList::Lost;
    list.appendRow(row);
    QCOMPARE(list.data(list.index(0, 0), Qt::ToolTipRole).toString(), CameraList::stateText(CameraList::Lost));
    // The layout comes back at the next start.
    window->resize(1234, 700);
    window->cameraList()->header()->resizeSection(3, 211);
    window->close();
    window = std::make_unique<TAdminToolDlg>(options, &messenger);
    window->setUp();
    QCOMPARE(window->size(), QSize(1234, 700));
    QCOMPARE(window->cameraList()->header()->sectionSize(3) >= 211, true);
}

void TestMainWindow::closingRemovesWorkingFiles()
{
    ScriptedMessenger messenger;
    auto window = std::make_unique<TAdminToolDlg>(AppOptions{}, &messenger);
    window->setUp();
    m_dir->write("temp/ddns.conf", "x");
    m_dir->write("temp/audio.conf", "x");
    m_dir->write("temp/CameraList.cfg", "127.0.0.1\r\n");
    window->show();
    window->close();
    QVERIFY(!QFile::exists(m_dir->file("temp/ddns.conf")));
    QVERIFY(!QFile::exists(m_dir->file("temp/audio.conf")));
    QVERIFY(QFile::exists(m_dir->file("temp/CameraList.cfg")));
}

void TestMainWindow::listAndLayoutComeBackWhole()
{
    ScriptedMessenger messenger;
    AppOptions options;
    options.appDir = m_dir->path();
    m_dir->write("temp/CameraList.cfg", "127.0.0.9\r\n127.0.0.10\r\n");
    auto window = std::make_unique<TAdminToolDlg>(options, &messenger);
    window->setUp();
    QHeaderView *header = window->cameraList()->header();
    emit header->sectionClicked(2);
    QVERIFY(header->isSortIndicatorShown());
    // A row that comes after the sort is not in its order: no indicator claims it is.
    window->core().registry().addSavedRow("127.0.0.1");
    QVERIFY(!header->isSortIndicatorShown());
    emit header->sectionClicked(2);
    QCOMPARE(header->sortIndicatorSection(), 2);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    // Saved widths narrower than the MAC, and a window far larger than any screen.
    header->resizeSection(1, 12);
    window->resize(100000, 100000);
    window->close();
    QCOMPARE(m_dir->read("temp/CameraList.cfg"), QByteArray("127.0.0.9\r\n127.0.0.10\r\n127.0.0.1\r\n"));

    window = std::make_unique<TAdminToolDlg>(options, &messenger);
    window->setUp();
    window->show();
    QCOMPARE(window->core().list().count(), 3);
    header = window->cameraList()->header();
    QVERIFY(!header->isSortIndicatorShown());
    QVERIFY(header->sectionSize(1) > QFontMetrics(window->cameraList()->font()).horizontalAdvance("00:0A:1B:2C:3D:4E"));
    // On the screen, unless the window cannot be made that small.
    const QSize most = window->screen()->availableGeometry().size().expandedTo(
        window->minimumSizeHint().expandedTo(window->minimumSize()));
    QVERIFY2(most.boundedTo(window->size()) == window->size(), qPrintable(QString::number(window->width())));
    QVERIFY(messenger.shown().isEmpty());
    window.reset();

    // A saved list past the list's bound loads up to it and says so in the status bar.
    QByteArray many;
    for (int i = 0; i <= Discovery::kMaxRows; ++i)
        many += "127.1." + QByteArray::number(i / 256) + "." + QByteArray::number(i % 256) + "\r\n";
    m_dir->write("temp/CameraList.cfg", many);
    window = std::make_unique<TAdminToolDlg>(options, &messenger);
    window->setUp();
    QCOMPARE(window->core().list().count(), Discovery::kMaxRows);
    QVERIFY(window->findChild<QLabel *>("StatusScan")->text().contains("the most it keeps"));
}

void TestMainWindow::rowsKeepOneHeight()
{
    ScriptedMessenger messenger;
    TAdminToolDlg window(AppOptions{}, &messenger);
    window.setUp();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CameraList &list = window.core().list();
    for (int i = 0; i < 3; ++i) {
        CameraList::Row row;
        row.caption = "L60";
        row.mac = QString("00:0A:1B:2C:3D:%1").arg(i, 2, 10, QChar('0'));
        row.ip = QString("127.0.0.%1").arg(i + 1);
        list.appendRow(row);
    }
    QTreeView *view = window.cameraList();
    const int height = view->visualRect(list.index(2, 0)).height();
    list.setIcon(0, CameraList::Restarting);
    list.setIcon(1, CameraList::Upgrading);
    QApplication::processEvents();
    for (int r = 0; r < 3; ++r)
        QCOMPARE(view->visualRect(list.index(r, 0)).height(), height);
    // The icon is drawn whole.
    QVERIFY(height >= view->iconSize().height());
}

void TestMainWindow::cellTexts_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("shown");
    QTest::newRow("terminal escape") << "cam\x1b[2J" << "cam\\x1b[2J";
    QTest::newRow("line feed") << "a\nb" << "a\\x0ab";
    QTest::newRow("backslash starts an escape") << "a\\b" << "a\\x5cb";
}

void TestMainWindow::cellTexts()
{
    QFETCH(QString, host);
    QFETCH(QString, shown);
    ScriptedMessenger messenger;
    TAdminToolDlg window(AppOptions{}, &messenger);
    CameraList &list = window.core().list();
    CameraList::Row row;
    row.caption = "L60";
    row.host = host;
    list.appendRow(row);
    QCOMPARE(list.data(list.index(0, 3), Qt::DisplayRole).toString(), shown);
    // The whole name is in the cell's tooltip, however narrow the column.
    QCOMPARE(list.data(list.index(0, 3), Qt::ToolTipRole).toString(), shown);
    QCOMPARE(list.row(0).host, host);
}

void TestMainWindow::exportFileName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("json");
    QTest::addColumn<QString>("written");
    QTest::newRow("csv chosen") << "/tmp/site" << false << "/tmp/site.csv";
    QTest::newRow("json chosen") << "/tmp/site" << true << "/tmp/site.json";
    QTest::newRow("own extension kept") << "/tmp/site.json" << false << "/tmp/site.json";
    QTest::newRow("upper case kept") << "/tmp/site.CSV" << true << "/tmp/site.CSV";
    QTest::newRow("a dot in the name is no extension") << "/tmp/site.2026" << false << "/tmp/site.2026.csv";
}

void TestMainWindow::exportFileName()
{
    QFETCH(QString, typed);
    QFETCH(bool, json);
    QFETCH(QString, written);
    QCOMPARE(ExportFileDialog::fileName(typed, json), written);
}

void TestMainWindow::stateColoursRead_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QPalette(QColor(0xef, 0xef, 0xef));
    // A dark theme as desktop themes ship it.
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x60, 0x60, 0x60));
    dark.setColor(QPalette::Disabled, QPalette::Base, QColor(0x35, 0x35, 0x35));
    QTest::newRow("dark") << dark;
}

void TestMainWindow::stateColoursRead()
{
    QFETCH(QPalette, palette);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    ScriptedMessenger messenger;
    auto window = std::make_unique<TAdminToolDlg>(AppOptions{}, &messenger);
    CameraList &list = window->core().list();
    CameraList::Row row;
    row.caption = "L60";
    row.warning = true;
    list.appendRow(row);
    row.warning = false;
    row.silence = "no answer to the scan at 14:02";
    list.appendRow(row);
    const QColor base = window->cameraList()->palette().color(QPalette::Base);
    for (int r = 0; r < 2; ++r) {
        const QColor text = list.data(list.index(r, 1), Qt::ForegroundRole).value<QBrush>().color();
        QVERIFY2(ThemeColours::contrast(text, base) >= 4.5,
                 qPrintable(QString("row %1: %2 on %3").arg(r).arg(text.name(), base.name())));
    }
    // A disabled L60 domain field takes the theme's colours, not a fixed light grey.
    auto *pages = qobject_cast<L60Category *>(window->l60Category());
    auto *domain = pages->findChild<QLineEdit *>("editL60Domain");
    // Its greyed value reads as drawn: disabled text on disabled base.
    const auto greyedReads = [domain] {
        const QPalette p = domain->palette();
        return ThemeColours::contrast(p.color(QPalette::Disabled, QPalette::Text),
                                      p.color(QPalette::Disabled, QPalette::Base));
    };
    pages->setDomainEnabled(false);
    QVERIFY2(greyedReads() >= 4.5, qPrintable(QString::number(greyedReads())));
    // A usable domain field on a disabled page greys with it, and still reads.
    pages->setDomainEnabled(true);
    QCOMPARE(domain->palette().color(QPalette::Disabled, QPalette::Base),
             palette.color(QPalette::Disabled, QPalette::Base));
    QVERIFY2(greyedReads() >= 4.5, qPrintable(QString::number(greyedReads())));
    window.reset();
    QApplication::setPalette(before);
}

void TestMainWindow::largerFontWidensClockAndColumns()
{
    const QFont before = QApplication::font();
    ScriptedMessenger messenger;
    TAdminToolDlg window(AppOptions{}, &messenger);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QFont larger = before;
    larger.setPointSizeF(before.pointSizeF() * 2);
    QApplication::setFont(larger);
    QCoreApplication::processEvents();
    auto *clock = window.findChild<QLabel *>("StatusClock");
    const QString longest = AdminToolCore::clockText(QDateTime(QDate(2026, 9, 30), QTime(23, 59, 59)));
    const int needed = clock->fontMetrics().horizontalAdvance(longest);
    QApplication::setFont(before);
    QVERIFY2(clock->minimumWidth() >= needed, qPrintable(QString("%1 < %2").arg(clock->minimumWidth()).arg(needed)));
    const QFontMetrics list(larger);
    QVERIFY(window.cameraList()->header()->sectionSize(1) > list.horizontalAdvance("00:0A:1B:2C:3D:4E"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"

// The two page controls as the window builds them: each page of the page table in its
// tab with the title and widget the window showed before, and the titles again after
// the language changed what the pages are called.
#include "base/messenger.h"
#include "desktop/ui/fileconfig/file_category.h"
#include "desktop/ui/fileconfig/file_page_widget.h"
#include "desktop/ui/protoconfig/l60_category.h"
#include "fileconfig/camera_update.h"
#include "fileconfig/file_page_table.h"
#include "fileconfig/file_pages.h"
#include "protoconfig/l60_pages.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QValidator>

#include <memory>
#include <QTest>

class TestPageControls : public QObject
{
    Q_OBJECT

private slots:
    void filePages_data();
    void filePages();
    void l60Titles();
    void l60Controls_data();
    void l60Controls();
    void fieldRoom_data();
    void fieldRoom();
    void numberFieldsTakeDigits_data();
    void numberFieldsTakeDigits();
};

void TestPageControls::filePages_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("title");

    const auto row = [](FileTab tab, const char *object, const char *title) {
        QTest::newRow(object) << int(tab) << QString(object) << QString(title);
    };
    row(FileTab::NetworkInfo, "tabNetworkInfo", "Network Info");
    row(FileTab::HostName, "tabETC", "Host Name");
    row(FileTab::Account, "TabSheet1", "Account");
    row(FileTab::CameraUpdate, "tabSoftUpdate", "Camera Update");
    row(FileTab::Ddns, "tabDDNS", "DDNS");
    row(FileTab::WebServer, "tabWebServer", "Web Server");
    row(FileTab::StreamServer, "tabStreamServer", "Stream Server");
    row(FileTab::EventServer, "tabEventServer", "Event Server");
    row(FileTab::InitialVideo, "tabInitialVideo", "Initial Video");
    row(FileTab::CameraControl, "tabCamControl", "Camera Control");
    row(FileTab::SystemInfo, "tabSysInfo", "System Info");
    row(FileTab::Security, "tabSecurity", "Security");
    row(FileTab::Audio, "tabAudio", "Audio");
}

void TestPageControls::filePages()
{
    QFETCH(int, tab);
    QFETCH(QString, object);
    QFETCH(QString, title);

    ScriptedMessenger messenger;
    FilePages flow(messenger);
    CameraUpdate update(messenger);
    FileCategory category(flow, update, messenger, nullptr);
    QCOMPARE(category.count(), FilePageTable::rows().size());
    QCOMPARE(category.tabText(tab), title);
    category.setTabText(tab, QString());
    category.retitle();
    QCOMPARE(category.tabText(tab), title);

    // Each tab scrolls the page widget of its own row.
    auto *scroll = qobject_cast<QScrollArea *>(category.widget(tab));
    QVERIFY(scroll);
    QVERIFY(scroll->widget());
    QCOMPARE(scroll->widget()->objectName(), object);
    FilePageWidget *page = category.page(FileTab(tab));
    QCOMPARE(page != nullptr, FileTab(tab) != FileTab::CameraUpdate);
    if (page) {
        QCOMPARE(page, scroll->widget());
        QCOMPARE(int(page->tab()), tab);
    }
}

void TestPageControls::l60Titles()
{
    ScriptedMessenger messenger;
    L60Pages pages(messenger);
    L60Category category(pages);
    const QStringList three{"Network Info", "Host Name", "Account"};
    const auto titles = [&category] {
        QStringList out;
        for (int i = 0; i < category.count(); ++i)
            out << category.tabText(i);
        return out;
    };
    QCOMPARE(titles(), three);
    // The Miscellaneous page comes and goes as the camera has it; retitling names it
    // whether it is there or not.
    category.setMiscPageAttached(true);
    for (int i = 0; i < category.count(); ++i)
        category.setTabText(i, QString());
    category.retitle();
    QCOMPARE(titles(), three + QStringList{"Miscellaneous"});
    category.setMiscPageAttached(false);
    category.retitle();
    QCOMPARE(titles(), three);
}

void TestPageControls::l60Controls_data()
{
    // Buttons that look like buttons, as on the file pages; a shown-only field that does
    // not look like one to type in.
    QTest::addColumn<QString>("object");
    for (const char *name : {"btnL60Save", "btnL60Restore", "btnL60AccountSave", "btnL60AccountRestore",
                             "btnL60PPPPutDnsAddr", "btnL60StartUpdate", "btnL60SetFactoryDefault"})
        QTest::newRow(name) << QString(name);
    QTest::newRow("editL60Model") << QString("editL60Model");
    QTest::newRow("editL60MacAddr") << QString("editL60MacAddr");
}

void TestPageControls::l60Controls()
{
    QFETCH(QString, object);
    ScriptedMessenger messenger;
    L60Pages pages(messenger);
    L60Category category(pages);
    category.setMiscPageAttached(true);
    if (auto *button = category.findChild<QPushButton *>(object)) {
        QVERIFY(!button->isFlat());
        return;
    }
    auto *field = category.findChild<QLineEdit *>(object);
    QVERIFY(field);
    QVERIFY(field->isReadOnly());
    QCOMPARE(field->focusPolicy(), Qt::NoFocus);
    QCOMPARE(field->palette().color(QPalette::Active, QPalette::Base),
             field->palette().color(QPalette::Active, QPalette::Window));
}

void TestPageControls::fieldRoom_data()
{
    // At the pages' smallest size a field shows a value of twenty characters whole.
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("field");
    QTest::newRow("camera name") << int(FileTab::CameraControl) << QString("editCamConCam2Name");
    QTest::newRow("camera id") << int(FileTab::CameraControl) << QString("editCamConCam4ID");
    QTest::newRow("mail to") << int(FileTab::EventServer) << QString("editEventMailTo");
    QTest::newRow("mail from") << int(FileTab::EventServer) << QString("editEventMailFrom");
}

void TestPageControls::fieldRoom()
{
    QFETCH(int, tab);
    QFETCH(QString, field);
    ScriptedMessenger messenger;
    FilePages flow(messenger);
    CameraUpdate update(messenger);
    FileCategory category(flow, update, messenger, nullptr);
    category.resize(560, 420);
    category.show();
    category.setCurrentIndex(tab);
    QVERIFY(QTest::qWaitForWindowExposed(&category));
    auto *edit = category.findChild<QLineEdit *>(field);
    QVERIFY(edit);
    QTRY_VERIFY2(edit->width() >= edit->fontMetrics().horizontalAdvance(QString(20, 'x')),
                 qPrintable(QString::number(edit->width())));
}

void TestPageControls::numberFieldsTakeDigits_data()
{
    QTest::addColumn<bool>("l60");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("taken");
    const auto row = [](const char *name, bool l60, const char *field, const char *typed, bool taken) {
        QTest::newRow(name) << l60 << QString(field) << QString(typed) << taken;
    };
    row("web port digits", false, "editWebPort", "8080", true);
    row("web port letter", false, "editWebPort", "80ab", false);
    row("mail port letter", false, "editEventMailPort", "2x5", false);
    row("camera ID of channel 2", false, "editCamConCam2ID", "7z", false);
    row("PPPoE MTU minus", false, "pppMTU", "-1", false);
    row("audio volume below zero", false, "edtAudioSampleVol", "-12", true);
    row("audio volume letter", false, "edtAudioPlaybackVol", "-1a", false);
    row("title stays free text", false, "editWebTitle", "Gate 2", true);
    row("L60 MTU letter", true, "pppL60MTU", "14o0", false);
    row("L60 sensitivity letter", true, "L60MDSensitivity", "5a", false);
    row("L60 host name free text", true, "editL60HostName", "cam-5", true);
}

void TestPageControls::numberFieldsTakeDigits()
{
    QFETCH(bool, l60);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(bool, taken);
    ScriptedMessenger messenger;
    FilePages flow(messenger);
    CameraUpdate update(messenger);
    L60Pages pages(messenger);
    std::unique_ptr<QWidget> category;
    if (l60)
        category = std::make_unique<L60Category>(pages);
    else
        category = std::make_unique<FileCategory>(flow, update, messenger, nullptr);
    auto *edit = category->findChild<QLineEdit *>(field);
    QVERIFY(edit);
    // What the validator refuses is refused at the key, pasted or typed.
    QString text = typed;
    int pos = int(text.size());
    const bool refused = edit->validator() && edit->validator()->validate(text, pos) == QValidator::Invalid;
    QCOMPARE(!refused, taken);
}

QTEST_MAIN(TestPageControls)
#include "tst_page_controls.moc"

// The Event Server, Initial Video, Camera Control, System Info, Security and Audio tabs.
#include "desktop/ui/fileconfig/audio_page.h"
#include "desktop/ui/fileconfig/camera_control_page.h"
#include "desktop/ui/fileconfig/event_page.h"
#include "desktop/ui/fileconfig/initial_video_page.h"
#include "desktop/ui/fileconfig/security_page.h"
#include "desktop/ui/fileconfig/system_info_page.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(PageSettings)

namespace {

std::unique_ptr<FilePageWidget> makePage(FileTab tab)
{
    switch (tab) {
    case FileTab::EventServer: return std::make_unique<EventPage>();
    case FileTab::InitialVideo: return std::make_unique<InitialVideoPage>();
    case FileTab::CameraControl: return std::make_unique<CameraControlPage>();
    case FileTab::SystemInfo: return std::make_unique<SystemInfoPage>();
    case FileTab::Security: return std::make_unique<SecurityPage>();
    case FileTab::Audio: return std::make_unique<AudioPage>();
    default: return nullptr;
    }
}

EventPageSettings eventSample(EventSource source)
{
    EventPageSettings s;
    s.source = source;
    EventSettings &v = s.values;
    v.areaIndex = 2;
    v.sensitivityIndex = 4;
    v.period = "10";
    v.outputEnabled = v.ftpEnabled = v.mailEnabled = v.notifyEnabled = true;
    v.outputTime = "5";
    v.ftpServer = "ftp.example";
    v.ftpPort = "21";
    v.ftpUser = "caf\xe9";
    v.ftpPassword = "p\xe9";
    v.ftpImageName = " ";
    v.ftpCameraIndex = 0;
    v.mailServer = "mail";
    v.mailPort = "25";
    v.mailSubject = "subject";
    v.mailFrom = "from";
    v.mailTo = "to";
    v.mailCameraIndex = 3;
    v.notifyServer = "server";
    v.notifyCameraIndex = 1;
    return s;
}

CameraControlSettings cameraSample()
{
    CameraControlSettings s;
    s.daemons = {"pelco_d", "sony_evi"};
    s.channels[0] = {"front", "7", 2};
    s.channels[1] = {"d\xe9po", "255", 1};
    s.channels[2] = {"none", "0", -1};
    s.channels[3] = {"", "", 0};
    return s;
}

// All check boxes ticked and every box on an item, so that every field takes input.
PageSettings editableSample(FileTab tab)
{
    switch (tab) {
    case FileTab::EventServer: return eventSample(EventSource::Motion);
    case FileTab::InitialVideo: return InitialVideoSettings{false, 0, 0, false};
    case FileTab::CameraControl: return cameraSample();
    case FileTab::SystemInfo: return SystemInfoSettings{"M", "S", "V", "L", "E"};
    case FileTab::Security: return SecuritySettings{SecuritySettings::Level::High};
    default: return AudioSettings{};
    }
}

// Near the left edge: on a check box's indicator, and inside any button.
void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->height() / 2, w->height() / 2));
}

bool shownOnPage(const QWidget *page, const char *name)
{
    const auto *w = page->findChild<QWidget *>(QLatin1String(name));
    return w && w->isVisibleTo(page);
}

} // namespace

class TestDevicePages : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void userActionIsOneEdit_data();
    void userActionIsOneEdit();
    void boxItems_data();
    void boxItems();
    void checkBoxesEnableTheirFields_data();
    void checkBoxesEnableTheirFields();
    void pageEnablerCoversEveryControl_data();
    void pageEnablerCoversEveryControl();
    void setDefaultScopes_data();
    void setDefaultScopes();
    void eventSourceButtons_data();
    void eventSourceButtons();
    void motionSourceNeedsTheCamera();
    void lockedChannelOneKeepsFileValues();
    void securityCautionFollowsLevel_data();
    void securityCautionFollowsLevel();
    void audioNeedsTheCamera();
};

void TestDevicePages::roundTrip_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<PageSettings>("settings");
    QTest::addColumn<bool>("channelOneOpen");

    const auto row = [](const char *name, FileTab tab, const PageSettings &s, bool open = true) {
        QTest::newRow(name) << int(tab) << s << open;
    };
    EventPageSettings unset;
    unset.values.ftpImageName = " ";
    row("event: digital input, nothing chosen", FileTab::EventServer, unset);
    row("event: motion, 8-bit texts", FileTab::EventServer, eventSample(EventSource::Motion));
    EventPageSettings timer = eventSample(EventSource::Timer);
    timer.values.ftpEnabled = timer.values.notifyEnabled = false;
    timer.values.mailCameraIndex = -1;
    row("event: timer, boxes clear", FileTab::EventServer, timer);
    row("video: NTSC, no items", FileTab::InitialVideo, InitialVideoSettings{});
    row("video: PAL, last items", FileTab::InitialVideo, InitialVideoSettings{true, 8, 2, true});
    EventPageSettings last = eventSample(EventSource::Motion);
    last.values.areaIndex = 3;
    last.values.sensitivityIndex = 13;
    row("event: last items", FileTab::EventServer, last);
    row("camera control: open channel 1", FileTab::CameraControl, cameraSample());
    CameraControlSettings other = cameraSample();
    other.channels[0] = {"back", "9", -1};
    other.daemons.removeLast();
    row("camera control: locked channel 1", FileTab::CameraControl, other, false);
    row("camera control: no daemons", FileTab::CameraControl, CameraControlSettings{});
    row("system info: 8-bit", FileTab::SystemInfo,
        SystemInfoSettings{"ZC-1", "0001", "2.0\xe9", "hall \xff", "a@b"});
    for (auto [name, level] : {std::pair{"security: unset", SecuritySettings::Level::Unset},
                               {"security: low", SecuritySettings::Level::Low},
                               {"security: medium", SecuritySettings::Level::Medium},
                               {"security: high", SecuritySettings::Level::High}})
        row(name, FileTab::Security, SecuritySettings{level});
    row("audio: defaults", FileTab::Audio, AudioSettings{});
    row("audio: 8-bit and empty", FileTab::Audio, AudioSettings{"\xe9", "", "-255", "x"});
}

void TestDevicePages::roundTrip()
{
    QFETCH(int, tab);
    QFETCH(PageSettings, settings);
    QFETCH(bool, channelOneOpen);
    const auto page = makePage(FileTab(tab));
    CameraTraits traits;
    traits.channelOneModelBox = channelOneOpen;
    page->setCameraTraits(traits);
    // Something else first, so that every control really changes.
    page->setPageSettings(editableSample(FileTab(tab)));

    QSignalSpy edited(page.get(), &FilePageWidget::edited);
    page->setPageSettings(settings);
    QCOMPARE(page->pageSettings(), settings);
    QCOMPARE(edited.count(), 0);
}

void TestDevicePages::userActionIsOneEdit_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("control");

    const auto row = [](FileTab tab, const char *control) {
        QTest::newRow(control) << int(tab) << QString(control);
    };
    row(FileTab::EventServer, "chkEventFtpEnable");
    row(FileTab::EventServer, "editEventMailTo");
    row(FileTab::EventServer, "cboEventNotifyCamera");
    row(FileTab::EventServer, "cboEventInputSensitivity");
    row(FileTab::InitialVideo, "radioVideoPAL");
    row(FileTab::InitialVideo, "cboVideoQuality");
    row(FileTab::InitialVideo, "chkVideoFlickerless");
    row(FileTab::CameraControl, "editCamConCam2Name");
    row(FileTab::CameraControl, "cboCamConCam3Model");
    row(FileTab::SystemInfo, "editSysEmail");
    row(FileTab::Security, "radioSecurityLow");
    row(FileTab::Audio, "edtAudioPlaybackVol");
}

void TestDevicePages::userActionIsOneEdit()
{
    QFETCH(int, tab);
    QFETCH(QString, control);
    const auto page = makePage(FileTab(tab));
    page->setPageSettings(editableSample(FileTab(tab)));
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    const PageSettings before = page->pageSettings();

    QSignalSpy edited(page.get(), &FilePageWidget::edited);
    auto *w = page->findChild<QWidget *>(control);
    QVERIFY(w);
    if (qobject_cast<QLineEdit *>(w))
        QTest::keyClicks(w, "x");
    else if (qobject_cast<QComboBox *>(w))
        QTest::keyClick(w, Qt::Key_Down);
    else
        click(w);
    QCOMPARE(edited.count(), 1);
    QVERIFY(page->pageSettings() != before);
}

void TestDevicePages::boxItems_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("motion area") << int(FileTab::EventServer) << "cboEventnputArea"
                                 << QStringList{"Upper Screen Area", "Center Screen Area",
                                                "Lower Screen Area", "All Area"};
    QStringList sensitivity;
    for (int n = 2; n <= 15; ++n)
        sensitivity << QString::number(n);
    QTest::newRow("sensitivity") << int(FileTab::EventServer) << "cboEventInputSensitivity"
                                 << sensitivity;
    QTest::newRow("mail camera") << int(FileTab::EventServer) << "cboEventMailCamera"
                                 << QStringList{"1", "2", "3", "4"};
    QTest::newRow("quality") << int(FileTab::InitialVideo) << "cboVideoQuality"
                             << QStringList{"10", "20", "30", "40", "50", "60", "70", "80", "90"};
    QTest::newRow("resolution") << int(FileTab::InitialVideo) << "cboVideoResolution"
                                << QStringList{"QCIF ( 160 X 120 )", "CIF   ( 320 X 240 )",
                                               "VGA ( 640 X 480 )"};
    QTest::newRow("PTZ model") << int(FileTab::CameraControl) << "cboCamConCam4Model"
                               << QStringList{"none", "pelco_d", "sony_evi"};
}

void TestDevicePages::boxItems()
{
    QFETCH(int, tab);
    QFETCH(QString, box);
    QFETCH(QStringList, items);
    const auto page = makePage(FileTab(tab));
    page->setPageSettings(editableSample(FileTab(tab)));
    const auto *combo = page->findChild<QComboBox *>(box);
    QVERIFY(combo);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    QCOMPARE(shown, items);
}

void TestDevicePages::checkBoxesEnableTheirFields_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("FTP") << "chkEventFtpEnable"
                         << QStringList{"editEventFtpServer", "editEventFtpPass",
                                        "cboEventFtpCamera", "lblEventFtpImgName"};
    QTest::newRow("mail") << "chkEventMailEnable"
                          << QStringList{"editEventMailFrom", "cboEventMailCamera",
                                         "lblEventMailTo"};
    QTest::newRow("notify") << "chkEventNotifyEnable"
                            << QStringList{"editEventNotifyTo", "cboEventNotifyCamera",
                                           "lblEventNotifyCamera"};
    QTest::newRow("output") << "chkDoEnable" << QStringList{"editDoOutTime", "lblDoOutTime"};
}

void TestDevicePages::checkBoxesEnableTheirFields()
{
    QFETCH(QString, box);
    QFETCH(QStringList, fields);
    EventPage page;
    page.setSettings(eventSample(EventSource::Motion));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const auto enabled = [&] {
        int n = 0;
        for (const QString &f : fields)
            n += page.findChild<QWidget *>(f)->isEnabled();
        return n;
    };
    QCOMPARE(enabled(), fields.size());

    click(page.findChild<QWidget *>(box));
    QCOMPARE(enabled(), 0);
    auto *field = page.findChild<QWidget *>(fields.first());
    QCOMPARE(field->palette().color(QPalette::Base), QPalette().color(QPalette::Button));

    // The page enabler turning on again must not open a cleared box's fields.
    page.setPageEnabled(false);
    page.setPageEnabled(true);
    QCOMPARE(enabled(), 0);
    click(page.findChild<QWidget *>(box));
    QCOMPARE(enabled(), fields.size());
}

void TestDevicePages::pageEnablerCoversEveryControl_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("setDefault");
    QTest::newRow("event") << int(FileTab::EventServer) << "SpeedButton3";
    QTest::newRow("video") << int(FileTab::InitialVideo) << "SpeedButton4";
    QTest::newRow("camera control") << int(FileTab::CameraControl) << "SpeedButton5";
    QTest::newRow("system info") << int(FileTab::SystemInfo) << "SpeedButton6";
    QTest::newRow("security") << int(FileTab::Security) << "SpeedButton7";
    QTest::newRow("audio") << int(FileTab::Audio) << "SpeedButton11";
}

void TestDevicePages::pageEnablerCoversEveryControl()
{
    QFETCH(int, tab);
    QFETCH(QString, setDefault);
    const auto page = makePage(FileTab(tab));
    page->setPageSettings(editableSample(FileTab(tab)));
    page->setPageEnabled(false);
    for (const QWidget *w : page->findChildren<QWidget *>()) {
        const bool control = qobject_cast<const QLineEdit *>(w)
                             || qobject_cast<const QComboBox *>(w)
                             || qobject_cast<const QAbstractButton *>(w)
                             || (qobject_cast<const QLabel *>(w) && w->objectName() != "Label46");
        if (control && !w->objectName().startsWith("qt_"))
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    }
    page->setPageEnabled(true);
    QVERIFY(page->findChild<QWidget *>(setDefault)->isEnabled());
}

void TestDevicePages::setDefaultScopes_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("scope");
    QTest::newRow("event") << int(FileTab::EventServer) << "SpeedButton3" << 5;
    QTest::newRow("video") << int(FileTab::InitialVideo) << "SpeedButton4" << 6;
    QTest::newRow("camera control") << int(FileTab::CameraControl) << "SpeedButton5" << 7;
    QTest::newRow("system info") << int(FileTab::SystemInfo) << "SpeedButton6" << 8;
    QTest::newRow("factory default") << int(FileTab::SystemInfo) << "SpeedButton9" << 0;
    QTest::newRow("security") << int(FileTab::Security) << "SpeedButton7" << 9;
    QTest::newRow("audio") << int(FileTab::Audio) << "SpeedButton11" << 10;
}

void TestDevicePages::setDefaultScopes()
{
    QFETCH(int, tab);
    QFETCH(QString, button);
    QFETCH(int, scope);
    const auto page = makePage(FileTab(tab));
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    QSignalSpy reset(page.get(), &FilePageWidget::resetRequested);
    click(page->findChild<QWidget *>(button));
    QCOMPARE(reset.count(), 1);
    QCOMPARE(reset.first().first().toInt(), scope);
}

void TestDevicePages::eventSourceButtons_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<int>("source");
    QTest::addColumn<bool>("timerShown");
    QTest::addColumn<bool>("motionShown");
    QTest::newRow("digital input") << "radioEventDi" << int(EventSource::DigitalInput) << false
                                   << false;
    QTest::newRow("motion") << "radioEventMotion" << int(EventSource::Motion) << false << true;
    QTest::newRow("timer") << "radioEventTimer" << int(EventSource::Timer) << true << false;
}

void TestDevicePages::eventSourceButtons()
{
    QFETCH(QString, radio);
    QFETCH(int, source);
    QFETCH(bool, timerShown);
    QFETCH(bool, motionShown);
    EventPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const auto groupsShown = [&] {
        return std::pair{shownOnPage(&page, "groupEventInput1"),
                         shownOnPage(&page, "groupEventInput2")};
    };

    // Loaded: the file's source is selected and its input group shown.
    EventPageSettings loaded = eventSample(EventSource(source));
    page.setSettings(loaded);
    QCOMPARE(groupsShown(), std::pair(timerShown, motionShown));
    QVERIFY(page.findChild<QAbstractButton *>(radio)->isChecked());

    // Chosen by the user from another source: asks for the file, is no edit.
    loaded.source = EventSource(source) == EventSource::Timer ? EventSource::Motion
                                                              : EventSource::Timer;
    page.setSettings(loaded);
    QSignalSpy edited(&page, &FilePageWidget::edited);
    QSignalSpy chosen(&page, &EventPage::sourceChosen);
    click(page.findChild<QWidget *>(radio));
    QCOMPARE(edited.count(), 0);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(int(chosen.first().first().value<EventSource>()), source);
    QCOMPARE(groupsShown(), std::pair(timerShown, motionShown));
}

void TestDevicePages::motionSourceNeedsTheCamera()
{
    EventPage page;
    const auto *motion = page.findChild<QWidget *>("radioEventMotion");
    page.setCameraTraits(CameraTraits{false, false, true});
    QVERIFY(!motion->isEnabled());
    page.setPageEnabled(false);
    page.setPageEnabled(true);
    QVERIFY(!motion->isEnabled());
    QVERIFY(page.findChild<QWidget *>("radioEventTimer")->isEnabled());
    page.setCameraTraits(CameraTraits{});
    QVERIFY(motion->isEnabled());
}

void TestDevicePages::lockedChannelOneKeepsFileValues()
{
    CameraControlPage page;
    const auto *id = page.findChild<QLineEdit *>("editCamConCam1ID");
    const auto *model = page.findChild<QComboBox *>("cboCamConCam1Model");
    const CameraControlSettings loaded = cameraSample();

    page.setSettings(loaded);
    QCOMPARE(id->text(), QString());
    QCOMPARE(model->currentIndex(), -1);
    QVERIFY(!id->isEnabled() && !model->isEnabled());
    QVERIFY(page.findChild<QWidget *>("editCamConCam1Name")->isEnabled());
    QCOMPARE(page.settings(), loaded);

    CameraTraits ptz;
    ptz.channelOneModelBox = true;
    page.setCameraTraits(ptz);
    QCOMPARE(id->text(), QString("7"));
    QCOMPARE(model->currentIndex(), 2);
    QVERIFY(id->isEnabled() && model->isEnabled());
    QCOMPARE(page.settings(), loaded);
    // The enabler must not bring back the loaded values over the user's.
    page.findChild<QLineEdit *>("editCamConCam1ID")->setText("8");
    page.setPageEnabled(true);
    QCOMPARE(id->text(), QString("8"));
}

void TestDevicePages::securityCautionFollowsLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("caution");
    QTest::newRow("unset") << int(SecuritySettings::Level::Unset) << false;
    QTest::newRow("low") << int(SecuritySettings::Level::Low) << false;
    QTest::newRow("medium") << int(SecuritySettings::Level::Medium) << true;
    QTest::newRow("high") << int(SecuritySettings::Level::High) << true;
}

void TestDevicePages::securityCautionFollowsLevel()
{
    QFETCH(int, level);
    QFETCH(bool, caution);
    SecurityPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.setSettings({SecuritySettings::Level(level)});
    QCOMPARE(shownOnPage(&page, "Label30"), caution);
    const QString text = page.findChild<QLabel *>("Label30")->text();
    QVERIFY(text.startsWith("CAUTION\n\n\nIf you choose Security Level MEDIUM or HIGH on\n\n"));
    QVERIFY(text.endsWith("\n\nto the camera with ZORA 2.0."));

    click(page.findChild<QWidget *>(caution ? "radioSecurityLow" : "radioSecurityHigh"));
    QCOMPARE(shownOnPage(&page, "Label30"), !caution);
}

void TestDevicePages::audioNeedsTheCamera()
{
    AudioPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const auto *port = page.findChild<QLineEdit *>("edtAudioPort");
    QCOMPARE(page.findChild<QLabel *>("lblAudioPort")->text(), QString("Port : "));
    QVERIFY(!shownOnPage(&page, "Label46"));

    page.setCameraTraits(CameraTraits{true, false, false});
    QVERIFY(shownOnPage(&page, "Label46"));
    QCOMPARE(page.findChild<QLabel *>("Label46")->text(),
             QString("CAUTION\n\n\nAudio is not supported in this camera.\n\n"
                     "You can NOT configure this Settings"));
    page.setPageEnabled(true);
    QVERIFY(!page.findChild<QWidget *>("SpeedButton11")->isEnabled());
    QVERIFY(!port->isEnabled());

    page.setCameraTraits(CameraTraits{});
    page.setSettings(AudioSettings{});
    QVERIFY(port->isEnabled());
    page.setPageEnabled(false);
    QCOMPARE(page.settings(), (AudioSettings{"", "", "", ""}));
}

QTEST_MAIN(TestDevicePages)
#include "tst_device_pages.moc"

#include "fileconfig/audio_config.h"
#include "fileconfig/camera_control_config.h"
#include "fileconfig/ddns_config.h"
#include "fileconfig/event_config.h"
#include "fileconfig/ini_section_name.h"
#include "fileconfig/initial_video_config.h"
#include "fileconfig/security_config.h"
#include "fileconfig/stream_server_config.h"
#include "fileconfig/system_info_config.h"
#include "fileconfig/web_server_config.h"

#include "camfiles_helper.h"

#include <QtTest>

Q_DECLARE_METATYPE(InitialVideoSettings)

// Reading each page's sample files, and the variants the camera writes.
class TestConfigReaders : public QObject
{
    Q_OBJECT

private slots:
    void samples();
    void missingFiles();
    void ddnsVariants_data();
    void ddnsVariants();
    void streamScript_data();
    void streamScript();
    void initialVideo_data();
    void initialVideo();
    void iniSectionName_data();
    void iniSectionName();
    void cameraControlDaemons_data();
    void cameraControlDaemons();
    void security_data();
    void security();
    void eventDefaults_data();
    void eventDefaults();
};

void TestConfigReaders::samples()
{
    CamFiles::Folder folder;
    const QString dir = folder.path();

    DdnsSettings ddns;
    QCOMPARE(DdnsConfig::read(dir, ddns), ConfigError::None);
    QCOMPARE(ddns, (DdnsSettings{true, "camuser", "secret pw", "cam01.ddns.example"}));

    WebServerSettings web;
    QCOMPARE(WebServerConfig::read(dir, web), ConfigError::None);
    QCOMPARE(web, (WebServerSettings{"ZORA Network Camera", "80"}));

    StreamServerSettings stream;
    QCOMPARE(StreamServerConfig::read(dir, stream), ConfigError::None);
    QCOMPARE(stream, (StreamServerSettings{true, true, "5001", "10", "5"}));

    InitialVideoSettings video;
    QCOMPARE(InitialVideoConfig::read(dir, video), ConfigError::None);
    QCOMPARE(video, (InitialVideoSettings{false, 4, 1, true}));

    const QStringList daemons = {QStringLiteral("head_a"), QStringLiteral("head_b")};
    CameraControlSettings control;
    QCOMPARE(CameraControlConfig::read(dir, daemons, control), ConfigError::None);
    CameraControlSettings expectedControl;
    expectedControl.daemons = daemons;
    expectedControl.channels = {CameraChannel{"Front door", "1", 1},
                                CameraChannel{"Parking", "2", 2},
                                CameraChannel{"none", "0", 0}, CameraChannel{"none", "0", 0}};
    QCOMPARE(control, expectedControl);

    SystemInfoSettings info;
    QCOMPARE(SystemInfoConfig::read(dir, info), ConfigError::None);
    QCOMPARE(info, (SystemInfoSettings{"ZN-2100", "ZN21000123", "2.0.14", "Lobby east",
                                       "admin@example.invalid"}));

    SecuritySettings security;
    QCOMPARE(SecurityConfig::read(dir, security), ConfigError::None);
    QCOMPARE(security.level, SecuritySettings::Level::Medium);

    AudioSettings audio;
    QCOMPARE(AudioConfig::read(dir, audio), ConfigError::None);
    QCOMPARE(audio, (AudioSettings{"1853", "2", "256", "200"}));

    EventSettings input;
    input.outputEnabled = false;
    input.outputTime = "10";
    input.ftpEnabled = true;
    input.ftpServer = "127.0.0.1";
    input.ftpPort = "21";
    input.ftpUser = "ftpuser";
    input.ftpPassword = "ftppass";
    input.ftpImageName = "event.jpg";
    input.ftpCameraIndex = 0;
    input.mailEnabled = false;
    input.mailServer = "127.0.0.1";
    input.mailPort = "25";
    input.mailSubject = "Camera event";
    input.mailFrom = "camera";
    input.mailTo = "admin@example.invalid";
    input.mailCameraIndex = 1;
    input.notifyEnabled = true;
    input.notifyServer = "127.0.0.1";
    input.notifyCameraIndex = 0;
    EventSettings read;
    QCOMPARE(EventConfig::read(dir, EventSource::DigitalInput, read), ConfigError::None);
    QCOMPARE(read, input);

    // The motion file spells its mail section "[email]": sections ignore case.
    EventSettings motion = input;
    motion.areaIndex = 1;
    motion.sensitivityIndex = 6;
    QCOMPARE(EventConfig::read(dir, EventSource::Motion, read), ConfigError::None);
    QCOMPARE(read, motion);

    EventSettings timer = input;
    timer.period = "60";
    QCOMPARE(EventConfig::read(dir, EventSource::Timer, read), ConfigError::None);
    QCOMPARE(read, timer);
}

void TestConfigReaders::missingFiles()
{
    CamFiles::Folder folder;
    const QString dir = folder.path();
    for (const char *name : {"ddns.conf", "title.js", "tcp_server.conf", "general.conf"})
        QVERIFY(folder.remove(QString::fromLatin1(name)));

    DdnsSettings ddns{false, "keep", "keep", "keep"};
    QCOMPARE(DdnsConfig::read(dir, ddns), ConfigError::Parse);
    QCOMPARE(ddns, (DdnsSettings{false, "keep", "keep", "keep"}));

    WebServerSettings web{"keep", "1"};
    QCOMPARE(WebServerConfig::read(dir, web), ConfigError::Parse);
    QCOMPARE(web, (WebServerSettings{"keep", "1"}));

    // Nothing of the page changes on a failed read, the script's flags included.
    StreamServerSettings stream{false, false, "1", "2", "3"};
    QCOMPARE(StreamServerConfig::read(dir, stream), ConfigError::Parse);
    QCOMPARE(stream, (StreamServerSettings{false, false, "1", "2", "3"}));
    // Without the script both servers read as off and the numbers stay.
    QVERIFY(folder.remove(QStringLiteral("rc.server")));
    stream = {true, true, "1", "2", "3"};
    QCOMPARE(StreamServerConfig::read(dir, stream), ConfigError::None);
    QCOMPARE(stream, (StreamServerSettings{false, false, "1", "2", "3"}));

    SystemInfoSettings info{"a", "b", "c", "d", "e"};
    QCOMPARE(SystemInfoConfig::read(dir, info), ConfigError::Parse);
    QCOMPARE(info, (SystemInfoSettings{"a", "b", "c", "d", "e"}));
    QCOMPARE(ConfigErrorText(ConfigError::Parse),
             QStringLiteral("Error on Parsing Configuration File"));
    QCOMPARE(ConfigErrorText(ConfigError::Write), QStringLiteral("Write Error"));
}

void TestConfigReaders::ddnsVariants_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QByteArray>("id");

    QTest::newRow("lower-case keys") << QByteArray("ddns_enable=\"TRUE\"\nddns_id=\"u\"\n")
                                     << true << QByteArray("u");
    QTest::newRow("longer key does not match") << QByteArray("DDNS_ENABLE_X=true\nDDNS_IDX=u\n")
                                               << false << QByteArray("old");
    QTest::newRow("not true") << QByteArray("DDNS_ENABLE=yes\n") << false << QByteArray("old");
    QTest::newRow("truex is not true") << QByteArray("DDNS_ENABLE=truex\n") << false
                                       << QByteArray("old");
    QTest::newRow("later entry wins") << QByteArray("DDNS_ID=a\nDDNS_ID=b\n") << false
                                      << QByteArray("b");
}

void TestConfigReaders::ddnsVariants()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, enabled);
    QFETCH(QByteArray, id);
    DdnsSettings settings{false, "old", "", ""};
    DdnsConfig::readText(text, settings);
    QCOMPARE(settings.enabled, enabled);
    QCOMPARE(settings.id, id);
}

void TestConfigReaders::streamScript_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("udp");
    QTest::addColumn<bool>("tcp");

    QTest::newRow("both") << QByteArray("/bin/udp_server &\n/bin/tcp_server &\n") << true << true;
    QTest::newRow("commented") << QByteArray("#/bin/udp_server &\n# /bin/tcp_server\n")
                               << false << false;
    QTest::newRow("any case") << QByteArray("/BIN/TCP_SERVER\n") << false << true;
    QTest::newRow("indented is not started") << QByteArray("  /bin/udp_server &\n")
                                             << false << false;
    QTest::newRow("crlf") << QByteArray("/bin/udp_server &\r\n") << true << false;
    QTest::newRow("none") << QByteArray("#!/bin/sh\nexit 0\n") << false << false;
}

void TestConfigReaders::streamScript()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, udp);
    QFETCH(bool, tcp);
    StreamServerSettings settings{true, true, {}, {}, {}};
    StreamServerConfig::readScript(script, settings);
    QCOMPARE(settings.udpEnabled, udp);
    QCOMPARE(settings.tcpEnabled, tcp);
}

void TestConfigReaders::initialVideo_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<InitialVideoSettings>("expected");

    QTest::newRow("quality 55 selects 50")
        << QByteArray("[middle_info]\ninit_quality=55\ninit_resolution=2\n")
        << InitialVideoSettings{false, 4, 2, false};
    QTest::newRow("quality 10 selects the first")
        << QByteArray("[middle_info]\ninit_quality=10\nvideo_type=1\nflickerless=1\n")
        << InitialVideoSettings{true, 0, 0, true};
    QTest::newRow("quality 100 selects nothing")
        << QByteArray("[middle_info]\ninit_quality=100\ninit_resolution=3\n")
        << InitialVideoSettings{false, -1, -1, false};
    QTest::newRow("quality 5 selects nothing")
        << QByteArray("[middle_info]\ninit_quality=5\ninit_resolution=-1\n")
        << InitialVideoSettings{false, -1, -1, false};
    QTest::newRow("other section name")
        << QByteArray("# [no]\n[VIDEO]\ninit_quality=90\nvideo_type=2\n[middle_info]\n")
        << InitialVideoSettings{true, 8, 0, false};
    QTest::newRow("flickerless 2 is not set")
        << QByteArray("[middle_info]\nflickerless=2\ninit_quality=20\n")
        << InitialVideoSettings{false, 1, 0, false};
}

void TestConfigReaders::initialVideo()
{
    QFETCH(QByteArray, text);
    QFETCH(InitialVideoSettings, expected);
    InitialVideoSettings settings;
    InitialVideoConfig::readText(text, settings);
    QCOMPARE(settings, expected);
}

void TestConfigReaders::iniSectionName_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("last");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray two = "# [comment]\n\n[one]\na=1\n[two]\n";
    QTest::newRow("first") << two << false << QByteArray("one");
    QTest::newRow("last") << two << true << QByteArray("two");
    QTest::newRow("none") << QByteArray("a=1\n# [x]\n") << false << QByteArray("fallback");
    QTest::newRow("unclosed") << QByteArray("[open\n") << true << QByteArray("fallback");
    QTest::newRow("bracket after text") << QByteArray("x [in] y\n") << false << QByteArray("in");
    QTest::newRow("empty name") << QByteArray("[]\n") << false << QByteArray();
}

void TestConfigReaders::iniSectionName()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, last);
    QFETCH(QByteArray, expected);
    QCOMPARE(IniSectionName(text, last ? SectionPick::Last : SectionPick::First, "fallback"),
             expected);
}

void TestConfigReaders::cameraControlDaemons_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("index");

    QTest::newRow("full path") << QByteArray("/etc/control_deamon/head_b") << 2;
    QTest::newRow("bare name") << QByteArray("head_a") << 1;
    QTest::newRow("no longer listed") << QByteArray("/etc/control_deamon/head_c") << 0;
    QTest::newRow("none") << QByteArray("none") << 0;
}

void TestConfigReaders::cameraControlDaemons()
{
    QFETCH(QByteArray, value);
    QFETCH(int, index);
    const QByteArray text = "[channel_1]\ncam_alias=" + QByteArray(80, 'n') + "\ncam_id=70000\n"
                            "control_deamon=" + value + "\n";
    CameraControlSettings settings;
    CameraControlConfig::readText(text, {QStringLiteral("head_a"), QStringLiteral("head_b")},
                                  settings);
    QCOMPARE(settings.channels[0].daemonIndex, index);
    QCOMPARE(settings.channels[0].alias, QByteArray(64, 'n'));
    QCOMPARE(settings.channels[0].id, QByteArray("4464")); // 70000 as 16 bits
    QCOMPARE(settings.channels[1], (CameraChannel{"none", "0", 0}));
}

void TestConfigReaders::security_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("level");

    using L = SecuritySettings::Level;
    QTest::newRow("high") << QByteArray("/etc/iptables_script/high.sh\n") << int(L::High);
    QTest::newRow("any case") << QByteArray("/ETC/iptables_script/LOW.sh &\n") << int(L::Low);
    QTest::newRow("later wins")
        << QByteArray("/etc/iptables_script/high.sh\n/etc/iptables_script/medium.sh\n")
        << int(L::Medium);
    QTest::newRow("commented") << QByteArray("#/etc/iptables_script/high.sh\n") << int(L::Unset);
    QTest::newRow("none") << QByteArray("#!/bin/sh\nexit 0\n") << int(L::Unset);
    // A reader cutting lines at 127 bytes would see the tail as a line of its own.
    QTest::newRow("long line is one line")
        << QByteArray("echo " + QByteArray(122, '.') + "/etc/iptables_script/high.sh\n")
        << int(L::Unset);
}

void TestConfigReaders::security()
{
    QFETCH(QByteArray, text);
    QFETCH(int, level);
    SecuritySettings settings;
    SecurityConfig::readText(text, settings);
    QCOMPARE(int(settings.level), level);
}

void TestConfigReaders::eventDefaults_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("ftpServer");
    QTest::addColumn<bool>("notify");
    QTest::addColumn<bool>("output");

    QTest::newRow("input") << int(EventSource::DigitalInput) << QByteArray("127.0.0.1") << true
                           << false;
    QTest::newRow("motion") << int(EventSource::Motion) << QByteArray("ftp_server") << true
                            << true;
    QTest::newRow("timer") << int(EventSource::Timer) << QByteArray("FTP_server") << false << true;
}

void TestConfigReaders::eventDefaults()
{
    QFETCH(int, source);
    QFETCH(QByteArray, ftpServer);
    QFETCH(bool, notify);
    QFETCH(bool, output);
    const EventSettings s = EventConfig::readText("[INPUT]\n", EventSource(source));
    QCOMPARE(s.ftpServer, ftpServer);
    QCOMPARE(s.notifyEnabled, notify);
    QCOMPARE(s.outputEnabled, output);
    QVERIFY(s.ftpEnabled && s.mailEnabled);
    QCOMPARE(s.ftpPort, QByteArray("21"));
    QCOMPARE(s.mailPort, QByteArray("25"));
    QCOMPARE(s.outputTime, QByteArray("10"));
    QCOMPARE(s.ftpCameraIndex, 0);
    if (EventSource(source) == EventSource::Motion) {
        QCOMPARE(s.areaIndex, 2);        // "Center Screen Area"
        QCOMPARE(s.sensitivityIndex, 4); // "6"
    } else {
        QCOMPARE(s.areaIndex, -1);
    }
    QCOMPARE(s.period, EventSource(source) == EventSource::Timer ? QByteArray("10") : QByteArray());
}

QTEST_APPLESS_MAIN(TestConfigReaders)
#include "tst_config_readers.moc"

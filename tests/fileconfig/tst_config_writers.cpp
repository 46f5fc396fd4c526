#include "fileconfig/audio_config.h"
#include "fileconfig/camera_control_config.h"
#include "fileconfig/config_fields.h"
#include "fileconfig/config_files.h"
#include "fileconfig/ddns_config.h"
#include "fileconfig/event_config.h"
#include "fileconfig/initial_video_config.h"
#include "fileconfig/page_files.h"
#include "fileconfig/security_config.h"
#include "fileconfig/stream_server_config.h"
#include "fileconfig/system_info_config.h"
#include "fileconfig/web_server_config.h"

#include "camfiles_helper.h"
#include "foreign_lines.h"

#include <QtTest>

#include <functional>

using Step = std::function<ConfigError(const QString &folder)>;
Q_DECLARE_METATYPE(Step)

namespace {

const QStringList Daemons = {QStringLiteral("head_a"), QStringLiteral("head_b")};

// Reads a page from the folder and writes it straight back.
template <typename Settings, typename Read, typename Write>
Step unchanged(Read read, Write write)
{
    return [read, write](const QString &folder) {
        Settings settings;
        const ConfigError error = read(folder, settings);
        if (error != ConfigError::None)
            return error;
        return write(folder, settings);
    };
}

Step eventUnchanged(EventSource source)
{
    return [source](const QString &folder) {
        EventSettings settings;
        EventConfig::read(folder, source, settings);
        return EventConfig::write(folder, source, settings);
    };
}

QByteArray replaced(QByteArray text, const char *from, const char *to)
{
    const qsizetype at = text.indexOf(from);
    if (at >= 0)
        text.replace(at, qstrlen(from), to);
    return text;
}

} // namespace

class TestConfigWriters : public QObject
{
    Q_OBJECT

private slots:
    void unchangedValues_data();
    void unchangedValues();
    void changedValues();
    void editKeepsLongLines_data();
    void editKeepsLongLines();
    void editChangesOnlyTheFieldsLine_data();
    void editChangesOnlyTheFieldsLine();
    void eventSourceMadeActiveOnlyBySave_data();
    void eventSourceMadeActiveOnlyBySave();
    void generalKeepsEveryEntry();
    void valueOutsideItemsKeepsFile_data();
    void valueOutsideItemsKeepsFile();
    void profileUpdateTouchesOnlyItsKeys();
    void failedWriteKeepsFile();
    void missingFiles();
};

void TestConfigWriters::unchangedValues_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Step>("step");
    QTest::addColumn<QByteArray>("expected");

    const auto sample = [](const char *name) { return CamFiles::sample(QString::fromLatin1(name)); };

    // A page written back unchanged leaves the camera's files as they were, comments,
    // empty lines, CR LF and spelling included.
    QTest::newRow("ddns.conf same bytes")
        << QStringLiteral("ddns.conf") << unchanged<DdnsSettings>(&DdnsConfig::read, &DdnsConfig::write)
        << sample("ddns.conf");
    const Step web = unchanged<WebServerSettings>(&WebServerConfig::read, &WebServerConfig::write);
    QTest::newRow("thttpd.conf same bytes") << QStringLiteral("thttpd.conf") << web << sample("thttpd.conf");
    QTest::newRow("title.js same bytes") << QStringLiteral("title.js") << web << sample("title.js");
    const Step stream =
        unchanged<StreamServerSettings>(&StreamServerConfig::read, &StreamServerConfig::write);
    QTest::newRow("udp_server.conf same bytes")
        << QStringLiteral("udp_server.conf") << stream << sample("udp_server.conf");
    QTest::newRow("tcp_server.conf same bytes, CR LF kept")
        << QStringLiteral("tcp_server.conf") << stream << sample("tcp_server.conf");
    QTest::newRow("rc.server same bytes") << QStringLiteral("rc.server") << stream << sample("rc.server");
    QTest::newRow("middle.conf same bytes")
        << QStringLiteral("middle.conf")
        << unchanged<InitialVideoSettings>(&InitialVideoConfig::read, &InitialVideoConfig::write)
        << sample("middle.conf");
    QTest::newRow("control.conf same bytes")
        << QStringLiteral("control.conf")
        << Step([](const QString &folder) {
               CameraControlSettings settings;
               CameraControlConfig::read(folder, Daemons, settings);
               return CameraControlConfig::write(folder, settings);
           })
        << sample("control.conf");
    QTest::newRow("general.conf same bytes")
        << QStringLiteral("general.conf")
        << unchanged<SystemInfoSettings>(&SystemInfoConfig::read, &SystemInfoConfig::write)
        << sample("general.conf");
    QTest::newRow("rc.iptables same bytes")
        << QStringLiteral("rc.iptables")
        << unchanged<SecuritySettings>(&SecurityConfig::read, &SecurityConfig::write)
        << sample("rc.iptables");
    QTest::newRow("audio.conf same bytes")
        << QStringLiteral("audio.conf")
        << unchanged<AudioSettings>(&AudioConfig::read, &AudioConfig::write)
        << sample("audio.conf");
    QTest::newRow("dio_input.conf same bytes")
        << QStringLiteral("dio_input.conf") << eventUnchanged(EventSource::DigitalInput)
        << sample("dio_input.conf");
    QTest::newRow("hw_motion.conf source enabled")
        << QStringLiteral("hw_motion.conf") << eventUnchanged(EventSource::Motion)
        << replaced(sample("hw_motion.conf"), "enable=false", "enable=true");
    QTest::newRow("periodic_timer.conf source enabled")
        << QStringLiteral("periodic_timer.conf") << eventUnchanged(EventSource::Timer)
        << replaced(sample("periodic_timer.conf"), "enable=false", "enable=true");
}

void TestConfigWriters::unchangedValues()
{
    QFETCH(QString, file);
    QFETCH(Step, step);
    QFETCH(QByteArray, expected);
    CamFiles::Folder folder;
    QCOMPARE(step(folder.path()), ConfigError::None);
    QCOMPARE(folder.read(file), expected);
    // A second round changes nothing more.
    QCOMPARE(step(folder.path()), ConfigError::None);
    QCOMPARE(folder.read(file), expected);
}

void TestConfigWriters::changedValues()
{
    CamFiles::Folder folder;
    const QString dir = folder.path();

    QCOMPARE(DdnsConfig::write(dir, {false, "id", "p w", "h"}), ConfigError::None);
    DdnsSettings ddns;
    QCOMPARE(DdnsConfig::read(dir, ddns), ConfigError::None);
    QCOMPARE(ddns, (DdnsSettings{false, "id", "p w", "h"}));

    QCOMPARE(WebServerConfig::write(dir, {"New \xbc\xb3 title", "8081"}), ConfigError::None);
    WebServerSettings web;
    QCOMPARE(WebServerConfig::read(dir, web), ConfigError::None);
    QCOMPARE(web, (WebServerSettings{"New \xbc\xb3 title", "8081"}));

    QCOMPARE(StreamServerConfig::write(dir, {false, true, "6000", "1", "2"}), ConfigError::None);
    StreamServerSettings stream;
    QCOMPARE(StreamServerConfig::read(dir, stream), ConfigError::None);
    QCOMPARE(stream, (StreamServerSettings{false, true, "6000", "1", "2"}));
    QCOMPARE(StreamServerConfig::write(dir, {false, false, "6000", "1", "2"}), ConfigError::None);
    QCOMPARE(folder.read(QStringLiteral("rc.server")),
             QByteArray("#!/bin/sh\n# stream servers \xbc\xb3\xc1\xa4\nexit 0\n"));

    QCOMPARE(InitialVideoConfig::write(dir, {true, 8, 2, false}), ConfigError::None);
    InitialVideoSettings video;
    InitialVideoConfig::read(dir, video);
    QCOMPARE(video, (InitialVideoSettings{true, 8, 2, false}));
    QVERIFY(folder.read(QStringLiteral("middle.conf")).contains("init_quality=90\n"));

    CameraControlSettings control;
    CameraControlConfig::read(dir, Daemons, control);
    control.channels[0].daemonIndex = 0;
    control.channels[2] = {"Gate", "7", 2};
    QCOMPARE(CameraControlConfig::write(dir, control), ConfigError::None);
    const QByteArray controlText = folder.read(QStringLiteral("control.conf"));
    QVERIFY(controlText.contains("[channel_1]\ncam_alias=\"Front door\"\ncam_id=1\n"
                                 "control_deamon=none\n"));
    QVERIFY(controlText.contains("cam_alias=Gate\ncam_id=7\n"
                                 "control_deamon=/etc/control_deamon/head_b\n\n[channel_4]"));

    QCOMPARE(SystemInfoConfig::write(dir, {"x", "y", "z", "Roof", "ops@example.invalid"}),
             ConfigError::None);
    SystemInfoSettings info;
    SystemInfoConfig::read(dir, info);
    QCOMPARE(info, (SystemInfoSettings{"ZN-2100", "ZN21000123", "2.0.14", "Roof",
                                       "ops@example.invalid"}));

    QCOMPARE(SecurityConfig::write(dir, {SecuritySettings::Level::High}), ConfigError::None);
    QCOMPARE(folder.read(QStringLiteral("rc.iptables")),
             QByteArray("#!/bin/sh\n# \xbc\xb3\xc1\xa4 firewall level\n/etc/iptables_script/high.sh\n"
                        "exit 0\n\n"));
    QCOMPARE(SecurityConfig::write(dir, {SecuritySettings::Level::Unset}), ConfigError::None);
    QVERIFY(folder.read(QStringLiteral("rc.iptables")).contains("/low.sh\n"));

    // Saving the timer source writes only its file.
    const QByteArray input = folder.read(QStringLiteral("dio_input.conf"));
    EventSettings timer;
    EventConfig::read(dir, EventSource::Timer, timer);
    timer.period = "120";
    timer.mailEnabled = true;
    timer.notifyCameraIndex = 3;
    QCOMPARE(EventConfig::write(dir, EventSource::Timer, timer), ConfigError::None);
    EventSettings back;
    EventConfig::read(dir, EventSource::Timer, back);
    QCOMPARE(back, timer);
    QCOMPARE(folder.read(QStringLiteral("dio_input.conf")), input);
}

void TestConfigWriters::editKeepsLongLines_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QByteArray>("expected");

    // A reader of 127/255-byte pieces would cut these lines, or take their tails for
    // lines of their own and replace them.
    const QByteArray tail255 = "# " + QByteArray(253, '-') + "port=8080 old listener";
    QTest::newRow("thttpd 300-byte line kept whole")
        << QStringLiteral("thttpd.conf") << QByteArray(tail255 + "\nport=80\n")
        << QByteArray(tail255 + "\nport=9000\n");
    const QByteArray tail127 = "# " + QByteArray(125, '-') + "max_connect=99 was too many";
    QTest::newRow("udp 150-byte line kept whole")
        << QStringLiteral("udp_server.conf") << QByteArray(tail127 + "\nmax_connect=1\n")
        << QByteArray(tail127 + "\nmax_connect=3\nserver_port=9000\n").replace(
               "\nserver_port=9000", "");
    QTest::newRow("8-bit bytes and no final line feed")
        << QStringLiteral("udp_server.conf") << QByteArray("# \xbc\xb3\xc1\xa4\r\nmax_connect=1")
        << QByteArray("# \xbc\xb3\xc1\xa4\r\nmax_connect=3");
    // The reader takes both keys for the port (the indented one last), so both change.
    QTest::newRow("longer key and indented key both the port")
        << QStringLiteral("thttpd.conf") << QByteArray("portal=x\n  port=1\n")
        << QByteArray("portal=9000\n  port=9000\n");
}

void TestConfigWriters::editKeepsLongLines()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(QByteArray, expected);
    CamFiles::Folder folder;
    QVERIFY(folder.write(file, contents));
    if (file == QLatin1String("thttpd.conf")) {
        QCOMPARE(WebServerConfig::write(folder.path(), {"t", "9000"}), ConfigError::None);
    } else {
        QCOMPARE(StreamServerConfig::write(folder.path(), {true, true, "9000", "3", "4"}),
                 ConfigError::None);
    }
    QCOMPARE(folder.read(file), expected);
}

void TestConfigWriters::editChangesOnlyTheFieldsLine_data()
{
    QTest::addColumn<ForeignLinesCase>("c");
    for (const ForeignLinesCase &c : ForeignLinesCases())
        QTest::newRow(qPrintable(c.name)) << c;
}

void TestConfigWriters::editChangesOnlyTheFieldsLine()
{
    QFETCH(ForeignLinesCase, c);
    const QString &file = c.localName, &field = c.field;
    CamFiles::Folder folder;
    QVERIFY(folder.write(file, c.before));
    QHash<QString, QByteArray> others;
    for (const QString &name : CamFiles::localNames()) {
        if (name != file)
            others.insert(name, folder.read(name));
    }
    const QString page = field.section(QLatin1Char('.'), 0, 0);
    const QString name = field.section(QLatin1Char('.'), 1);
    const std::optional<FileTab> tab = ConfigFields::tabOf(page);
    QVERIFY(tab);
    PageSettings settings;
    QCOMPARE(PageFiles::Read(*tab, folder.path(), Daemons,
                             ConfigFields::eventSourceOf(name).value_or(EventSource::DigitalInput),
                             settings),
             ConfigError::None);
    QString error;
    QVERIFY2(ConfigFields::set(settings, name, c.value, &error), qPrintable(error));
    QCOMPARE(PageFiles::WriteFields(folder.path(), settings), ConfigError::None);
    QCOMPARE(folder.read(file), c.after);
    for (auto it = others.cbegin(); it != others.cend(); ++it)
        QCOMPARE(folder.read(it.key()), it.value());
}

void TestConfigWriters::eventSourceMadeActiveOnlyBySave_data()
{
    QTest::addColumn<bool>("bySave");
    QTest::addColumn<QByteArray>("enable");
    QTest::newRow("a script's field leaves a disabled input disabled") << false << QByteArray("enable=false\n");
    QTest::newRow("the window's Save makes the source active") << true << QByteArray("enable=true\n");
}

void TestConfigWriters::eventSourceMadeActiveOnlyBySave()
{
    QFETCH(bool, bySave);
    QFETCH(QByteArray, enable);
    CamFiles::Folder folder;
    const QByteArray before = "[INPUT]\nenable=false\n[FTP]\nserver=old.example\n";
    QVERIFY(folder.write(QStringLiteral("dio_input.conf"), before));
    PageSettings settings;
    QCOMPARE(PageFiles::Read(FileTab::EventServer, folder.path(), Daemons, EventSource::DigitalInput, settings),
             ConfigError::None);
    QString error;
    QVERIFY2(ConfigFields::set(settings, QStringLiteral("input.ftp_server"), QStringLiteral("new.example"), &error),
             qPrintable(error));
    QCOMPARE(bySave ? PageFiles::Write(folder.path(), settings) : PageFiles::WriteFields(folder.path(), settings),
             ConfigError::None);
    QCOMPARE(folder.read(QStringLiteral("dio_input.conf")),
             "[INPUT]\n" + enable + "[FTP]\nserver=new.example\n");
}

void TestConfigWriters::generalKeepsEveryEntry()
{
    // More entries than the reader's table holds, and longer than its fields.
    QByteArray contents = "[GENERAL]\n";
    QByteArray expected = "[GENERAL]\n";
    for (int i = 0; i < 30; ++i) {
        const QByteArray key = "extra_" + QByteArray(70, 'k') + QByteArray::number(i);
        const QByteArray value = QByteArray(260, char('a' + i % 26)) + "\xc1\xa4";
        contents += key + "=\"" + value + "\"\n";
        expected += key + "=\"" + value + "\"\n";
    }
    contents += "admin_email=old@example.invalid\n";
    expected += "admin_email=new@example.invalid\n";
    // Beyond the readers' 21 entries the address is set where they find it as well.
    expected.insert(qstrlen("[GENERAL]\n"), "admin_email=new@example.invalid\n");
    CamFiles::Folder folder;
    QVERIFY(folder.write(QStringLiteral("general.conf"), contents));
    SystemInfoSettings settings;
    settings.email = "new@example.invalid";
    QCOMPARE(SystemInfoConfig::write(folder.path(), settings), ConfigError::None);
    QCOMPARE(folder.read(QStringLiteral("general.conf")), expected);
}

void TestConfigWriters::valueOutsideItemsKeepsFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<Step>("step");

    const Step video =
        unchanged<InitialVideoSettings>(&InitialVideoConfig::read, &InitialVideoConfig::write);
    QTest::newRow("init_quality 100")
        << QStringLiteral("middle.conf")
        << QByteArray("[middle_info]\nvideo_type=0\ninit_quality=100\ninit_resolution=1\n"
                      "flickerless=0\n")
        << video;
    QTest::newRow("init_resolution 5")
        << QStringLiteral("middle.conf")
        << QByteArray("[middle_info]\nvideo_type=1\ninit_quality=30\ninit_resolution=5\n"
                      "flickerless=1\n")
        << video;
    const QByteArray event = "[INPUT]\nenable=true\ndetect_area=9\nsensitivity=1\n"
                             "[DIO_OUTPUT]\nenable=false\nout_time=1\n"
                             "[FTP]\nenable=false\nserver=s\nport=21\nuser=u\nuser_pw=p\n"
                             "image_name=i\nwhich_cam=7\n"
                             "[EMAIL]\nenable=false\nserver=s\nport=25\nsubject=s\nfrom=f\nto=t\n"
                             "which_cam=0\n[NOTIFY]\nenable=false\nserver=s\nwhich_cam=-2\n";
    QTest::newRow("motion boxes out of range")
        << QStringLiteral("hw_motion.conf") << event << eventUnchanged(EventSource::Motion);
    QTest::newRow("control daemon index past the listing")
        << QStringLiteral("control.conf")
        << QByteArray("[channel_1]\ncam_alias=a\ncam_id=1\ncontrol_deamon=/etc/control_deamon/x\n")
        << Step([](const QString &folder) {
               CameraControlSettings settings;
               CameraControlConfig::read(folder, {QStringLiteral("x")}, settings);
               settings.channels[0].daemonIndex = 5;
               settings.channels[1].daemonIndex = -1;
               for (int n = 1; n < 4; ++n)
                   settings.channels[size_t(n)].daemonIndex = -1;
               return CameraControlConfig::write(folder, settings);
           });
}

void TestConfigWriters::valueOutsideItemsKeepsFile()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(Step, step);
    CamFiles::Folder folder;
    QVERIFY(folder.write(file, contents));
    QCOMPARE(step(folder.path()), ConfigError::None);
    QByteArray after = folder.read(file);
    // Only keys this page always writes may appear; the boxes' values are the file's.
    if (file == QLatin1String("control.conf"))
        after.replace("cam_alias=none\ncam_id=0\n", "");
    QCOMPARE(after.left(contents.size()), contents);
}

void TestConfigWriters::profileUpdateTouchesOnlyItsKeys()
{
    // audio.conf's section is the last bracketed name of the file.
    const QByteArray before = "; \xbc\xb3 comment\r\n[other]\r\nserver_port=1\r\n"
                              "[audio_server_info]\r\n"
                              "server_port = \"1853\"   \r\nunknown=kept\r\n\r\n"
                              "max_connect=1\r\nsampling_volume=256\r\nplayback_volume=256\r\n";
    CamFiles::Folder folder;
    QVERIFY(folder.write(QStringLiteral("audio.conf"), before));
    AudioSettings settings;
    AudioConfig::read(folder.path(), settings);
    QCOMPARE(settings.port, QByteArray("1853"));
    settings.maxConnect = "4";
    QCOMPARE(AudioConfig::write(folder.path(), settings), ConfigError::None);
    QByteArray expected = before;
    expected.replace("max_connect=1", "max_connect=4");
    QCOMPARE(folder.read(QStringLiteral("audio.conf")), expected);
}

void TestConfigWriters::failedWriteKeepsFile()
{
    // A name one short of the longest allowed leaves no room for the name of the file
    // written beside it, so that write fails; the old file must survive it.
    CamFiles::Folder folder;
    const QString name(250, QLatin1Char('n'));
    QVERIFY(folder.write(name, "old contents\n"));
    QVERIFY(!ConfigFiles::save(folder.path(), name, "new"));
    QCOMPARE(folder.read(name), QByteArray("old contents\n"));
    QVERIFY(ConfigFiles::save(folder.path(), QStringLiteral("short"), "new"));
    QCOMPARE(folder.read(QStringLiteral("short")), QByteArray("new"));
    // The same for a page: its folder is gone, nothing is written and the error says so.
    QCOMPARE(DdnsConfig::write(folder.file(QStringLiteral("no/such/dir")), {}),
             ConfigError::Write);
}

void TestConfigWriters::missingFiles()
{
    CamFiles::Folder folder;
    const QString dir = folder.path();

    // The stream page looks for all three files before it writes any.
    const QByteArray udp = folder.read(QStringLiteral("udp_server.conf"));
    QVERIFY(folder.remove(QStringLiteral("rc.server")));
    QCOMPARE(StreamServerConfig::write(dir, {true, true, "1", "1", "1"}), ConfigError::Write);
    QCOMPARE(folder.read(QStringLiteral("udp_server.conf")), udp);

    // The web page writes thttpd.conf before it looks for title.js.
    QVERIFY(folder.remove(QStringLiteral("title.js")));
    QCOMPARE(WebServerConfig::write(dir, {"t", "81"}), ConfigError::Write);
    QVERIFY(folder.read(QStringLiteral("thttpd.conf")).contains("\nport=81\n"));
    QVERIFY(folder.remove(QStringLiteral("thttpd.conf")));
    QCOMPARE(WebServerConfig::write(dir, {"t", "81"}), ConfigError::Write);

    QVERIFY(folder.remove(QStringLiteral("general.conf")));
    QCOMPARE(SystemInfoConfig::write(dir, {}), ConfigError::Parse);
    QCOMPARE(folder.read(QStringLiteral("general.conf")), QByteArray("<missing>"));
}

QTEST_APPLESS_MAIN(TestConfigWriters)
#include "tst_config_writers.moc"

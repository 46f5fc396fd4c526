// Start-up files and shared routines: zora.ini, the string table, the model filter,
// the running-copy guard and the loopback guard.
#include "base/app_options.h"
#include "base/app_paths.h"
#include "base/default_strings.h"
#include "base/model_filter_table.h"
#include "base/running_copy_guard.h"
#include "base/send_guard.h"
#include "base/shared_routines.h"
#include "base/string_table.h"
#include "base/zora_ini.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void defaultIniIsByteExact();
    void appNameRule_data();
    void appNameRule();
    void modelsStopAtFirstGap();
    void modelFilterSlots();
    void stringTableOffWritesNothing_data();
    void stringTableOffWritesNothing();
    void stringTableFillsLanguageFile();
    void languageFileWrittenOnce_data();
    void languageFileWrittenOnce();
    void unreadableIniReportedOnce();
    void defaultsTable();
    void sendGuard_data();
    void sendGuard();
    void sharedRoutines_data();
    void sharedRoutines();
    void guardSecondCopy();
    void guardAfterKilledCopy();
    void options_data();
    void options();
    void filePlaces_data();
    void filePlaces();
};

void TestStartup::defaultIniIsByteExact()
{
    TestSupport::AppDir dir;
    ZoraIni ini(dir.path());
    QVERIFY(!ini.exists());
    QVERIFY(ini.ensureExists());
    QFile expected(TestSupport::sourcePath(QStringLiteral("tests/data/zora_default.ini")));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    const QByteArray written = dir.read(QStringLiteral("zora.ini"));
    QCOMPARE(written, expected.readAll());
    // Every line ends in CR LF, and the Korean notes are 8-bit, not UTF-8.
    QCOMPARE(written.count("\r\n"), written.count('\n'));
    QVERIFY(QString::fromUtf8(written).contains(QChar::ReplacementCharacter));
    QCOMPARE(ini.models().size(), 7);
    QCOMPARE(ini.appName(false), QStringLiteral("ZORA 2.0"));
    QCOMPARE(ini.oemIcon(), QStringLiteral("zora.ico"));
}

void TestStartup::appNameRule_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("two characters replaced") << QByteArray("AB") << QStringLiteral("ZORA 2.0")
                                             << QByteArray("ZORA 2.0");
    QTest::newRow("empty replaced") << QByteArray("") << QStringLiteral("ZORA 2.0")
                                    << QByteArray("ZORA 2.0");
    QTest::newRow("three characters kept") << QByteArray("Cam") << QStringLiteral("Cam")
                                           << QByteArray("Cam");
}

void TestStartup::appNameRule()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, caption);
    QFETCH(QByteArray, stored);
    TestSupport::AppDir dir;
    dir.write(QStringLiteral("zora.ini"), "[ZORA]\r\nAPPNAME=" + value + "\r\n");
    ZoraIni ini(dir.path());
    QCOMPARE(ini.appName(true), caption);
    QCOMPARE(ProfileFile(ini.path()).readString("ZORA", "APPNAME"), stored);
}

void TestStartup::modelsStopAtFirstGap()
{
    TestSupport::AppDir dir;
    dir.write(QStringLiteral("zora.ini"), "[MODELS]\r\n0=A\r\n1=B\r\n3=D\r\n");
    QCOMPARE(ZoraIni(dir.path()).models(), QList<QString>({QStringLiteral("A"), QStringLiteral("B")}));
}

void TestStartup::modelFilterSlots()
{
    ModelFilterTable table;
    QCOMPARE(table.selectedCode(), quint8(255));
    QCOMPARE(table.names(), QStringList{QStringLiteral("Any Camera Models")});
    // 60 contiguous models fill slots 1..49 and drop the rest.
    for (int n = 0; n < 60; ++n)
        table.add(QStringLiteral("M%1").arg(n), quint8(n));
    QCOMPARE(table.names().size(), 50);
    QCOMPARE(table.code(49), quint8(48));
    // A code already listed adds nothing; the same name with another code is listed.
    ModelFilterTable other;
    QVERIFY(other.add(QStringLiteral("X"), 7));
    QVERIFY(!other.add(QStringLiteral("Y"), 7));
    QVERIFY(other.add(QStringLiteral("X"), 8));
    QCOMPARE(other.names().size(), 3);
    other.select(2);
    QCOMPARE(other.selectedCode(), quint8(8));
    QVERIFY(other.accepts(8));
    QVERIFY(!other.accepts(7));
}

void TestStartup::stringTableOffWritesNothing_data()
{
    QTest::addColumn<QByteArray>("manager");
    QTest::newRow("no switch file") << QByteArray();
    QTest::newRow("switch off") << QByteArray("[MultiLang]\r\nEnableMultiLang=0\r\n");
}

void TestStartup::stringTableOffWritesNothing()
{
    QFETCH(QByteArray, manager);
    TestSupport::AppDir dir;
    if (!manager.isEmpty())
        dir.write(QStringLiteral("VXRManager.ini"), manager);
    TMultiLang::Load(3000, 306);
    QVERIFY(!TMultiLang::current());
    QCOMPARE(GetString(3008), QStringLiteral("Scan Cameras"));
    QCOMPARE(GetString(3169, QStringLiteral("Warning")), QStringLiteral("Warning"));
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("VXRLanguage.ini"))));
}

void TestStartup::stringTableFillsLanguageFile()
{
    TestSupport::AppDir dir;
    dir.write(QStringLiteral("VXRManager.ini"), "[MultiLang]\r\nEnableMultiLang=1\r\n");
    dir.write(QStringLiteral("VXRLanguage.ini"),
              "[Language]\r\n3008=Kameras suchen\r\n3010=\r\n");
    TMultiLang::Load(3000, 306);
    QVERIFY(TMultiLang::current());
    QCOMPARE(GetString(3008), QStringLiteral("Kameras suchen"));
    // An empty translation falls back and is written again with the default; a missing
    // one is added; an id outside the table is written but never stored.
    QCOMPARE(GetString(3010), QStringLiteral("Clear List"));
    QCOMPARE(GetString(3013), QStringLiteral("Exit"));
    QCOMPARE(GetString(4000, QStringLiteral("outside")), QStringLiteral("outside"));
    TMultiLang::Free();
    const ProfileFile lang(dir.file(QStringLiteral("VXRLanguage.ini")));
    QCOMPARE(lang.readString("Language", "3010"), QByteArray("Clear List"));
    QCOMPARE(lang.readString("Language", "3013"), QByteArray("Exit"));
    QCOMPARE(lang.readString("Language", "4000"), QByteArray("outside"));
    QCOMPARE(lang.readString("Language", "3008"), QByteArray("Kameras suchen"));
}

void TestStartup::languageFileWrittenOnce_data()
{
    // Each asked text is "id" (its default) or "id=fallback"; `written` lists, in order,
    // the texts that were written into the file one at a time as they were asked for.
    QTest::addColumn<QByteArray>("before"); // null: no language file
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("written");
    QTest::newRow("no language file")
        << QByteArray() << QStringList{"3008", "3010", "3013"}
        << QStringList{"3008=Scan Cameras", "3010=Clear List", "3013=Exit"};
    QTest::newRow("translations kept, empty and missing ones written")
        << QByteArray("[Language]\r\n3008=Kameras suchen\r\n3010=\r\n")
        << QStringList{"3008", "3010", "3013", "4000=outside"}
        << QStringList{"3010=Clear List", "3013=Exit", "4000=outside"};
    QTest::newRow("asked again, the last fallback wins")
        << QByteArray("[Language]\r\n")
        << QStringList{"3013", "3014=Model", "3010", "3013", "3014=Modell"}
        << QStringList{"3013=Exit", "3014=Model", "3010=Clear List", "3013=Exit", "3014=Modell"};
}

void TestStartup::languageFileWrittenOnce()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, written);
    TestSupport::AppDir dir;
    const QString path = dir.file("VXRLanguage.ini");
    dir.write("VXRManager.ini", "[MultiLang]\r\nEnableMultiLang=1\r\n");
    if (!before.isNull())
        dir.write("VXRLanguage.ini", before);

    QByteArray expected = before; // what writing the texts one by one gave
    for (const QString &w : written) {
        const QStringList idText = w.split('=');
        expected = ProfileFile::update(expected, "Language", idText[0].toUtf8(), idText[1].toUtf8());
    }

    TMultiLang::Load(3000, 306);
    for (const QString &a : asked) {
        const QStringList idText = a.split('=');
        if (idText.size() == 2)
            GetString(idText[0].toInt(), idText[1]);
        else
            GetString(idText[0].toInt());
    }
    // Nothing is written before the event loop is idle again, then everything at once.
    QCOMPARE(QFile::exists(path), !before.isNull());
    QCOMPARE(dir.read("VXRLanguage.ini"), before);
    QCoreApplication::processEvents();
    QCOMPARE(TMultiLang::current()->fileWrites(), 1);
    QCOMPARE(dir.read("VXRLanguage.ini"), expected);
    TMultiLang::Free();
    QCOMPARE(dir.read("VXRLanguage.ini"), expected);
}

void TestStartup::unreadableIniReportedOnce()
{
    TestSupport::AppDir dir;
    const QString path = dir.file("zora.ini");
    QVERIFY(QDir().mkdir(path));
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QString("Cannot read %1: it is a directory; it was left as it is")
                                        .arg(path)));
    QTest::failOnWarning(QRegularExpression("."));
    // The writes of a start-up.
    ZoraIni ini(dir.path());
    QVERIFY(ini.ensureExists());
    ini.writeHandle(1234);
    QCOMPARE(ini.appName(true), QStringLiteral("ZORA 2.0"));
    QVERIFY(QFileInfo(path).isDir());
}

void TestStartup::defaultsTable()
{
    QCOMPARE(DefaultStringCount(), 291);
    QCOMPARE(DefaultString(3170), QStringLiteral("Opening Server   Port : "));
    QCOMPARE(DefaultString(3002), QString());
    QCOMPARE(DefaultString(3305), QStringLiteral("All Area"));
    const QList<int> ids = DefaultStringIds();
    QVERIFY(std::is_sorted(ids.begin(), ids.end()));
    QCOMPARE(ids.first(), 3000);
}

void TestStartup::sendGuard_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("limited broadcast") << QStringLiteral("255.255.255.255") << false;
    QTest::newRow("documentation net") << QStringLiteral("192.0.2.1") << false;
    QTest::newRow("private net") << QStringLiteral("10.1.2.3") << false;
    QTest::newRow("loopback") << QStringLiteral("127.0.0.1") << true;
    QTest::newRow("loopback broadcast") << QStringLiteral("127.255.255.255") << true;
    QTest::newRow("ipv6 loopback") << QStringLiteral("::1") << true;
}

void TestStartup::sendGuard()
{
    QFETCH(QString, address);
    QFETCH(bool, allowed);
    qputenv("ZORA_LOOPBACK_ONLY", "1");
    const QString why = SendGuard::refusal(QHostAddress(address));
    QCOMPARE(why.isEmpty(), allowed);
    if (!allowed)
        QVERIFY(why.contains(address));
}

void TestStartup::sharedRoutines_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("same");
    QTest::newRow("same /24") << "192.168.0.10" << "255.255.255.0" << "192.168.0.1" << true << true;
    QTest::newRow("other /24") << "192.168.1.10" << "255.255.255.0" << "192.168.0.1" << true << false;
    QTest::newRow("zero address") << "0.0.0.0" << "255.0.0.0" << "0.1.2.3" << false << true;
    QTest::newRow("broadcast") << "255.255.255.255" << "255.255.255.0" << "1.2.3.4" << false << false;
    QTest::newRow("not an address") << "300.1.1.1" << "255.255.255.0" << "1.1.1.1" << false << false;
    QTest::newRow("three parts") << "10.1.1" << "255.0.0.0" << "10.1.1.1" << false << false;
}

void TestStartup::sharedRoutines()
{
    QFETCH(QString, a);
    QFETCH(QString, mask);
    QFETCH(QString, b);
    QFETCH(bool, valid);
    QFETCH(bool, same);
    QCOMPARE(IsValidIP(a), valid);
    if (valid || a == QLatin1String("0.0.0.0"))
        QCOMPARE(SameNetwork(a, mask, b), same);
}

void TestStartup::guardSecondCopy()
{
    TestSupport::AppDir dir;
    RunningCopyGuard first(dir.path());
    QVERIFY(first.claim());
    QSignalSpy activated(&first, &RunningCopyGuard::activationRequested);
    // The second copy runs in another process, as a real second start would.
    QProcess second;
    second.start(QStringLiteral(ZORA_BINARY_DIR "/bin/tst_startup"),
                 {QStringLiteral("-probe"), dir.path()});
    QVERIFY(activated.wait(5000));
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitCode(), 0);
    // Another directory is another program.
    TestSupport::AppDir other;
    RunningCopyGuard elsewhere(other.path());
    QVERIFY(!elsewhere.notifyRunningCopy(200));
}

void TestStartup::guardAfterKilledCopy()
{
    TestSupport::AppDir dir;
    QProcess holder;
    holder.start(QStringLiteral(ZORA_BINARY_DIR "/bin/tst_startup"),
                 {QStringLiteral("-hold"), dir.path()});
    QVERIFY(holder.waitForReadyRead(5000));
    RunningCopyGuard probe(dir.path());
    QVERIFY(probe.notifyRunningCopy(2000));
    holder.kill();
    holder.waitForFinished(5000);
    // A killed copy leaves nothing behind that would keep the next start out.
    RunningCopyGuard next(dir.path());
    QVERIFY(!next.notifyRunningCopy(200));
    QVERIFY(next.claim());
}

void TestStartup::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("rest");
    QTest::newRow("all") << QStringList{"--broadcast", "127.255.255.255", "--camera-port", "40000",
                                        "scan", "--local-port", "40001"}
                         << true << QStringList{"scan"};
    QTest::newRow("port out of range") << QStringList{"--camera-port", "70000"} << false
                                       << QStringList{};
    QTest::newRow("bad broadcast") << QStringList{"--broadcast", "nowhere"} << false
                                   << QStringList{};
    QTest::newRow("missing value") << QStringList{"--app-dir"} << false << QStringList{};
}

void TestStartup::options()
{
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(QStringList, rest);
    AppOptions options;
    QString error;
    QCOMPARE(options.take(args, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
    if (ok) {
        QCOMPARE(args, rest);
        QCOMPARE(options.broadcast, QHostAddress(QStringLiteral("127.255.255.255")));
        QCOMPARE(options.cameraPort, quint16(40000));
        QCOMPARE(options.localPort, quint16(40001));
    }
}

// Where the files go, and what an older version left in ~/.local/share/zora. Paths are
// written with <tmp> (a writable scratch folder), <old> (the older version's folder) and
// <config>, <state>, <runtime>, <cache> (the XDG directories, each of its own).
void TestStartup::filePlaces_data()
{
    QTest::addColumn<QString>("executableDir");
    QTest::addColumn<QString>("option");          // --app-dir
    QTest::addColumn<bool>("runtimeDir");         // $XDG_RUNTIME_DIR is set
    QTest::addColumn<QStringList>("before");      // "path=text" files there at start
    QTest::addColumn<QStringList>("places");      // settings, camera list, layout, working copies
    QTest::addColumn<QStringList>("after");       // "path=text" files there afterwards ("path=" none)
    const QStringList beside = {"<tmp>/", "<tmp>/temp/CameraList.cfg", "<tmp>/zora-window.ini", "<tmp>/temp"};
    const QStringList xdg = {"<config>/zora/", "<state>/zora/CameraList.cfg", "<state>/zora/zora-window.ini",
                             "<runtime>/zora"};
    const QStringList older = {"<old>/zora.ini=old ini", "<old>/VXRLanguage.ini=words",
                               "<old>/zora-window.ini=layout", "<old>/temp/CameraList.cfg=127.0.0.5",
                               "<old>/images/zora.bmp=picture"};
    QTest::newRow("writable build folder") << "<tmp>" << "" << true << QStringList{} << beside << QStringList{};
    QTest::newRow("build folder leaves an older version's files alone")
        << "<tmp>" << "" << true << older << beside << QStringList{"<old>/zora.ini=old ini", "<tmp>/zora.ini="};
    QTest::newRow("--app-dir wins") << "/usr/bin" << "<tmp>" << true << QStringList{} << beside << QStringList{};
    QTest::newRow("installed in /usr/bin, even for root") << "/usr/bin" << "" << true << QStringList{} << xdg
                                                          << QStringList{};
    QTest::newRow("installed in /usr/local/bin") << "/usr/local/bin/" << "" << true << QStringList{} << xdg
                                                 << QStringList{};
    QTest::newRow("folder gone") << "/nonexistent/zora" << "" << true << QStringList{} << xdg << QStringList{};
    QTest::newRow("no runtime directory: the cache")
        << "/usr/bin" << "" << false << QStringList{}
        << QStringList{"<config>/zora/", "<state>/zora/CameraList.cfg", "<state>/zora/zora-window.ini",
                       "<cache>/zora"}
        << QStringList{};
    QTest::newRow("an older version's files move once")
        << "/usr/bin" << "" << true << older << xdg
        << QStringList{"<config>/zora/zora.ini=old ini", "<config>/zora/VXRLanguage.ini=words",
                       "<config>/zora/images/zora.bmp=picture", "<state>/zora/zora-window.ini=layout",
                       "<state>/zora/CameraList.cfg=127.0.0.5", "<old>/zora.ini=", "<old>/temp/CameraList.cfg="};
    QTest::newRow("a file the new place has already stays where it was")
        << "/usr/bin" << "" << true << QStringList{"<old>/zora.ini=old ini", "<config>/zora/zora.ini=new ini"} << xdg
        << QStringList{"<config>/zora/zora.ini=new ini", "<old>/zora.ini=old ini"};
    QTest::newRow("a crashed run's working copies stay")
        << "/usr/bin" << "" << true
        << QStringList{"<old>/temp/CameraList.cfg=127.0.0.5", "<old>/temp/network.conf=copy"} << xdg
        << QStringList{"<state>/zora/CameraList.cfg=127.0.0.5", "<old>/temp/network.conf=copy"};
}

void TestStartup::filePlaces()
{
    QFETCH(QString, executableDir);
    QFETCH(QString, option);
    QFETCH(bool, runtimeDir);
    QFETCH(QStringList, before);
    QFETCH(QStringList, places);
    QFETCH(QStringList, after);
    QTemporaryDir tmp, data, config, state, runtime, cache;
    const QHash<QByteArray, QString> env = {{"XDG_DATA_HOME", data.path()}, {"XDG_CONFIG_HOME", config.path()},
                                            {"XDG_STATE_HOME", state.path()}, {"XDG_RUNTIME_DIR", runtime.path()},
                                            {"XDG_CACHE_HOME", cache.path()}};
    QHash<QByteArray, QByteArray> saved;
    for (auto it = env.begin(); it != env.end(); ++it) {
        saved.insert(it.key(), qgetenv(it.key()));
        qputenv(it.key(), it.value().toLocal8Bit());
    }
    if (!runtimeDir)
        qunsetenv("XDG_RUNTIME_DIR");
    auto fill = [&](QString text) {
        return text.replace("<tmp>", tmp.path())
            .replace("<old>", data.path() + "/zora")
            .replace("<config>", config.path())
            .replace("<state>", state.path())
            .replace("<runtime>", runtime.path())
            .replace("<cache>", cache.path());
    };
    for (const QString &entry : before) {
        const QString path = fill(entry.section('=', 0, 0));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(entry.section('=', 1).toUtf8());
    }
    AppOptions options;
    options.appDir = fill(option);
    const AppPaths paths = options.resolvePaths(fill(executableDir));
    paths.apply();
    paths.moveOlderFiles(AppPaths::olderDir());
    const QStringList seen = {ApplicationPath(), CameraListFile(), WindowLayoutFile(), LocalTempFolder()};
    const bool workPrivate = paths.work.isEmpty()
                             || QFileInfo(paths.work).permissions()
                                    == (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                        | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    // A second start finds nothing more to move.
    const QStringList movedAgain = paths.moveOlderFiles(AppPaths::olderDir());
    SetApplicationPath({});
    SetStateFolder({});
    SetWorkFolder({});
    for (auto it = saved.begin(); it != saved.end(); ++it)
        qputenv(it.key(), it.value());

    QStringList expected;
    for (const QString &p : places)
        expected << fill(p);
    QCOMPARE(seen, expected);
    QVERIFY(QFileInfo(seen.first()).isDir());
    QVERIFY2(workPrivate, "the working folder is readable by others");
    QVERIFY(movedAgain.isEmpty());
    for (const QString &entry : after) {
        const QString path = fill(entry.section('=', 0, 0));
        const QString text = entry.section('=', 1);
        QFile f(path);
        if (text.isEmpty()) {
            QVERIFY2(!f.exists(), qPrintable(path));
            continue;
        }
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
        QCOMPARE(QString::fromUtf8(f.readAll()), text);
    }
    // Everything moved: the older folder is gone.
    if (!after.isEmpty() && std::none_of(after.cbegin(), after.cend(), [](const QString &e) {
            return e.startsWith("<old>") && !e.endsWith('=');
        }))
        QVERIFY(!QFileInfo::exists(data.path() + "/zora"));
}

// The test program doubles as the second copy of the guard tests.
int main(int argc, char **argv)
{
    if (argc == 3 && (qstrcmp(argv[1], "-probe") == 0 || qstrcmp(argv[1], "-hold") == 0)) {
        QCoreApplication app(argc, argv);
        RunningCopyGuard guard(QString::fromLocal8Bit(argv[2]));
        if (qstrcmp(argv[1], "-probe") == 0)
            return guard.notifyRunningCopy(3000) ? 0 : 1;
        if (!guard.claim())
            return 1;
        std::printf("ready\n");
        std::fflush(stdout);
        return app.exec();
    }
    QCoreApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"

// The page table of the file-configured family: one row per tab, in tab order, each with
// the title, file sets, settings and parts the window and the command line used before
// the table held them.
#include "fileconfig/config_file_set.h"
#include "fileconfig/file_page_table.h"
#include "fileconfig/page_files.h"

#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(PageSettings)

using Kind = FilePageRow::Kind;

class TestFilePageTable : public QObject
{
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void rowsAreTheTabsInOrder();
    void everySettingsTypeHasOnePage();
    void everyFileSetHasOnePage();
};

void TestFilePageTable::rows_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("titleId");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<int>("set");              // model code 0
    QTest::addColumn<int>("setWithoutMotion"); // model codes 2 and 6
    QTest::addColumn<PageSettings>("sample");
    QTest::addColumn<bool>("checks");
    QTest::addColumn<bool>("audio");

    const auto row = [](const char *name, FileTab tab, Kind kind, int id, const char *title,
                        const char *fields, int set, int without, const PageSettings &sample,
                        bool checks, bool audio = false) {
        QTest::newRow(name) << int(tab) << int(kind) << id << QString(title) << QString(fields)
                            << set << without << sample << checks << audio;
    };
    using Set = ConfigFileSet;
    row("network", FileTab::NetworkInfo, Kind::Record, 3025, "Network Info", "network", -1, -1,
        NetworkPageSettings{}, true);
    row("host", FileTab::HostName, Kind::Record, 3044, "Host Name", "host", -1, -1,
        HostPageSettings{}, true);
    row("account", FileTab::Account, Kind::Account, 3049, "Account", "", -1, -1,
        AccountPageSettings{}, false);
    row("camera update", FileTab::CameraUpdate, Kind::Update, 3065, "Camera Update", "", -1, -1,
        std::monostate{}, false);
    row("ddns", FileTab::Ddns, Kind::Files, 3113, "DDNS", "ddns", Set::Ddns, Set::Ddns,
        DdnsSettings{}, true);
    row("web", FileTab::WebServer, Kind::Files, 3119, "Web Server", "web", Set::WebServer,
        Set::WebServer, WebServerSettings{}, true);
    row("stream", FileTab::StreamServer, Kind::Files, 3122, "Stream Server", "stream",
        Set::StreamServer, Set::StreamServer, StreamServerSettings{}, true);
    row("event", FileTab::EventServer, Kind::Files, 3128, "Event Server", "event",
        Set::EventWithMotion, Set::EventWithoutMotion, EventPageSettings{}, true);
    row("video", FileTab::InitialVideo, Kind::Files, 3156, "Initial Video", "video",
        Set::InitialVideo, Set::InitialVideo, InitialVideoSettings{}, false);
    row("camera control", FileTab::CameraControl, Kind::Files, 3083, "Camera Control", "camera",
        Set::CameraControl, Set::CameraControl, CameraControlSettings{}, true);
    row("system", FileTab::SystemInfo, Kind::Files, 3091, "System Info", "system",
        Set::SystemInfo, Set::SystemInfo, SystemInfoSettings{}, true);
    row("security", FileTab::Security, Kind::Files, 3097, "Security", "security", Set::Security,
        Set::Security, SecuritySettings{}, false);
    row("audio", FileTab::Audio, Kind::Files, 3102, "Audio", "audio", Set::Audio, Set::Audio,
        AudioSettings{}, true, true);
}

void TestFilePageTable::rows()
{
    QFETCH(int, tab);
    QFETCH(int, kind);
    QFETCH(int, titleId);
    QFETCH(QString, title);
    QFETCH(QString, fields);
    QFETCH(int, set);
    QFETCH(int, setWithoutMotion);
    QFETCH(PageSettings, sample);
    QFETCH(bool, checks);
    QFETCH(bool, audio);

    const FilePageRow *row = FilePageTable::of(FileTab(tab));
    QVERIFY(row);
    QCOMPARE(int(row->tab), tab);
    QCOMPARE(int(row->kind), kind);
    QCOMPARE(row->titleId, titleId);
    QCOMPARE(QString::fromLatin1(row->title), title);
    QCOMPARE(row->titleText(), title);
    QCOMPARE(row->fieldsPage, fields);
    QCOMPARE(bool(row->fields), !fields.isEmpty());
    QCOMPARE(row->needsAudio, audio);
    QCOMPARE(bool(row->check), checks);

    QCOMPARE(PageFiles::SetOf(FileTab(tab), 0), set);
    QCOMPARE(PageFiles::SetOf(FileTab(tab), 2), setWithoutMotion);
    QCOMPARE(PageFiles::SetOf(FileTab(tab), 6), setWithoutMotion);
    if (set >= 0) {
        QVERIFY(PageFiles::TabOfSet(set) == FileTab(tab));
        QVERIFY(PageFiles::TabOfSet(setWithoutMotion) == FileTab(tab));
    }

    QVERIFY(row->holds(sample));
    QCOMPARE(FilePageTable::holding(sample), row);

    // What each kind of page is entered and saved with.
    const bool files = row->kind == Kind::Files;
    const bool record = row->kind == Kind::Record;
    QCOMPARE(bool(row->read), files);
    QCOMPARE(bool(row->write), files);
    QCOMPARE(bool(row->fromRecord), record);
    QCOMPARE(bool(row->command), record);
    QCOMPARE(row->pageSave(), files || record);
    QCOMPARE(PageFiles::FileTabs().contains(FileTab(tab)), files);
}

void TestFilePageTable::rowsAreTheTabsInOrder()
{
    // The page control's tab index is the FileTab: row i must be tab i, each once.
    const QList<FilePageRow> &rows = FilePageTable::rows();
    QCOMPARE(rows.size(), 13);
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(int(rows.at(i).tab), i);
        QCOMPARE(FilePageTable::of(FileTab(i)), &rows.at(i));
    }
    QVERIFY(!FilePageTable::of(FileTab(int(rows.size()))));
    QVERIFY(!FilePageTable::of(FileTab(-1)));
}

void TestFilePageTable::everySettingsTypeHasOnePage()
{
    // Write and the checks find a page by its settings: no two pages may share a type,
    // and no settings type may lack its page.
    QSet<std::size_t> alternatives;
    for (const FilePageRow &row : FilePageTable::rows())
        alternatives.insert(row.alternative);
    QCOMPARE(alternatives.size(), qsizetype(FilePageTable::rows().size()));
    QCOMPARE(alternatives.size(), qsizetype(std::variant_size_v<PageSettings>));
}

void TestFilePageTable::everyFileSetHasOnePage()
{
    // A set's files are one page's: its upload and backup name the page by it.
    QHash<int, FileTab> owners;
    for (const FilePageRow &row : FilePageTable::rows()) {
        for (int set : {row.set, row.setWithoutMotion}) {
            if (set < 0)
                continue;
            QVERIFY2(!owners.contains(set) || owners.value(set) == row.tab,
                     qPrintable(QString::number(set)));
            owners.insert(set, row.tab);
        }
    }
    QVERIFY(!PageFiles::TabOfSet(ConfigFileSet::DaemonListing));
    QVERIFY(!PageFiles::TabOfSet(-1));
}

QTEST_GUILESS_MAIN(TestFilePageTable)
#include "tst_file_page_table.moc"

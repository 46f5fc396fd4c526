// The camera list, its saved file and the presence poll, tick by tick.
#include "camsim_process.h"
#include "base/messenger.h"
#include "base/model_filter_table.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protocol/discovery.h"
#include "protocol/udp_endpoint.h"
#include "test_support.h"

#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include <sys/resource.h>

namespace {

struct Fixture {
    Fixture()
    {
        endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
        // A port held by a lock file for the whole run: one probed and closed here could
        // be taken by a test running beside this one before the endpoint binds it.
        endpoint.setLocalPort(CamSimProcess::freeUdpPort());
        endpoint.setCameraPort(9); // discard: nothing listens, nothing answers
        QObject::connect(&endpoint, &UdpEndpoint::datagramSent, &endpoint,
                         [this](const QHostAddress &to, quint16, const QByteArray &bytes) {
                             sent.append({to.toString(), bytes});
                         });
    }
    // "B" for a broadcast, the address for a direct request.
    QString sends() const
    {
        QStringList out;
        for (const auto &s : sent)
            out << (s.first == QLatin1String("127.255.255.255") ? QStringLiteral("B") : s.first);
        return out.join(QLatin1Char(' '));
    }

    CameraList list;
    ModelFilterTable models;
    CameraRegistry registry{list, models};
    UdpEndpoint endpoint;
    Discovery discovery{endpoint, registry};
    QList<QPair<QString, QByteArray>> sent;
};

} // namespace

class TestPresence : public QObject
{
    Q_OBJECT

private slots:
    void savedListLoading_data();
    void savedListLoading();
    void savedListLongLines_data();
    void savedListLongLines();
    void savedListBound_data();
    void savedListBound();
    void saveAsksOnlyForAnEmptyList();
    void clearZeroesRecordsForReuse();
    void sortingTogglesDirection();
    void waitingRowSchedule();
    void restartCountdown_data();
    void restartCountdown();
    void lostRowCyclesSilently();
    void modelFilterRebuildsRows();
    void oneRequestPerTargetATick();
    void addressRequestsPaced();
    void savedRowsFoundByAddress();
};

void TestPresence::savedListLoading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("two lines with final break") << QByteArray("A\r\nB\r\n") << QStringList{"A", "B"};
    QTest::newRow("two lines without final break") << QByteArray("A\r\nB") << QStringList{"A", "B"};
    QTest::newRow("empty first line loads nothing") << QByteArray("\r\nA\r\nB\r\n") << QStringList{};
    QTest::newRow("empty middle line is a row") << QByteArray("A\r\n\r\nB\r\n")
                                                << QStringList{"A", "", "B"};
    QTest::newRow("trailing empty line is not") << QByteArray("A\r\nB\r\n\r\n")
                                                << QStringList{"A", "B"};
    QTest::newRow("LF ends") << QByteArray("A\nB\n") << QStringList{"A", "B"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestPresence::savedListLoading()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    TestSupport::AppDir dir;
    dir.write("CameraList.cfg", file);
    Fixture f;
    f.registry.loadSavedList(dir.file("CameraList.cfg"));
    QCOMPARE(f.list.count(), rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        QCOMPARE(f.list.column(r, CameraList::ColIp), rows[r]);
        QCOMPARE(f.list.icon(r), int(CameraList::Waiting));
        QCOMPARE(f.list.caption(r), QString());
        QStringList counters;
        for (int k = CameraList::ColKind; k <= CameraList::ColCountdown; ++k)
            counters << f.list.column(r, k);
        QCOMPARE(counters, QStringList({"1", "3", "0", "3", "0"}));
        QCOMPARE(f.registry.recordOfRow(r)->Address, rows[r]);
    }
}

void TestPresence::savedListLongLines_data()
{
    // A line is an address or a host name: one longer than 255 bytes is skipped, keeping
    // its place among the lines for the empty-line rules.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("skipped");
    const QByteArray longest(255, 'x');
    const QByteArray over(256, 'y');
    QTest::newRow("255 bytes kept") << longest + "\r\nB\r\n" << QStringList{longest, "B"} << 0;
    QTest::newRow("256 bytes skipped") << "A\r\n" + over + "\r\nB\r\n" << QStringList{"A", "B"} << 1;
    QTest::newRow("256 bytes before a bare LF") << "A\n" + over + "\n" << QStringList{"A"} << 1;
    QTest::newRow("empty line before a long last line is a row")
        << "A\r\n\r\n" + over << QStringList{"A", ""} << 1;
    QTest::newRow("10 MB line between addresses")
        << "A\r\n" + QByteArray(10'000'000, 'z') + "\r\nB" << QStringList{"A", "B"} << 1;
}

void TestPresence::savedListLongLines()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    QFETCH(int, skipped);
    TestSupport::AppDir dir;
    dir.write("CameraList.cfg", file);
    Fixture f;
    if (skipped > 0) {
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QString("%1: %2 line(s) longer than 255 bytes skipped")
                                            .arg(dir.file("CameraList.cfg"))
                                            .arg(skipped)));
    }
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    f.registry.loadSavedList(dir.file("CameraList.cfg"));
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    QCOMPARE(f.list.count(), rows.size());
    for (int r = 0; r < rows.size(); ++r)
        QCOMPARE(f.list.column(r, CameraList::ColIp), rows[r]);
    // Read in pieces: the peak memory does not grow by the length of a line (ru_maxrss
    // is in KiB).
    QVERIFY2(after.ru_maxrss - before.ru_maxrss < 4096,
             qPrintable(QString("peak grew by %1 KiB").arg(after.ru_maxrss - before.ru_maxrss)));
}

void TestPresence::savedListBound_data()
{
    // The bound of three rows stands for the list's 65,536.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("capped");
    QTest::newRow("at the bound") << QByteArray("A\r\nB\r\nC\r\n") << QStringList{"A", "B", "C"} << false;
    QTest::newRow("one past") << QByteArray("A\r\nB\r\nC\r\nD\r\n") << QStringList{"A", "B", "C"} << true;
    QTest::newRow("only empty lines past it") << QByteArray("A\r\nB\r\nC\r\n\r\n\r\n")
                                              << QStringList{"A", "B", "C"} << false;
    QTest::newRow("a middle empty line counts as a row") << QByteArray("A\r\n\r\nB\r\nC\r\n")
                                                         << QStringList{"A", "", "B"} << true;
}

void TestPresence::savedListBound()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    QFETCH(bool, capped);
    TestSupport::AppDir dir;
    dir.write("CameraList.cfg", file);
    Fixture f;
    QCOMPARE(f.registry.loadSavedList(dir.file("CameraList.cfg"), 3), capped);
    QStringList loaded;
    for (int r = 0; r < f.list.count(); ++r)
        loaded << f.list.column(r, CameraList::ColIp);
    QCOMPARE(loaded, rows);
}

void TestPresence::saveAsksOnlyForAnEmptyList()
{
    TestSupport::AppDir dir;
    Fixture f;
    ScriptedMessenger messenger;
    messenger.queueAnswers({Messenger::AnswerNo});
    QVERIFY(!f.registry.saveList(dir.file("CameraList.cfg"), messenger));
    QCOMPARE(messenger.shown().size(), 1);
    QCOMPARE(messenger.shown()[0].text, QString("Save all the items into a File?"));
    QCOMPARE(messenger.shown()[0].caption, QString("Confirm"));
    QVERIFY(!QFile::exists(dir.file("CameraList.cfg")));

    f.registry.addSavedRow("10.0.0.2");
    f.registry.addSavedRow("10.0.0.1");
    messenger.clear();
    QVERIFY(f.registry.saveList(dir.file("CameraList.cfg"), messenger));
    QVERIFY(messenger.shown().isEmpty());
    QCOMPARE(dir.read("CameraList.cfg"), QByteArray("10.0.0.2\r\n10.0.0.1\r\n"));

    // After "Clear List" and a save (Yes), the file is empty.
    f.registry.clearList();
    QVERIFY(f.registry.saveList(dir.file("CameraList.cfg"), messenger));
    QCOMPARE(dir.read("CameraList.cfg"), QByteArray());

    // A failing write says so and keeps the list.
    f.registry.addSavedRow("10.0.0.3");
    QVERIFY(!f.registry.saveList(dir.file("no/such/dir/CameraList.cfg"), messenger));
    QCOMPARE(messenger.lastText(), QString("Write Error"));
    QCOMPARE(f.list.count(), 1);
}

void TestPresence::clearZeroesRecordsForReuse()
{
    Fixture f;
    f.registry.addSavedRow("10.0.0.1");
    f.registry.addSavedRow("10.0.0.2");
    f.registry.recordOfRow(0)->AdminId = "root";
    f.registry.clearList();
    QCOMPARE(f.list.count(), 0);
    QCOMPARE(f.registry.recordCount(), 2);
    QVERIFY(f.registry.record(0).isFree() && f.registry.record(0).AdminId.isEmpty());
    QCOMPARE(f.registry.freeRecord(), 0);
}

void TestPresence::sortingTogglesDirection()
{
    Fixture f;
    for (const char *ip : {"10.0.0.9", "10.0.0.10", "10.0.0.2"})
        f.registry.addSavedRow(QString::fromLatin1(ip));
    auto ips = [&] {
        QStringList out;
        for (int r = 0; r < f.list.count(); ++r)
            out << f.list.column(r, CameraList::ColIp);
        return out;
    };
    f.list.sortByColumn(2);
    QCOMPARE(ips(), QStringList({"10.0.0.2", "10.0.0.9", "10.0.0.10"})); // by value
    QCOMPARE(f.list.sortColumn(), 2);
    QVERIFY(!f.list.sortDescending());
    f.list.sortByColumn(2);
    QCOMPARE(ips(), QStringList({"10.0.0.10", "10.0.0.9", "10.0.0.2"}));
    QVERIFY(f.list.sortDescending());
    // Rows keep their records through a sort.
    QCOMPARE(f.registry.recordOfRow(0)->Address, QString("10.0.0.10"));
}

void TestPresence::waitingRowSchedule()
{
    Fixture f;
    f.registry.addSavedRow("127.0.0.77");
    QStringList schedule;
    // Three cycles of three tries; 7 ticks between tries, 361 between cycles.
    for (int tick = 0; tick < 3 * (2 * 7 + 361); ++tick) {
        const int before = f.sent.size();
        f.discovery.pollTick();
        if (f.sent.size() != before)
            schedule << QString("%1:%2").arg(tick).arg(f.sends().split(' ').last());
    }
    QCOMPARE(schedule, QStringList({"0:B", "7:127.0.0.77", "14:B",
                                    "375:127.0.0.77", "382:B", "389:127.0.0.77",
                                    "750:B", "757:127.0.0.77", "764:B"}));
    QCOMPARE(f.list.icon(0), int(CameraList::NotFound));
    QCOMPARE(f.list.column(0, CameraList::ColCycles), QString("3"));
    // Not found is not polled any more.
    const int sent = f.sent.size();
    for (int tick = 0; tick < 1000; ++tick)
        f.discovery.pollTick();
    QCOMPARE(f.sent.size(), sent);
    // Every request carried the model filter and the right command byte.
    QCOMPARE(f.sent[0].second, TestSupport::fromHex("41 44 43 54 02 09 00 03 FF"));
    QCOMPARE(f.sent[1].second, TestSupport::fromHex("41 44 43 54 02 09 00 83 FF"));
}

void TestPresence::restartCountdown_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("target");
    QTest::newRow("restarting local camera: broadcast") << int(CameraList::Restarting) << 2 << "B";
    QTest::newRow("restarting remote camera: direct") << int(CameraList::Restarting) << 3 << "127.0.0.78";
    QTest::newRow("updating remote camera: broadcast anyway") << int(CameraList::Updating) << 3 << "B";
}

void TestPresence::restartCountdown()
{
    QFETCH(int, state);
    QFETCH(int, kind);
    QFETCH(QString, target);
    Fixture f;
    f.registry.addSavedRow("127.0.0.78");
    f.list.setCounter(0, CameraList::ColKind, kind);
    f.discovery.startCountdown(0, state);
    QList<int> sentAt;
    for (int tick = 1; tick <= 130; ++tick) {
        const int before = f.sent.size();
        f.discovery.pollTick();
        if (f.sent.size() != before)
            sentAt << tick;
    }
    // Asked every 10 s (countdown 100, 80, 60, 40, 20) for 60 s, then lost.
    QCOMPARE(sentAt, QList<int>({20, 40, 60, 80, 100}));
    const QStringList targets = f.sends().split(' ');
    QCOMPARE(QSet<QString>(targets.begin(), targets.end()), QSet<QString>{target});
    QCOMPARE(f.list.icon(0), int(CameraList::Lost));
}

void TestPresence::lostRowCyclesSilently()
{
    Fixture f;
    f.registry.addSavedRow("127.0.0.79");
    f.list.setIcon(0, CameraList::Lost);
    f.list.setCounter(0, CameraList::ColCountdown, 3);
    QStringList seen;
    for (int tick = 0; tick < 6; ++tick) {
        f.discovery.pollTick();
        seen << f.list.column(0, CameraList::ColCountdown);
    }
    QCOMPARE(seen, QStringList({"2", "1", "3", "2", "1", "3"}));
    QVERIFY(f.sent.isEmpty());
}

void TestPresence::modelFilterRebuildsRows()
{
    Fixture f;
    // Two answered records of different models and one saved row.
    auto answered = [&](quint8 model, const char *mac) {
        const int index = f.registry.appendRecord();
        TConfigItem &item = f.registry.record(index);
        QByteArray header = TestSupport::fromHex("5A 4F 52 41 02 00 00 05 00");
        header[8] = char(model);
        header += QByteArray::fromHex(mac) + QByteArray(2, '\0');
        item.Header = header;
        item.ModelName = "M" + QByteArray::number(model);
        item.Address = "127.0.0." + QByteArray::number(model);
        item.ConnectionKind = Connection::Remote;
    };
    answered(1, "000000000001");
    answered(4, "000000000004");
    f.registry.addSavedRow("127.0.0.200");
    f.models.add("M4 Only", 4);
    f.models.select(1);
    f.registry.refilter();
    QCOMPARE(f.list.count(), 1);
    QCOMPARE(f.list.caption(0), QString("M4"));
    QCOMPARE(f.list.column(0, CameraList::ColKind), QString("3"));
    QCOMPARE(f.list.column(0, CameraList::ColRecord), QString("1"));
    f.models.select(0);
    f.registry.refilter();
    QCOMPARE(f.list.count(), 2); // the saved row has no header and does not come back
}

void TestPresence::oneRequestPerTargetATick()
{
    // Five saved rows, two of them at one address: every row keeps its own schedule, but
    // a tick sends each distinct request once.
    Fixture f;
    for (const char *ip : {"127.0.0.71", "127.0.0.72", "127.0.0.72", "127.0.0.73", "127.0.0.74"})
        f.registry.addSavedRow(ip);
    f.discovery.pollTick();
    QCOMPARE(f.sends(), QString("B"));
    f.sent.clear();
    for (int tick = 1; tick <= 7; ++tick)
        f.discovery.pollTick();
    QCOMPARE(f.sends(), QString("127.0.0.71 127.0.0.72 127.0.0.73 127.0.0.74"));
    for (int r = 0; r < f.list.count(); ++r)
        QCOMPARE(f.list.column(r, CameraList::ColAttempts), QString("1"));
}

void TestPresence::addressRequestsPaced()
{
    // Twenty saved rows ask their own addresses on the same tick: the requests go out a
    // few a tick in row order, each address once, while the counters keep their schedule.
    Fixture f;
    QStringList all;
    for (int i = 0; i < 20; ++i) {
        all << QString("127.0.1.%1").arg(i + 1);
        f.registry.addSavedRow(all.last());
    }
    for (int tick = 0; tick < 8; ++tick)
        f.discovery.pollTick();
    const int per = Discovery::kAddressRequestsPerTick;
    QCOMPARE(f.sends(), "B " + all.mid(0, per).join(' '));
    f.sent.clear();
    f.discovery.pollTick();
    f.discovery.pollTick();
    QCOMPARE(f.sends(), all.mid(per).join(' '));
    QCOMPARE(f.discovery.queuedAddressRequests(), 0);
    for (int r = 0; r < f.list.count(); ++r)
        QCOMPARE(f.list.column(r, CameraList::ColAttempts), QString("1"));
}

void TestPresence::savedRowsFoundByAddress()
{
    // A reply from an address fills the first waiting row that shows it; a second camera
    // at that address fills the next one; a row whose address changed is found by it.
    Fixture f;
    f.discovery.attach();
    for (const char *ip : {"127.0.0.81", "127.0.0.82", "127.0.0.81"})
        f.registry.addSavedRow(ip);
    auto reply = [](char last) {
        QByteArray d = TestSupport::fromHex("5A 4F 52 41 01 00 00 05 01 00 0A 1B 2C 3D");
        d += last;
        d += TestSupport::fromHex("01 00 03") + "L60" + char(1) + "h";
        Zora::PutLe16(d, 5, quint16(d.size()));
        return d;
    };
    f.endpoint.handleDatagram(reply('\x01'), QHostAddress("127.0.0.81"));
    f.endpoint.handleDatagram(reply('\x02'), QHostAddress("127.0.0.81"));
    QCOMPARE(f.list.count(), 3);
    QCOMPARE(f.list.column(0, CameraList::ColMac), QString("00:0A:1B:2C:3D:01"));
    QCOMPARE(f.list.column(2, CameraList::ColMac), QString("00:0A:1B:2C:3D:02"));
    f.list.setText(1, CameraList::ColIp, "127.0.0.90");
    f.endpoint.handleDatagram(reply('\x03'), QHostAddress("127.0.0.90"));
    QCOMPARE(f.list.count(), 3);
    QCOMPARE(f.list.column(1, CameraList::ColMac), QString("00:0A:1B:2C:3D:03"));
    // Nothing left waiting at the old address: a camera there gets a row of its own.
    f.endpoint.handleDatagram(reply('\x04'), QHostAddress("127.0.0.82"));
    QCOMPARE(f.list.count(), 4);
}

QTEST_GUILESS_MAIN(TestPresence)
#include "tst_presence.moc"

// A burst of discovery replies over a real socket: the rows it makes, in which order and
// in how many insertions; and the texts thousands of rows hold once between them.
#include "base/network_adapters.h"
#include "network_fixture_helper.h"
#include "protocol/address_review.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protocol/text_pool.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

namespace {

QString macOf(int tail)
{
    return QStringLiteral("00:0A:1B:%1:%2:%3")
        .arg((tail >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((tail >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(tail & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

// A dialog waiting for a reply: it takes nothing and notes the rows listed when each
// datagram reached it.
class WatchingSink final : public DatagramSink
{
public:
    explicit WatchingSink(const CameraList &list) : m_list(list) {}
    bool active() const override { return true; }
    int offer(const ReceivedDatagram &) override
    {
        rowsSeen << m_list.count();
        return 0;
    }
    QList<int> rowsSeen;

private:
    const CameraList &m_list;
};

} // namespace

class TestDiscoveryBurst : public QObject
{
    Q_OBJECT

private slots:
    void burst_data();
    void burst();
    void waitingRows_data();
    void waitingRows();
    void pool_data();
    void pool();
    void rowsShareTheirRepeatedTexts();
};

void TestDiscoveryBurst::burst_data()
{
    QTest::addColumn<int>("cameras");          // new cameras, replies from 127.0.0.1
    QTest::addColumn<QString>("middle");       // a reply sent halfway: "", "saved", "moved"
    QTest::addColumn<bool>("dialog");          // a dialog waits for replies meanwhile
    QTest::addColumn<int>("maxInsertions");

    // Read in rounds of 256 with the event loop between them, 300 replies reach the views
    // in an insertion for the first round and one when the burst is through.
    QTest::newRow("new cameras") << 300 << "" << false << 2;
    QTest::newRow("one reply") << 1 << "" << false << 1;
    // A saved row answering from its address, among new cameras: it keeps its place.
    QTest::newRow("saved row answers") << 300 << "saved" << false << 2;
    // The first camera again, from another address, within the same scan.
    QTest::newRow("camera heard from two addresses") << 300 << "moved" << false << 2;
    // A dialog sees every camera before the datagram it is offered already listed.
    QTest::newRow("dialog waiting") << 300 << "" << true << 2;
}

void TestDiscoveryBurst::burst()
{
    QFETCH(int, cameras);
    QFETCH(QString, middle);
    QFETCH(bool, dialog);
    QFETCH(int, maxInsertions);

    NetworkFixture f;
    if (middle == QLatin1String("saved"))
        f.registry.addSavedRow(QStringLiteral("127.0.0.2"));
    const int saved = f.list.count();
    WatchingSink sink(f.list);
    if (dialog)
        f.endpoint.addSink(UdpEndpoint::Stage::Confirm, &sink);
    QVERIFY(f.endpoint.ensureOpen(nullptr));
    f.discovery.scan();

    int insertions = 0;
    bool recordsFilled = true;
    connect(&f.list, &CameraList::rowsInserted, &f.list, [&](const QModelIndex &, int first, int last) {
        ++insertions;
        for (int r = first; r <= last; ++r) {
            const TConfigItem *item = f.registry.recordOfRow(r);
            recordsFilled = recordsFilled && item && item->Address == f.list.row(r).ip
                            && item->macText() == f.list.row(r).mac;
        }
    });
    QSignalSpy answered(&f.discovery, &Discovery::rowAnswered);

    QUdpSocket one, two;
    QVERIFY(one.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    QVERIFY(two.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0));
    QByteArray reply = SmallReply(0, "cam");
    const QHostAddress to(QStringLiteral("127.0.0.1"));
    for (int i = 0; i < cameras; ++i) {
        if (i == cameras / 2 && !middle.isEmpty()) {
            SetReplyMac(reply, middle == QLatin1String("saved") ? 0x100000 : 0);
            QVERIFY(two.writeDatagram(reply, to, f.endpoint.localPort()) > 0);
        }
        SetReplyMac(reply, i);
        QVERIFY(one.writeDatagram(reply, to, f.endpoint.localPort()) > 0);
    }
    const int replies = cameras + (middle.isEmpty() ? 0 : 1);
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), replies, 10000);

    QCOMPARE(f.list.count(), saved + cameras);
    QVERIFY2(insertions <= maxInsertions, qPrintable(QString::number(insertions)));
    QVERIFY(recordsFilled);
    // The views know every row once the burst is through.
    QCOMPARE(f.list.rowCount(), f.list.count());
    // Rows in the order their cameras answered, each announced once as new.
    for (int i = 0; i < cameras; ++i)
        QCOMPARE(f.list.row(saved + i).mac, macOf(i));
    int created = 0;
    for (const QList<QVariant> &a : answered)
        created += a.at(1).toBool() ? 1 : 0;
    QCOMPARE(created, cameras);
    if (middle == QLatin1String("saved")) {
        QCOMPARE(f.list.row(0).mac, macOf(0x100000));
        QCOMPARE(f.list.row(0).ip, QStringLiteral("127.0.0.2"));
    }
    if (middle == QLatin1String("moved")) {
        const TConfigItem *first = f.registry.recordOfRow(f.list.rowOfMac(macOf(0)));
        QVERIFY(first);
        QCOMPARE(first->ConflictAddresses, QStringList({"127.0.0.1", "127.0.0.2"}));
    }
    if (dialog) {
        QCOMPARE(sink.rowsSeen.size(), cameras);
        for (int i = 0; i < cameras; ++i)
            QCOMPARE(sink.rowsSeen.at(i), i);
    }
}

void TestDiscoveryBurst::waitingRows_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("rowsAfter");

    // Rows the views have not heard of yet come with any change that moves rows; the
    // tester fails on a model that contradicts what it announced.
    QTest::newRow("announced") << "announce" << 6;
    QTest::newRow("one more row at once") << "append" << 7;
    QTest::newRow("sorted") << "sort" << 6;
    QTest::newRow("a waiting row removed") << "remove" << 5;
    QTest::newRow("first row removed") << "removeFirst" << 5;
    QTest::newRow("cleared") << "clear" << 0;
}

void TestDiscoveryBurst::waitingRows()
{
    QFETCH(QString, change);
    QFETCH(int, rowsAfter);
    CameraList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    auto row = [](int i) {
        CameraList::Row r;
        r.caption = QStringLiteral("L80");
        r.mac = macOf(50 - i);
        r.ip = QStringLiteral("127.0.0.%1").arg(i + 1);
        return r;
    };
    for (int i = 0; i < 3; ++i)
        list.appendRow(row(i));
    QSignalSpy changed(&list, &CameraList::dataChanged);
    for (int i = 3; i < 6; ++i)
        list.appendRow(row(i), true);
    QCOMPARE(list.count(), 6);
    QCOMPARE(list.rowCount(), 3);
    QCOMPARE(list.pendingRows(), 3);
    QCOMPARE(list.rowOfMac(macOf(45)), 5);
    // Changes to a waiting row reach the views with its insertion.
    list.setIcon(4, CameraList::Waiting);
    list.setText(4, CameraList::ColHost, QStringLiteral("cam"));
    list.announceRow(5);
    QCOMPARE(changed.size(), 0);

    if (change == QLatin1String("announce"))
        list.announcePending();
    else if (change == QLatin1String("append"))
        list.appendRow(row(6));
    else if (change == QLatin1String("sort"))
        list.sortByColumn(1);
    else if (change == QLatin1String("remove"))
        list.removeRow(4);
    else if (change == QLatin1String("removeFirst"))
        list.removeFirst();
    else
        list.clear();
    QCOMPARE(list.count(), rowsAfter);
    QCOMPARE(list.rowCount(), rowsAfter);
    QCOMPARE(list.pendingRows(), 0);
    if (change == QLatin1String("announce"))
        QCOMPARE(list.data(list.index(4, 3), Qt::DisplayRole).toString(), QStringLiteral("cam"));
}

void TestDiscoveryBurst::pool_data()
{
    QTest::addColumn<int>("distinct");   // texts handed in before the last one, all different
    QTest::addColumn<bool>("shared");    // the last text, handed in twice, comes back sharing

    QTest::newRow("few texts") << 3 << true;
    QTest::newRow("one short of the bound") << int(TextPool::kMaxEntries) - 1 << true;
    // A host inventing names fills the pool; what comes after is kept apart.
    QTest::newRow("past the bound") << int(TextPool::kMaxEntries) << false;
}

void TestDiscoveryBurst::pool()
{
    QFETCH(int, distinct);
    QFETCH(bool, shared);
    TextPool pool;
    for (int i = 0; i < distinct; ++i) {
        pool.text(QStringLiteral("model %1").arg(i));
        pool.bytes("domain " + QByteArray::number(i));
    }
    // Fresh copies each time: equal data pointers come from the pool alone.
    const QString a = pool.text(QString::fromLatin1("L80"));
    const QString b = pool.text(QString::fromLatin1("L80"));
    QCOMPARE(b, QStringLiteral("L80"));
    QCOMPARE(a.constData() == b.constData(), shared);
    const QByteArray x = pool.bytes(QByteArray("site.lan"));
    const QByteArray y = pool.bytes(QByteArray("site.lan"));
    QCOMPARE(y, QByteArray("site.lan"));
    QCOMPARE(x.constData() == y.constData(), shared);
    QCOMPARE(pool.text(QString()), QString());
}

void TestDiscoveryBurst::rowsShareTheirRepeatedTexts()
{
    NetworkFixture f;
    QByteArray reply = SmallReply(0, "cam");
    for (int i = 0; i < 3; ++i) {
        SetReplyMac(reply, i);
        f.endpoint.handleDatagram(reply, QHostAddress(quint32(0x7F000010 + i)), 1);
    }
    QCOMPARE(f.list.count(), 3);
    QCOMPARE(f.list.row(0).caption, f.list.row(2).caption);
    QCOMPARE(f.list.row(0).caption.constData(), f.list.row(2).caption.constData());
    QCOMPARE(f.registry.recordOfRow(0)->ModelName.constData(),
             f.registry.recordOfRow(2)->ModelName.constData());

    // Three cameras on one adapter, each at an address of its own: one remark text.
    auto v4 = [](const char *text) { return QHostAddress(QString::fromLatin1(text)).toIPv4Address(); };
    const NetworkAdapters adapters({{1, "lo", true, false, {{v4("127.0.0.1"), 8}}}});
    AddressReview::mark(f.registry, adapters);
    QCOMPARE(f.list.row(0).remark, QStringLiteral("answered on lo"));
    QCOMPARE(f.list.row(0).remark.constData(), f.list.row(1).remark.constData());
    QCOMPARE(f.list.row(0).remark.constData(), f.list.row(2).remark.constData());
}

QTEST_GUILESS_MAIN(TestDiscoveryBurst)
#include "tst_discovery_burst.moc"

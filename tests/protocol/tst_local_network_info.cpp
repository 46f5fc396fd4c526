#include "protocol/adapter_source.h"
#include "protocol/local_network_info.h"
#include "protocol/program_random.h"
#include "protocol/system_adapter_source.h"
#include "protocol/tip_dns_helper.h"
#include "protocol/tip_helper.h"

#include <QHash>
#include <QTest>

namespace {

class FakeAdapters final : public AdapterSource
{
public:
    std::optional<QList<AdapterInfo>> adapters() const override { return list; }
    QString primaryDns(int index) const override { return dns.value(index); }

    std::optional<QList<AdapterInfo>> list;
    QHash<int, QString> dns;
};

AdapterInfo adapter(int index, const QString &gateway, const QStringList &addressesAndMasks)
{
    AdapterInfo a;
    a.index = index;
    a.gateway = gateway;
    for (qsizetype i = 0; i + 1 < addressesAndMasks.size(); i += 2)
        a.addresses.append({addressesAndMasks[i], addressesAndMasks[i + 1]});
    return a;
}

// An unplugged adapter, a first adapter without a gateway, one with two addresses.
FakeAdapters office()
{
    FakeAdapters f;
    f.list = QList<AdapterInfo>{
        adapter(2, "", {"0.0.0.0", "0.0.0.0"}),
        adapter(3, "", {"10.0.0.5", "255.0.0.0"}),
        adapter(7, "192.168.1.1", {"192.168.1.20", "255.255.255.0", "172.16.4.9", "255.255.0.0"}),
    };
    f.dns = {{3, "10.0.0.53"}, {7, "192.168.1.53"}};
    return f;
}

} // namespace

class TestLocalNetworkInfo : public QObject
{
    Q_OBJECT

private slots:
    void fill_data();
    void fill();
    void choosingTheSecondAddress();
    void changeTakesANewSnapshot();
    void helperCursor();
    void suggestion_data();
    void suggestion();
    void maskSuggestion_data();
    void maskSuggestion();
    void routeTable();
    void resolverConf();
    void thisMachine();
};

void TestLocalNetworkInfo::fill_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("labels"); // mask, gateway, dns

    QTest::newRow("first adapter without gateway, unplugged one left out") << 0
        << QStringList{"10.0.0.5", "192.168.1.20", "172.16.4.9"} << 1
        << QStringList{"255.255.255.0", "192.168.1.1", "192.168.1.53"};
    QTest::newRow("no adapters") << 1 << QStringList() << -1 << QStringList{"Error", "Error", "Error"};
    QTest::newRow("snapshot failed") << 2 << QStringList() << -1
        << QStringList{"Error", "Error", "Error"};
    QTest::newRow("no gateway anywhere: entry 0") << 3 << QStringList{"10.0.0.5"} << 0
        << QStringList{"255.0.0.0", "", "10.0.0.53"};
}

void TestLocalNetworkInfo::fill()
{
    QFETCH(int, layout);
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    QFETCH(QStringList, labels);

    FakeAdapters f = office();
    if (layout == 1)
        f.list = QList<AdapterInfo>();
    if (layout == 2)
        f.list = std::nullopt;
    if (layout == 3)
        f.list->removeLast();
    ProgramRandom random;
    LocalNetworkInfo info(f, random);
    QCOMPARE(info.netMask(), QStringLiteral("Error"));
    info.fill();
    QCOMPARE(info.entries(), entries);
    QCOMPARE(info.selectedIndex(), selected);
    QCOMPARE((QStringList{info.netMask(), info.gateway(), info.dns()}), labels);
}

void TestLocalNetworkInfo::choosingTheSecondAddress()
{
    FakeAdapters f = office();
    ProgramRandom random;
    LocalNetworkInfo info(f, random);
    info.fill();
    info.select(2);
    QCOMPARE(info.selectedAddress(), QStringLiteral("172.16.4.9"));
    QCOMPARE(info.netMask(), QStringLiteral("255.255.0.0"));
    QCOMPARE(info.gateway(), QStringLiteral("192.168.1.1"));
    QCOMPARE(info.dns(), QStringLiteral("192.168.1.53"));
    info.select(0);
    QCOMPARE(info.gateway(), QString());
    QCOMPARE(info.dns(), QStringLiteral("10.0.0.53"));
}

void TestLocalNetworkInfo::changeTakesANewSnapshot()
{
    FakeAdapters f = office();
    ProgramRandom random;
    LocalNetworkInfo info(f, random);
    info.fill();
    (*f.list)[2].gateway = QStringLiteral("192.168.1.254");
    info.addressChanged();
    QCOMPARE(info.gateway(), QStringLiteral("192.168.1.254"));
    // the address went away: the labels keep what they showed
    f.list->removeLast();
    info.addressChanged();
    QCOMPARE(info.gateway(), QStringLiteral("192.168.1.254"));
    QCOMPARE(info.netMask(), QStringLiteral("255.255.255.0"));
}

void TestLocalNetworkInfo::helperCursor()
{
    const FakeAdapters f = office();
    TIPHelper h(f);
    QCOMPARE(h.adapterCount(), 3);
    QCOMPARE(h.firstAddress(2), QStringLiteral("192.168.1.20"));
    QCOMPARE(h.nextAddress(), QStringLiteral("172.16.4.9"));
    QCOMPARE(h.maskAtCursor(), QStringLiteral("255.255.0.0"));
    QCOMPARE(h.nextAddress(), QString());
    QCOMPARE(h.nextAddress(), QString());
    QCOMPARE(h.firstAddress(3), QString());
    QCOMPARE(h.nextAddress(), QString());
    QCOMPARE(h.dns(1)->primaryDns(), QStringLiteral("10.0.0.53"));
    QCOMPARE(h.dns(9)->primaryDns(), QString());
}

void TestLocalNetworkInfo::suggestion_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("first two after start") << "192.168.1.20"
        << QStringList{"192.168.1.5", "192.168.1.12"};
    QTest::newRow("no dot") << "" << QStringList{".5", ".12"};
}

void TestLocalNetworkInfo::suggestion()
{
    QFETCH(QString, selected);
    QFETCH(QStringList, expected);

    FakeAdapters f;
    f.list = QList<AdapterInfo>();
    if (!selected.isEmpty())
        f.list->append(adapter(1, "192.168.1.1", {selected, "255.255.255.0"}));
    ProgramRandom random;
    LocalNetworkInfo info(f, random);
    info.fill();
    QStringList got;
    for (int i = 0; i < expected.size(); ++i)
        got << info.suggestedAddress();
    QCOMPARE(got, expected);

    // every host number stays within 5..244
    for (int i = 0; i < 2000; ++i) {
        const int host = info.suggestedAddress().section(QLatin1Char('.'), -1).toInt();
        QVERIFY(host >= 5 && host <= 244);
    }
}

void TestLocalNetworkInfo::maskSuggestion_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("suggested");
    QTest::newRow("7 characters") << "1.2.3.4" << "" << true;
    QTest::newRow("15 characters") << "192.168.100.200" << "" << true;
    QTest::newRow("6 characters") << "1.2.3." << "" << false;
    QTest::newRow("16 characters") << "192.168.100.2000" << "" << false;
    QTest::newRow("mask already there") << "10.0.0.1" << "255.0.0.0" << false;
}

void TestLocalNetworkInfo::maskSuggestion()
{
    QFETCH(QString, ip);
    QFETCH(QString, mask);
    QFETCH(bool, suggested);
    const auto s = LocalNetworkInfo::maskSuggestion(ip, mask);
    QCOMPARE(s.has_value(), suggested);
    if (s)
        QCOMPARE(*s, QStringLiteral("255.255.255.0"));
}

void TestLocalNetworkInfo::routeTable()
{
    const QByteArray table =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        "eth0\t00000000\t FE01A8C0\t0003\t0\t0\t200\t00000000\t0\t0\t0\n"
        "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
        "wlan0\t00000000\t0100000A\t0001\t0\t0\t600\t00000000\t0\t0\t0\n"
        "tun0\t00000000\t0104A8C0\t0003\t0\t0\t50\t00000000\t0\t0\t0\n";
    const QHash<QString, QString> g = SystemAdapterSource::parseRouteGateways(table);
    QCOMPARE(g.value("eth0"), QStringLiteral("192.168.1.1"));
    QVERIFY(!g.contains("wlan0")); // no gateway flag
    QCOMPARE(g.value("tun0"), QStringLiteral("192.168.4.1"));
    QCOMPARE(g.size(), 2);
}

void TestLocalNetworkInfo::resolverConf()
{
    const QByteArray conf = "# generated\nsearch example\nnameserver fe80::1\n"
                            "nameserver   192.168.1.53 \nnameserver 8.8.8.8\noptions edns0\n";
    QCOMPARE(SystemAdapterSource::parseNameServers(conf),
             (QStringList{"192.168.1.53", "8.8.8.8"}));
    QVERIFY(SystemAdapterSource::parseNameServers("").isEmpty());
}

void TestLocalNetworkInfo::thisMachine()
{
    // whatever this machine has, loopback is not an adapter and every entry has a mask
    const SystemAdapterSource system;
    const auto list = system.adapters();
    QVERIFY(list);
    for (const AdapterInfo &a : *list) {
        QVERIFY(!a.addresses.isEmpty());
        for (const AdapterAddress &e : a.addresses) {
            QVERIFY(!e.address.startsWith(QLatin1String("127.")));
            QVERIFY(!e.mask.isEmpty());
        }
    }
}

QTEST_GUILESS_MAIN(TestLocalNetworkInfo)
#include "tst_local_network_info.moc"

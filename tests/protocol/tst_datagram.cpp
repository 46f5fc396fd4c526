#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "test_support.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Zora;
using TestSupport::fromHex;

namespace {

QByteArray str(const QByteArray &s)
{
    return char(s.size()) + s;
}

// A reply assembled field by field, the way a camera lays it out.
QByteArray reply(quint8 version, quint8 netType, quint8 flags, const QByteArray &body)
{
    QByteArray d = "ZORA";
    d += char(version);
    d += QByteArray(2, '\0');
    d += char(5);
    d += char(2);                              // model code
    d += fromHex("00 0A 1B 2C 3D 4E");
    d += char(netType);
    d += char(flags);
    d += body;
    PutLe16(d, 5, quint16(d.size()));
    return d;
}

} // namespace

class TestDatagram : public QObject
{
    Q_OBJECT

private slots:
    void discoveryRequest_data();
    void discoveryRequest();
    void macText();
    void parse_data();
    void parse();
    void rejected_data();
    void rejected();
    void fieldsCrossingTheBuffer();
    void recordFillAndUpdate();
    void mutatedRepliesNeverFault();
};

void TestDatagram::discoveryRequest_data()
{
    QTest::addColumn<quint8>("filter");
    QTest::addColumn<bool>("oneHost");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("broadcast, any model") << quint8(255) << false << fromHex("41 44 43 54 02 09 00 03 FF");
    QTest::newRow("one host, model 4") << quint8(4) << true << fromHex("41 44 43 54 02 09 00 83 04");
}

void TestDatagram::discoveryRequest()
{
    QFETCH(quint8, filter);
    QFETCH(bool, oneHost);
    QFETCH(QByteArray, expected);
    QCOMPARE(BuildDiscoveryRequest(filter, oneHost), expected);
}

void TestDatagram::macText()
{
    QCOMPARE(MacText(fromHex("00 0a 1b 2c 3d 4e")), QStringLiteral("00:0A:1B:2C:3D:4E"));
    const auto mac = ParseMac(QStringLiteral("00:0a:1B:2c:3D:4e"));
    QVERIFY(mac);
    QCOMPARE((*mac)[5], quint8(0x4e));
    QVERIFY(!ParseMac(QStringLiteral("00:0A:1B:2C:3D")));
    QVERIFY(!ParseMac(QStringLiteral("00:0A:1B:2C:3D:ZZ")));
}

void TestDatagram::parse_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QByteArray>("domain");     // "-" for absent
    QTest::addColumn<QString>("ip");            // "" for no address block
    QTest::addColumn<QString>("dns");
    QTest::addColumn<QByteArray>("pppoeUser");  // "-" for absent
    QTest::addColumn<int>("guest");             // -1 absent
    QTest::addColumn<int>("audio");             // -1 absent
    QTest::addColumn<int>("sensitivity");
    QTest::addColumn<int>("source");

    const QByteArray addr12 = fromHex("C0 A8 00 0A FF FF FF 00 C0 A8 00 01");
    const QByteArray dns = fromHex("08 08 04 04");
    const QByteArray pppoe = str("u") + str("pw") + str("") + fromHex("D4 05 00 00 01 01 02 03 04");
    const QByteArray tail = fromHex("01 01 09 02 01 01 03 01 32 04 01 02");

    QTest::newRow("version 1, names only")
        << reply(1, 1, 0, str("L80") + str("cam1")) << QByteArray("cam1") << QByteArray("-")
        << "" << "" << QByteArray("-") << -1 << -1 << -1 << -1;
    QTest::newRow("version 1 ignores a tail")
        << reply(1, 1, 0, str("L80") + str("cam1") + tail) << QByteArray("cam1") << QByteArray("-")
        << "" << "" << QByteArray("-") << -1 << -1 << -1 << -1;
    QTest::newRow("version 2 with every field")
        << reply(2, 1, 0x37, str("L60") + str("cam") + str("lan") + addr12 + dns + pppoe + char(1) + tail)
        << QByteArray("cam") << QByteArray("lan") << "192.168.0.10" << "8.8.4.4" << QByteArray("u")
        << 1 << 1 << 0x32 << 2;
    QTest::newRow("12-byte block: the next field starts 12 bytes later")
        << reply(2, 1, 0x24, str("L60") + str("cam") + addr12 + char(0) + fromHex("02 01 01"))
        << QByteArray("cam") << QByteArray("-") << "192.168.0.10" << "0.2.1.1" << QByteArray("-")
        << 0 << 1 << -1 << -1;
    QTest::newRow("empty host name")
        << reply(2, 0x81, 0, str("T80") + str("")) << QByteArray("") << QByteArray("-") << ""
        << "" << QByteArray("-") << -1 << -1 << -1 << -1;
    QTest::newRow("unknown tags skipped by length")
        << reply(2, 1, 0, str("L80") + str("c") + fromHex("09 03 AA BB CC 03 01 07"))
        << QByteArray("c") << QByteArray("-") << "" << "" << QByteArray("-") << -1 << -1 << 7 << -1;
}

void TestDatagram::parse()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, domain);
    QFETCH(QString, ip);
    QFETCH(QString, dns);
    QFETCH(QByteArray, pppoeUser);
    QFETCH(int, guest);
    QFETCH(int, audio);
    QFETCH(int, sensitivity);
    QFETCH(int, source);

    const auto r = DiscoveryReply::parse(datagram);
    QVERIFY(r);
    QCOMPARE(r->macText(), QStringLiteral("00:0A:1B:2C:3D:4E"));
    QCOMPARE(r->hostName, host);
    QCOMPARE(r->domainName ? *r->domainName : QByteArray("-"), domain);
    TConfigItem item;
    item.fillFromReply(*r, QStringLiteral("127.0.0.5"));
    QCOMPARE(item.addressWord(0), ip);
    QCOMPARE(item.addressWord(3), dns);
    QCOMPARE(r->pppoeBlock ? r->pppoeBlock->size() : 0, r->pppoeBlock ? 15 : 0);
    QCOMPARE(item.pppoe() ? item.pppoe()->user : QByteArray("-"), pppoeUser);
    if (item.pppoe()) {
        QCOMPARE(item.pppoe()->mtu, 1492u);
        QVERIFY(item.pppoe()->manualDns());
        QCOMPARE(item.pppoe()->dnsText(), QStringLiteral("1.2.3.4"));
    }
    QCOMPARE(r->guest ? int(*r->guest) : -1, guest);
    QCOMPARE(r->audioAvailable ? int(*r->audioAvailable) : -1, audio);
    QCOMPARE(r->mdSensitivity ? int(*r->mdSensitivity) : -1, sensitivity);
    QCOMPARE(r->doSource ? int(*r->doSource) : -1, source);
    QCOMPARE(item.HostName.has_value(), !host.isEmpty());
}

void TestDatagram::rejected_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::newRow("seven bytes") << QByteArray("ZORA\x01\x07\x00", 7);
    QTest::newRow("foreign magic") << reply(1, 1, 0, str("L80") + str("c")).replace(0, 4, "ADCT");
    QTest::newRow("header cut") << reply(1, 1, 0, {}).left(16);
}

void TestDatagram::rejected()
{
    QFETCH(QByteArray, datagram);
    QVERIFY(!DiscoveryReply::parse(datagram));
}

void TestDatagram::fieldsCrossingTheBuffer()
{
    // A host name that claims more bytes than the 1024-byte buffer holds is absent; a
    // datagram beyond 1024 bytes is cut there.
    QByteArray big = reply(2, 1, 0x20, str("L80") + char(char(0xFF)) + QByteArray(200, 'x'));
    QByteArray padded = reply(2, 1, 0x01, str(QByteArray(250, 'm')) + str(QByteArray(250, 'h'))
                                          + str(QByteArray(250, 'd')) + str(QByteArray(255, 'e')));
    auto r = DiscoveryReply::parse(padded);
    QVERIFY(r);
    QCOMPARE(r->hostName.size(), 250);
    QVERIFY(r->domainName);
    auto cut = DiscoveryReply::parse(big);
    QVERIFY(cut);
    QCOMPARE(cut->hostName.size(), 255); // zeros past the datagram read as zero bytes
    QByteArray huge = reply(2, 1, 0x01, str("L") + str("h") + char(char(0xFF)) + QByteArray(2000, 'z'));
    auto h = DiscoveryReply::parse(huge);
    QVERIFY(h);
    QVERIFY(h->domainName);
    QCOMPARE(h->domainName->size(), 255);
}

void TestDatagram::recordFillAndUpdate()
{
    const QByteArray addr16 = fromHex("C0 A8 00 0A FF FF FF 00 C0 A8 00 01 08 08 08 08");
    const QByteArray pppoe = str("u") + str("pw") + str("s") + fromHex("D4 05 00 00 00 00 00 00 00");
    auto first = DiscoveryReply::parse(
        reply(2, 1, 0x37, str("L60") + str("cam") + str("lan") + addr16 + pppoe + char(1)));
    QVERIFY(first);
    TConfigItem item;
    item.fillFromReply(*first, QStringLiteral("127.0.0.5"), 2121);
    QVERIFY(item.FtpSettings);
    QCOMPARE(item.FtpSettings->port, 2121);
    QVERIFY(item.UseAccount);
    item.AdminId = QStringLiteral("root");
    item.AdminPassword = QStringLiteral("pw");
    item.ConnectionKind = Connection::Remote;

    // The camera answers again without a domain and with another address block.
    const QByteArray addr16b = fromHex("0A 00 00 05 FF 00 00 00 0A 00 00 01 00 00 00 00");
    auto second = DiscoveryReply::parse(reply(2, 1, 0x36, str("L60") + str("cam2") + addr16b
                                                             + pppoe + char(0)));
    QVERIFY(second);
    item.updateFromReply(*second, QStringLiteral("127.0.0.6"));
    QCOMPARE(item.Address, QStringLiteral("127.0.0.6"));
    QCOMPARE(item.addressWord(0), QStringLiteral("10.0.0.5"));
    QVERIFY(item.DomainName && item.DomainName->isEmpty());
    QCOMPARE(item.hostNameText(), QStringLiteral("cam2"));
    QVERIFY(!item.UseAccount);
    // What belongs to the user stays.
    QCOMPARE(item.AdminId, QStringLiteral("root"));
    QCOMPARE(item.ConnectionKind, Connection::Remote);
    QCOMPARE(item.FtpSettings->port, 2121);

    // Model code 1 has no FTP settings.
    QByteArray l60 = reply(1, 1, 0, str("L60") + str("c"));
    l60[8] = 1;
    TConfigItem plain;
    plain.fillFromReply(*DiscoveryReply::parse(l60), QStringLiteral("127.0.0.7"));
    QVERIFY(!plain.FtpSettings);
}

void TestDatagram::mutatedRepliesNeverFault()
{
    const QList<QByteArray> seeds = {
        reply(2, 1, 0x37, str("L60") + str("cam") + str("lan")
                              + fromHex("C0 A8 00 0A FF FF FF 00 C0 A8 00 01 08 08 04 04")
                              + str("u") + str("pw") + str("") + fromHex("D4 05 00 00 01 01 02 03 04")
                              + char(1) + fromHex("01 01 09 02 01 01 03 01 32 04 01 02")),
        reply(1, 2, 0x14, str("T50K") + str("h") + QByteArray(12, '\x7f') + str("x")),
        reply(2, 0, 0x3F, QByteArray(40, '\xff')),
    };
    QRandomGenerator rng(20261208);
    int parsed = 0;
    for (int i = 0; i < 100000; ++i) {
        QByteArray d = seeds[i % seeds.size()];
        const int edits = 1 + int(rng.bounded(6));
        for (int e = 0; e < edits; ++e) {
            switch (rng.bounded(4)) {
            case 0: d[int(rng.bounded(int(d.size())))] = char(rng.bounded(256)); break;
            case 1: d.truncate(int(rng.bounded(int(d.size()) + 1))); break;
            case 2: d.append(QByteArray(int(rng.bounded(1200)), char(rng.bounded(256)))); break;
            default: if (d.size() > 7) PutLe16(d, 5, quint16(rng.bounded(65536))); break;
            }
            if (d.isEmpty())
                d = seeds[0];
        }
        if (rng.bounded(2))
            d.replace(0, qMin<qsizetype>(4, d.size()), "ZORA");
        if (auto r = DiscoveryReply::parse(d)) {
            TConfigItem item;
            item.fillFromReply(*r, QStringLiteral("127.0.0.1"));
            item.updateFromReply(*r, QStringLiteral("127.0.0.2"));
            (void)item.pppoe();
            (void)item.addressWord(3);
            ++parsed;
        }
    }
    QVERIFY(parsed > 10000);
}

QTEST_GUILESS_MAIN(TestDatagram)
#include "tst_datagram.moc"

// Finding cameras over loopback: the real endpoint against the simulated fleet.
#include "base/messenger.h"
#include "desktop/admin_tool_core.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/udp_endpoint.h"
#include "camsim_process.h"
#include "protocol/config_item.h"
#include "test_support.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

namespace {

QJsonObject camera(const QString &id, const QString &mac, const QString &ip, int model,
                   const QString &name, const QString &host)
{
    return {{"id", id}, {"mac", mac}, {"ip", ip}, {"model", model}, {"model_name", name},
            {"host_name", host}};
}

struct Tool {
    explicit Tool(quint16 cameraPort)
    {
        options.broadcast = QHostAddress(QStringLiteral("127.255.255.255"));
        options.cameraPort = cameraPort;
        options.localPort = CamSimProcess::freeUdpPort();
        core = std::make_unique<AdminToolCore>(options, messenger);
    }
    int rowOf(const QString &mac) const { return core->list().rowOfMac(mac); }

    AppOptions options;
    ScriptedMessenger messenger;
    std::unique_ptr<AdminToolCore> core;
};

} // namespace

class TestDiscoveryE2E : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void scanListsEveryCamera();
    void cameraComingBackElsewhereKeepsItsRow();
    void savedRowIsFilledInPlace();
    void junkDatagramsAreDropped();
    void longListRemarksWaitForAQuietTick();

private:
    std::unique_ptr<TestSupport::AppDir> m_dir;
};

void TestDiscoveryE2E::init()
{
    m_dir = std::make_unique<TestSupport::AppDir>();
}

void TestDiscoveryE2E::scanListsEveryCamera()
{
    CamSimProcess sim;
    QJsonArray fleet = {
        camera("a", "00:0A:1B:2C:3D:01", "127.0.0.21", 0, "L80", "front-door"),
        camera("b", "00:0A:1B:2C:3D:02", "127.0.0.22", 1, "L60", "lobby"),
        camera("c", "00:0A:1B:2C:3D:03", "127.0.0.23", 4, "T50K", ""),
    };
    QVERIFY2(sim.start(fleet), qPrintable(sim.errorString()));
    Tool tool(sim.cameraPort());
    tool.core->setUp(1);
    QVERIFY(tool.core->scan());
    CameraList &list = tool.core->list();
    QTRY_COMPARE_WITH_TIMEOUT(list.count(), 3, 5000);

    const int a = tool.rowOf("00:0A:1B:2C:3D:01");
    const int c = tool.rowOf("00:0A:1B:2C:3D:03");
    QVERIFY(a >= 0 && c >= 0);
    QCOMPARE(list.caption(a), QString("L80"));
    QCOMPARE(list.column(a, CameraList::ColIp), QString("127.0.0.21"));
    QCOMPARE(list.column(a, CameraList::ColHost), QString("front-door"));
    QCOMPARE(list.column(a, CameraList::ColKind), QString("2"));
    QCOMPARE(list.column(c, CameraList::ColHost), QString());
    QCOMPARE(list.icon(a), int(CameraList::Present));
    const TConfigItem *item = tool.core->registry().recordOfRow(c);
    QVERIFY(item);
    QCOMPARE(item->modelCode(), quint8(4));
    QVERIFY(!item->HostName);
    QVERIFY(item->FtpSettings);
    QVERIFY(!tool.core->registry().recordOfRow(tool.rowOf("00:0A:1B:2C:3D:02"))->FtpSettings);
    // A model zora.ini already lists adds nothing; an unknown one joins the filter.
    QVERIFY(tool.core->models().names().contains("T50K Model Only"));
    QVERIFY(!tool.core->models().names().contains("T50K Only"));

    // A second scan refreshes rows without adding any.
    QVERIFY(sim.set("a", {{"host_name", "renamed"}}));
    QVERIFY(tool.core->scan());
    QTRY_COMPARE_WITH_TIMEOUT(list.column(tool.rowOf("00:0A:1B:2C:3D:01"), CameraList::ColHost),
                              QString("renamed"), 5000);
    QCOMPARE(list.count(), 3);
}

void TestDiscoveryE2E::cameraComingBackElsewhereKeepsItsRow()
{
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{camera("a", "00:0A:1B:2C:3D:11", "127.0.0.31", 0, "L80", "x")}),
             qPrintable(sim.errorString()));
    Tool tool(sim.cameraPort());
    tool.core->setUp(1);
    tool.core->scan();
    QTRY_COMPARE_WITH_TIMEOUT(tool.core->list().count(), 1, 5000);
    QVERIFY(sim.set("a", {{"ip", "127.0.0.32"}, {"model_name", "L80-new"}}));
    tool.core->scan();
    QTRY_COMPARE_WITH_TIMEOUT(tool.core->list().column(0, CameraList::ColIp), QString("127.0.0.32"),
                              5000);
    QCOMPARE(tool.core->list().count(), 1);
    // The caption stays; the record takes the new model name and address.
    QCOMPARE(tool.core->list().caption(0), QString("L80"));
    QCOMPARE(tool.core->registry().recordOfRow(0)->modelNameText(), QString("L80-new"));
    QCOMPARE(tool.core->registry().recordOfRow(0)->Address, QString("127.0.0.32"));
}

void TestDiscoveryE2E::savedRowIsFilledInPlace()
{
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{camera("a", "00:0A:1B:2C:3D:21", "127.0.0.41", 0, "L80", "saved")}),
             qPrintable(sim.errorString()));
    m_dir->write("temp/CameraList.cfg", "127.0.0.41\r\n127.0.0.99\r\n");
    Tool tool(sim.cameraPort());
    tool.core->setUp(1);
    CameraList &list = tool.core->list();
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.icon(0), int(CameraList::Waiting));
    // The first poll tick broadcasts; the camera answers and its saved row fills.
    tool.core->clockTick(QDateTime::currentDateTime());
    QTRY_COMPARE_WITH_TIMEOUT(list.column(0, CameraList::ColMac), QString("00:0A:1B:2C:3D:21"), 5000);
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.icon(0), int(CameraList::Present));
    QCOMPARE(list.caption(0), QString("L80"));
    const QStringList polling = {"2", "3", "0", "3", "0"};
    for (int k = CameraList::ColKind; k <= CameraList::ColCountdown; ++k)
        QCOMPARE(list.column(0, k), polling[k - CameraList::ColKind]);
    QCOMPARE(list.icon(1), int(CameraList::Waiting));
}

void TestDiscoveryE2E::junkDatagramsAreDropped()
{
    Tool tool(CamSimProcess::freeUdpPort());
    tool.core->setUp(1);
    tool.core->scan(); // opens the socket
    QSignalSpy replies(&tool.core->endpoint(), &UdpEndpoint::discoveryReply);
    QUdpSocket junk;
    const QHostAddress to(QStringLiteral("127.0.0.1"));
    junk.writeDatagram(QByteArray("ZORA\x02\x07\x00", 7), to, tool.options.localPort);
    junk.writeDatagram(QByteArray("ADCT\x02\x20\x00\x05\x00").append(30, '\0'), to,
                       tool.options.localPort);
    // A good reply after them proves they were read and passed over.
    QByteArray good("ZORA\x01\x00\x00\x05\x00\x00\x0A\x1B\x2C\x3D\x99\x01\x00\x03L80\x01h", 23);
    good[5] = char(good.size());
    junk.writeDatagram(good, to, tool.options.localPort);
    QTRY_COMPARE_WITH_TIMEOUT(replies.count(), 1, 5000);
    QCOMPARE(tool.core->list().count(), 1);
    QCOMPARE(tool.core->list().column(0, CameraList::ColIp), QString("127.0.0.1"));
}

void TestDiscoveryE2E::longListRemarksWaitForAQuietTick()
{
    // Thousands of rows: every row's remark is worked out again on a tick without
    // replies, or after ten ticks that all had some.
    Tool tool(CamSimProcess::freeUdpPort());
    tool.core->setUp(1);
    UdpEndpoint &endpoint = tool.core->endpoint();
    QByteArray reply = SmallReply(0, "x");
    auto answer = [&](int mac, quint32 address) {
        SetReplyMac(reply, mac);
        endpoint.handleDatagram(reply, QHostAddress(address));
    };
    const quint32 shared = 0x7F0000C8; // 127.0.0.200
    for (int i = 0; i < 5000; ++i)
        answer(i, i < 2 ? shared : 0x7F010000 + quint32(i));
    CameraList &list = tool.core->list();
    auto tip = [&] { return list.data(list.index(0, 1), Qt::ToolTipRole).toString(); };
    const QDateTime now = QDateTime::currentDateTime();
    int ticks = 0;
    while (!tip().contains("127.0.0.200 is also the address of 00:0A:1B:00:00:01")) {
        answer(100, 0x7F010000 + 100); // a listed camera answering again
        tool.core->clockTick(now);
        QVERIFY(++ticks <= 10);
    }
    QCOMPARE(ticks, 10);
    answer(5000, shared);
    tool.core->clockTick(now);
    QVERIFY(!tip().contains("00:0A:1B:00:13:88"));
    tool.core->clockTick(now);
    QVERIFY2(tip().contains("127.0.0.200 is also the address of 00:0A:1B:00:13:88"), qPrintable(tip()));
}

QTEST_GUILESS_MAIN(TestDiscoveryE2E)
#include "tst_discovery_e2e.moc"

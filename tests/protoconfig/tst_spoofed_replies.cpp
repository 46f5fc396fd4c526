// A device on the LAN answering with a listed camera's MAC: the row's address is in
// doubt, nothing goes to the camera until the user picks an address, and a command's
// answer counts only from the address the camera was last seen at.
#include "camsim_process.h"
#include "test_support.h"

#include "base/messenger.h"
#include "base/model_filter_table.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/command_confirmation.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protocol/discovery.h"
#include "protocol/save_config_session.h"
#include "protocol/udp_endpoint.h"
#include "protoconfig/commands.h"

#include <QTest>
#include <QUdpSocket>

namespace {

const char *const kMac = "00:0A:1B:2C:3D:01";

QByteArray discoveryReply()
{
    QByteArray d = TestSupport::fromHex("5A 4F 52 41 01 00 00 05 01 00 0A 1B 2C 3D 01 01 00 03");
    d += "L60";
    d += char(1);
    d += "h";
    Zora::PutLe16(d, 5, quint16(d.size()));
    return d;
}

QByteArray commandReply(quint8 type)
{
    QByteArray d = TestSupport::fromHex("5A 4F 52 41 01 00 0F 00 01 00 0A 1B 2C 3D 01");
    d[7] = char(type);
    Zora::PutLe16(d, 5, quint16(d.size()));
    return d;
}

struct Site {
    Site()
    {
        endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
        // A port held by a lock file for the whole run: one probed and closed here could
        // be taken by a test running beside this one before the endpoint binds it.
        endpoint.setLocalPort(CamSimProcess::freeUdpPort());
        endpoint.setCameraPort(9);
        discovery.attach();
    }
    TConfigItem &camera() { return *registry.recordOfRow(list.rowOfMac(kMac)); }

    CameraList list;
    ModelFilterTable models;
    CameraRegistry registry{list, models};
    UdpEndpoint endpoint;
    Discovery discovery{endpoint, registry};
};

// Records what would be confirmed; sends nothing.
class Confirmation final : public CommandConfirmation
{
public:
    CommandOutcome confirm(const ConfirmRequest &request) override
    {
        requests << request;
        return CommandOutcome::Success;
    }
    QList<ConfirmRequest> requests;
};

} // namespace

class TestSpoofedReplies : public QObject
{
    Q_OBJECT

private slots:
    void addressInDoubt_data();
    void addressInDoubt();
    void commandsWaitForAChoice_data();
    void commandsWaitForAChoice();
    void answerOnlyFromTheCamerasAddress_data();
    void answerOnlyFromTheCamerasAddress();
};

void TestSpoofedReplies::addressInDoubt_data()
{
    // Each step: "scan" (a broadcast request) or the address a reply comes from.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("doubt");
    QTest::addColumn<QString>("address");
    QTest::newRow("one camera") << QStringList{"scan", "127.0.0.5", "127.0.0.5"} << QStringList{}
                                << "127.0.0.5";
    QTest::newRow("a second device answers the same scan")
        << QStringList{"scan", "127.0.0.5", "127.0.0.9"} << QStringList{"127.0.0.5", "127.0.0.9"}
        << "127.0.0.9";
    QTest::newRow("the camera changed address between scans")
        << QStringList{"scan", "127.0.0.5", "scan", "127.0.0.9"} << QStringList{} << "127.0.0.9";
    QTest::newRow("the doubt outlasts the next scan")
        << QStringList{"scan", "127.0.0.5", "127.0.0.9", "scan", "127.0.0.5"}
        << QStringList{"127.0.0.5", "127.0.0.9"} << "127.0.0.5";
}

void TestSpoofedReplies::addressInDoubt()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, doubt);
    QFETCH(QString, address);
    Site site;
    for (const QString &step : steps) {
        if (step == "scan")
            site.discovery.scan();
        else
            site.endpoint.handleDatagram(discoveryReply(), QHostAddress(step));
    }
    QCOMPARE(site.list.count(), 1);
    QCOMPARE(site.camera().ConflictAddresses, doubt);
    QCOMPARE(site.camera().Address, address);
}

void TestSpoofedReplies::commandsWaitForAChoice_data()
{
    QTest::addColumn<bool>("withMessenger");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("sent");
    QTest::newRow("no one to ask") << false << int(Messenger::AnswerYes) << false;
    QTest::newRow("the user declines") << true << int(Messenger::AnswerNo) << false;
    QTest::newRow("the user takes the last address") << true << int(Messenger::AnswerYes) << true;
}

void TestSpoofedReplies::commandsWaitForAChoice()
{
    QFETCH(bool, withMessenger);
    QFETCH(int, answer);
    QFETCH(bool, sent);
    Site site;
    site.discovery.scan();
    site.endpoint.handleDatagram(discoveryReply(), QHostAddress("127.0.0.5"));
    site.endpoint.handleDatagram(discoveryReply(), QHostAddress("127.0.0.9"));
    ScriptedMessenger messenger;
    messenger.setDefaultAnswer(answer);
    Confirmation confirmation;
    const CommandOutcome outcome =
        Commands::Submit(site.camera(), 0, false, commandReply(0), Commands::kCapacity, confirmation,
                         withMessenger ? &messenger : nullptr);
    QCOMPARE(outcome == CommandOutcome::Success, sent);
    QCOMPARE(confirmation.requests.size(), sent ? 1 : 0);
    QCOMPARE(site.camera().addressInDoubt(), !sent);
    if (withMessenger)
        QVERIFY(messenger.lastText().contains("127.0.0.5 and 127.0.0.9"));
    if (sent)
        QCOMPARE(confirmation.requests.first().address, QString("127.0.0.9"));
}

void TestSpoofedReplies::answerOnlyFromTheCamerasAddress_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("counts");
    QTest::newRow("the camera") << "127.0.0.5" << true;
    QTest::newRow("another device with its MAC") << "127.0.0.9" << false;
}

void TestSpoofedReplies::answerOnlyFromTheCamerasAddress()
{
    QFETCH(QString, from);
    QFETCH(bool, counts);
    Site site;
    SaveConfigSession session(site.endpoint, nullptr);
    ConfirmRequest request;
    request.address = "127.0.0.5";
    request.mac = TestSupport::fromHex("00 0A 1B 2C 3D 01");
    request.bytes = commandReply(0);
    request.unicast = true;
    QVERIFY(session.prepare(request));
    ReceivedDatagram d;
    d.buffer = commandReply(0).leftJustified(1024, '\0');
    d.count = int(commandReply(0).size());
    d.sender = QHostAddress(from);
    d.reply = CommandReply::parse(d.bytes());
    QCOMPARE(session.offer(d) == 1, counts);
}

QTEST_GUILESS_MAIN(TestSpoofedReplies)
#include "tst_spoofed_replies.moc"

// Commands over loopback: built by the command builders, confirmed by the confirmation
// session, answered by the simulated camera.
#include "base/messenger.h"
#include "desktop/admin_tool_core.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "camsim_process.h"
#include "protocol/command_result_sink.h"
#include "protocol/config_item.h"
#include "protocol/save_config_session.h"
#include "protoconfig/commands.h"
#include "test_support.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

namespace {

class Results final : public CommandResultSink
{
public:
    void ZORASetSuccess(int recordIndex) override { success << recordIndex; }
    void ZORAAuthFail(int recordIndex) override { authFail << recordIndex; }
    QList<int> success;
    QList<int> authFail;
};

struct Fleet {
    bool start(const QJsonObject &behaviour = {})
    {
        QJsonObject cam{{"id", "cam"}, {"mac", "00:0A:1B:2C:3D:61"}, {"ip", "127.0.0.61"},
                        {"model", 1}, {"model_name", "L60"}, {"host_name", "old"},
                        {"domain_name", "site.lan"}, {"restart_delay", 0.2}};
        for (auto it = behaviour.begin(); it != behaviour.end(); ++it)
            cam.insert(it.key(), it.value());
        if (!sim.start(QJsonArray{cam}))
            return false;
        options.broadcast = QHostAddress("127.255.255.255");
        options.cameraPort = sim.cameraPort();
        options.localPort = CamSimProcess::freeUdpPort();
        core = std::make_unique<AdminToolCore>(options, messenger);
        core->setUp(1);
        core->scan();
        if (!QTest::qWaitFor([&] { return core->list().count() == 1; }, 5000))
            return false;
        record = core->registry().recordOfRow(0);
        record->AdminId = "root";
        record->AdminPassword = "pass";
        session = std::make_unique<SaveConfigSession>(core->endpoint(), &results);
        return true;
    }
    QByteArray hostNameCommand(const QString &name)
    {
        const auto c = Commands::HostNameCommand(*record, core->list().column(0, CameraList::ColKind),
                                                 ModelByte::FromHeader, name, "site.lan", {});
        return c.bytes;
    }
    void submit(const QByteArray &bytes)
    {
        session->prepare(ConfirmRequest::to(*record, core->list().row(0).record, false, bytes, 1023));
        session->show();
    }
    // One tick of the 2000 ms timer after giving the camera time to answer the last send.
    bool waitForAnswerOrTick(int sendsBefore)
    {
        if (QTest::qWaitFor([&] { return !session->visible() || !session->timerActive(); }, 400))
            return true;
        if (session->sendCount() == sendsBefore)
            session->tick();
        return false;
    }

    CamSimProcess sim;
    AppOptions options;
    ScriptedMessenger messenger;
    std::unique_ptr<AdminToolCore> core;
    TConfigItem *record = nullptr;
    Results results;
    std::unique_ptr<SaveConfigSession> session;
};

} // namespace

class TestCommandsE2E : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<TestSupport::AppDir>(); }
    void confirmedOnTheThirdSend();
    void wrongPassword();
    void otherCamerasAnswerIsIgnored();
    void tenUnansweredSendsCloseSilently();

private:
    std::unique_ptr<TestSupport::AppDir> m_dir;
};

void TestCommandsE2E::confirmedOnTheThirdSend()
{
    Fleet f;
    QVERIFY2(f.start({{"answer_on_send", 3}}), qPrintable(f.sim.errorString()));
    f.submit(f.hostNameCommand("lobby-cam"));
    for (int i = 0; i < 5 && f.session->visible(); ++i)
        f.waitForAnswerOrTick(f.session->sendCount());
    QVERIFY(!f.session->visible());
    QCOMPARE(f.session->sendCount(), 3);
    QCOMPARE(f.session->outcome(), CommandOutcome::Success);
    QCOMPARE(f.results.success, QList<int>{f.core->list().row(0).record});
    // The camera took the new name and, back from its restart, announces it.
    const QJsonObject state = f.sim.get("cam").value("state").toObject();
    QCOMPARE(state.value("settings").toObject().value("host_name").toString(), QString("lobby-cam"));
    QTRY_VERIFY_WITH_TIMEOUT(f.sim.get("cam").value("state").toObject().value("status").toString()
                                 == "up", 5000);
    f.core->scan();
    QTRY_COMPARE_WITH_TIMEOUT(f.core->list().column(0, CameraList::ColHost), QString("lobby-cam"), 5000);
}

void TestCommandsE2E::wrongPassword()
{
    Fleet f;
    QVERIFY2(f.start(), qPrintable(f.sim.errorString()));
    f.record->AdminPassword = "wrong";
    f.submit(f.hostNameCommand("x"));
    QTRY_VERIFY_WITH_TIMEOUT(f.session->errorVisible(), 3000);
    QCOMPARE(f.session->errorText(),
             QString("Invalid Athentication Information\nCheck the Administrator ID and Password"));
    QCOMPARE(f.session->height(), 117);
    QCOMPARE(f.session->buttonCaption(), QString("OK"));
    QCOMPARE(f.results.authFail.size(), 1);
    QCOMPARE(f.session->sendCount(), 1);
    f.session->pressButton();
    QCOMPARE(f.results.authFail.size(), 2);
    QVERIFY(!f.session->visible());
}

void TestCommandsE2E::otherCamerasAnswerIsIgnored()
{
    Fleet f;
    QVERIFY2(f.start({{"reply", "none"}}), qPrintable(f.sim.errorString()));
    f.submit(f.hostNameCommand("x"));
    // Another camera answers success for the same command: not ours, so it is ignored.
    QByteArray foreign("ZORA\x02\x0F\x00\x00\x01\x00\x0A\x1B\x2C\x3D\x99", 15);
    QUdpSocket other;
    other.bind(QHostAddress("127.0.0.62"), 0);
    other.writeDatagram(foreign, QHostAddress::LocalHost, f.options.localPort);
    QTest::qWait(200);
    QVERIFY(f.session->visible());
    QVERIFY(f.session->timerActive());
    f.session->tick();
    QCOMPARE(f.session->sendCount(), 2);
    QVERIFY(f.results.success.isEmpty());
    // The camera's own datagrams all reached it, each a copy of the command.
    QTRY_COMPARE_WITH_TIMEOUT(f.sim.log("cam").size(), 3, 3000); // discovery + two sends
}

void TestCommandsE2E::tenUnansweredSendsCloseSilently()
{
    Fleet f;
    QVERIFY2(f.start({{"reply", "none"}}), qPrintable(f.sim.errorString()));
    QSignalSpy finished(f.session.get(), &SaveConfigSession::finished);
    f.submit(f.hostNameCommand("x"));
    for (int i = 0; i < 10; ++i)
        f.session->tick();
    QVERIFY(!f.session->visible());
    QCOMPARE(f.session->sendCount(), 11); // the eleventh tick gives up without sending
    QCOMPARE(f.session->outcome(), CommandOutcome::NoAnswer);
    QVERIFY(f.results.success.isEmpty() && f.results.authFail.isEmpty());
    QVERIFY(f.messenger.shown().isEmpty());
    QCOMPARE(finished.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(f.sim.log("cam").size(), 11, 3000); // discovery + ten sends
}

QTEST_GUILESS_MAIN(TestCommandsE2E)
#include "tst_commands_e2e.moc"

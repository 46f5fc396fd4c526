#include "test_support.h"

#include "base/messenger.h"
#include "desktop/ui/protocol/local_network_group.h"
#include "desktop/ui/protocol/save_config_dlg.h"
#include "desktop/ui/protoconfig/login_dlg.h"
#include "protocol/adapter_source.h"
#include "protocol/command_result_sink.h"
#include "protocol/ftp_connection_setting.h"
#include "protocol/local_network_info.h"
#include "protocol/program_random.h"
#include "protocol/udp_endpoint.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUdpSocket>

using TestSupport::fromHex;

namespace {

const QByteArray kMac = fromHex("00 0A 1B 2C 3D 4E");

struct Results final : CommandResultSink {
    QList<int> success, authFail;
    void ZORASetSuccess(int row) override { success.append(row); }
    void ZORAAuthFail(int row) override { authFail.append(row); }
};

struct OneAdapter final : AdapterSource {
    std::optional<QList<AdapterInfo>> adapters() const override
    {
        AdapterInfo a;
        a.index = 1;
        a.gateway = QStringLiteral("127.0.0.254");
        a.addresses = {{QStringLiteral("127.0.0.8"), QStringLiteral("255.0.0.0")},
                       {QStringLiteral("127.1.0.8"), QStringLiteral("255.255.0.0")}};
        return QList<AdapterInfo>{a};
    }
    QString primaryDns(int) const override { return QStringLiteral("127.0.0.53"); }
};

} // namespace

class TestCommandDialogs : public QObject
{
    Q_OBJECT

private slots:
    void loginWidths();
    void loginModal();
    void saveConfigModal_data();
    void saveConfigModal();
    void localNetworkGroup();
};

void TestCommandDialogs::loginWidths()
{
    ScriptedMessenger messenger;
    TLoginDlg dlg(messenger);
    dlg.prepare(nullptr);
    dlg.show();
    QCOMPARE(dlg.width(), 223);
    auto *toggle = dlg.findChild<QToolButton *>("SpeedButton1");
    QVERIFY(toggle && !toggle->isVisible());
    dlg.hide();

    const FtpConnectionSetting ftp{2121, false, 0};
    dlg.prepare(&ftp);
    dlg.show();
    QCOMPARE(dlg.width(), 377);
    QVERIFY(toggle->isVisible());
    QCOMPARE(dlg.findChild<QLineEdit *>("editPort")->text(), QStringLiteral("2121"));
    toggle->click();
    QCOMPARE(toggle->text(), QStringLiteral(">>"));
    QCOMPARE(dlg.width(), 242);
    toggle->click();
    QCOMPARE(dlg.width(), 377);

    // The dialog says whose password it asks for, escaped as the list shows names.
    dlg.setCameraName("gate\x1b[2J (00:0A:1B:2C:3D:4E) at 127.0.0.5");
    dlg.prepare(nullptr);
    auto *camera = dlg.findChild<QLabel *>("LoginCamera");
    QVERIFY(camera && camera->isVisible());
    QCOMPARE(camera->toolTip(), QStringLiteral("gate\\x1b[2J (00:0A:1B:2C:3D:4E) at 127.0.0.5"));
    QVERIFY(camera->text().startsWith("Camera: gate"));
    QVERIFY(dlg.windowTitle().endsWith("at 127.0.0.5"));
    QVERIFY(camera->fontMetrics().horizontalAdvance(camera->text()) <= camera->width());
}

void TestCommandDialogs::loginModal()
{
    ScriptedMessenger messenger;
    TLoginDlg dlg(messenger);
    QTimer::singleShot(0, &dlg, [&] {
        dlg.findChild<QLineEdit *>("login")->setText("abcdefgh");
        dlg.findChild<QLineEdit *>("pass")->setText("pw");
        dlg.findChild<QPushButton *>("BtnSubmit")->click();   // refused: ID of 8
        dlg.findChild<QLineEdit *>("login")->setText("abcdefg");
        QTest::keyClick(&dlg, Qt::Key_Return);
    });
    const std::optional<LoginEntry> e = dlg.askCredentials(nullptr);
    QVERIFY(e);
    QCOMPARE(e->id, QStringLiteral("abcdefg"));
    QCOMPARE(e->password, QStringLiteral("pw"));
    QCOMPARE(messenger.lastText(), QStringLiteral("ID MUST be Shorter than 7"));

    QTimer::singleShot(0, &dlg, [&] { dlg.findChild<QPushButton *>("BtnCancel")->click(); });
    QVERIFY(!dlg.askCredentials(nullptr));
}

void TestCommandDialogs::saveConfigModal_data()
{
    QTest::addColumn<int>("replyType");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("heightWhileOpen");
    QTest::newRow("success closes by itself") << 0 << int(CommandOutcome::Success) << 66;
    QTest::newRow("mismatch waits for OK") << 3 << int(CommandOutcome::Failed) << 117;
}

void TestCommandDialogs::saveConfigModal()
{
    QFETCH(int, replyType);
    QFETCH(int, outcome);
    QFETCH(int, heightWhileOpen);

    // a camera on loopback that answers the second datagram it receives
    QUdpSocket camera;
    QVERIFY(camera.bind(QHostAddress::LocalHost, 0));
    UdpEndpoint endpoint;
    endpoint.setLocalPort(0);
    endpoint.setCameraPort(camera.localPort());
    endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
    Results results;
    TSaveConfigDlg dlg(endpoint, &results);
    int seen = 0;
    connect(&camera, &QUdpSocket::readyRead, &camera, [&] {
        while (camera.hasPendingDatagrams()) {
            const QNetworkDatagram d = camera.receiveDatagram();
            if (++seen == 1) {
                // the second send comes from the timer; tick at once instead of waiting
                QTimer::singleShot(0, &dlg, [&] { dlg.session().tick(); });
                continue;
            }
            QByteArray r = fromHex("5A 4F 52 41 02 11 00");
            r.append(char(replyType)).append('\x01').append(kMac).append(QByteArray(2, '\0'));
            camera.writeDatagram(r, d.senderAddress(), d.senderPort());
        }
    });
    int height = 0;
    QString button;
    connect(&dlg.session(), &SaveConfigSession::changed, &dlg, [&] {
        if (dlg.session().state() == SaveConfigSession::State::Failed) {
            height = dlg.height();
            button = dlg.findChild<QPushButton *>("Button1")->text();
            QTimer::singleShot(0, &dlg, [&] { dlg.findChild<QPushButton *>("Button1")->click(); });
        } else if (dlg.session().visible()) {
            height = dlg.height();
        }
    });

    ConfirmRequest req;
    req.unicast = true;
    req.address = QStringLiteral("127.0.0.1");
    req.mac = kMac;
    req.recordIndex = 2;
    req.bytes = fromHex("41 44 43 54 02 31 00 06 01") + kMac + QByteArray(31, '\0') + fromHex("05 01 01");
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &dlg, [&] { dlg.reject(); });
    guard.start(10000);   // a hang fails instead of stalling
    QCOMPARE(int(dlg.confirm(req)), outcome);
    QVERIFY(guard.isActive());
    QCOMPARE(seen, 2);
    QCOMPARE(height, heightWhileOpen);
    QVERIFY(!dlg.isVisible());
    if (replyType == 0) {
        QCOMPARE(results.success, QList<int>{2});
    } else {
        QCOMPARE(button, QStringLiteral("OK"));
        QCOMPARE(results.authFail, QList<int>{2});
    }
}

void TestCommandDialogs::localNetworkGroup()
{
    OneAdapter adapters;
    ProgramRandom random;
    LocalNetworkInfo info(adapters, random);
    LocalNetworkGroup group(info);
    auto *combo = group.findChild<QComboBox *>("cboLocalIP");
    auto *mask = group.findChild<QLabel *>("LabelNetMask");
    QVERIFY(combo && mask && group.findChild<QLabel *>("LabelGateway") && group.findChild<QLabel *>("LabelDNS"));
    QCOMPARE(mask->text(), QStringLiteral("Error"));
    group.fill();
    QCOMPARE(combo->count(), 2);
    QCOMPARE(mask->text(), QStringLiteral("255.0.0.0"));
    combo->setCurrentIndex(1);
    QCOMPARE(mask->text(), QStringLiteral("255.255.0.0"));
    QCOMPARE(group.findChild<QLabel *>("LabelDNS")->text(), QStringLiteral("127.0.0.53"));
    QCOMPARE(info.suggestedAddress(), QStringLiteral("127.1.0.5"));
}

QTEST_MAIN(TestCommandDialogs)
#include "tst_command_dialogs.moc"

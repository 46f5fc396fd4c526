// The window listening while a host on the LAN floods its port over real UDP: it keeps
// taking input, lists at most its bound and says so, and a spoofed reply takes no
// password along.
#include "window_rig_helper.h"

#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/config_item.h"
#include "protocol/discovery.h"
#include "protocol/udp_endpoint.h"
#include "flood_sender.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

class TestWindowFlood : public QObject
{
    Q_OBJECT

private slots:
    void floodWhileTheWindowListens();
};

namespace {

// The resident memory of this process in kB.
qint64 residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

} // namespace

void TestWindowFlood::floodWhileTheWindowListens()
{
    // The burst below waits whole in the receive buffer.
    if (FloodSender::queueRoom() < 3 * 1024 * 1024)
        QSKIP("needs a receive buffer of 8 MB: run as root, or raise net.core.rmem_max");
    WindowRig rig;
    QJsonObject real = WindowRig::fileCamera("cam", 0x51, 1);
    real["model_name"] = "L60";
    QVERIFY(rig.start({real}));
    AdminToolCore &core = rig.window->core();
    CameraList &list = core.list();
    TConfigItem *camera = core.registry().recordOfRow(0);
    QVERIFY(camera);
    camera->AdminId = "root";
    camera->AdminPassword = "pass";
    const quint16 port = core.endpoint().localPort();
    auto *scan = rig.window->findChild<QToolButton *>("BtnScanCamera");
    auto *filter = rig.window->findChild<QLineEdit *>("CameraFilter");
    QVERIFY(scan && filter);

    // The user scans every second from here on, which also keeps the socket open (it
    // closes a while after the last request, and what waits in it then is gone).
    QTimer rescan;
    rescan.setInterval(1000);
    connect(&rescan, &QTimer::timeout, scan, &QToolButton::click);
    scan->click();
    rescan.start();

    // A burst queued whole before the window reads any of it: a key typed just after the
    // first reply is handled long before the burst is through.
    {
        FloodSender::Plan plan;
        plan.distinctMacs = 4000;
        plan.firstMac = 0x100000;
        plan.paced = false;
        FloodSender burst(port, plan);
        burst.start();
        QVERIFY(burst.finish());
        QCOMPARE(burst.drops(), 0);
    }
    int listedAtKey = -1;
    connect(filter, &QLineEdit::textEdited, filter, [&] { listedAtKey = list.count(); });
    auto key = std::make_shared<QMetaObject::Connection>();
    *key = connect(&core.discovery(), &Discovery::rowAnswered, filter, [filter, key] {
        QObject::disconnect(*key);
        QCoreApplication::postEvent(filter, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    });
    QTRY_COMPARE_WITH_TIMEOUT(list.count(), 4001, 60000);
    QCOMPARE(filter->text(), QString("a"));
    QVERIFY2(listedAtKey > 1 && listedAtKey < 2000, qPrintable(QString::number(listedAtKey)));
    filter->clear();

    // The flood: noise, more MACs than the list keeps, and the real camera's MAC from
    // another address.
    QSignalSpy full(&core.discovery(), &Discovery::listFull);
    const qint64 before = residentKb();
    FloodSender::Plan plan;
    plan.noise = 200000;
    plan.distinctMacs = 70000;
    plan.firstMac = 0x200000;
    plan.spoofs = 200;
    plan.spoofMac = 0x51;
    plan.spoofFrom = QHostAddress("127.0.0.99");
    FloodSender flood(port, plan);
    flood.start();
    QVERIFY(QTest::qWaitFor([&] { return flood.done(); }, 170000));
    QVERIFY(flood.finish());
    QVERIFY(QTest::qWaitFor([&] { return FloodSender::queueOf(port).value_or(FloodSender::Queue{}).bytes == 0; },
                            60000));
    QCoreApplication::processEvents();
    rescan.stop();
    QCOMPARE(flood.drops(), 0);
    qInfo("flood: %lld datagrams, %d rows, resident %lld MB -> %lld MB", flood.sent(), list.count(),
          before / 1024, residentKb() / 1024);

    QCOMPARE(list.count(), Discovery::kMaxRows);
    QCOMPARE(full.size(), 1);
    QVERIFY(rig.window->findChild<QLabel *>("StatusScan")->text().endsWith(Discovery::listFullText()));
    // The spoofed replies moved the row; the password stayed behind.
    QCOMPARE(camera->AdminPassword, QString());
    QCOMPARE(camera->AdminId, QString("root"));
    // The camera itself answers the next scan from its own address.
    scan->click();
    const int row = list.rowOfMac(WindowRig::macOf(0x51));
    QVERIFY(row >= 0);
    QTRY_COMPARE(list.row(row).ip, real["ip"].toString());
    QCOMPARE(camera->AdminPassword, QString());
}

QTEST_MAIN(TestWindowFlood)
#include "tst_window_flood.moc"

// What any host on the LAN can send at the tool: floods of random bytes and of replies
// with ever new MACs, and replies carrying a listed camera's MAC from elsewhere. Bounded
// in count, handed to the endpoint's receive handler directly.
#include "flood_sender.h"
#include "network_fixture_helper.h"

#include "protocol/config_item.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

class TestFlood : public QObject
{
    Q_OBJECT

private slots:
    void randomDatagramsListNothingFalse();
    void theListStopsAtItsBound();
    void aMovedCameraLeavesItsPasswordBehind();
    void aPipeAsTheSavedListIsPassedOver();
};

void TestFlood::randomDatagramsListNothingFalse()
{
    NetworkFixture f;
    QRandomGenerator random(20261209);
    for (int i = 0; i < 200000; ++i) {
        const QByteArray d = FloodSender::noise(random, i);
        f.endpoint.handleDatagram(d, QHostAddress(quint32(0x7F000000 | random.bounded(1, 0xFFFFFF))));
    }
    // Noise that happens to parse is a camera with a random MAC (a reply carries nothing
    // else to tell it by); the list stays within its bound, and a real camera is still
    // heard and listed.
    QVERIFY(f.list.count() <= Discovery::kMaxRows);
    f.endpoint.handleDatagram(SmallReply(0x77, "real"), QHostAddress("127.0.0.77"));
    QCOMPARE(f.list.rowOfMac("00:0A:1B:2C:3D:77") >= 0, true);
}

void TestFlood::theListStopsAtItsBound()
{
    NetworkFixture f;
    QSignalSpy full(&f.discovery, &Discovery::listFull);
    QByteArray d = SmallReply(0, "x");
    const int extra = 3000;
    for (int i = 0; i < Discovery::kMaxRows + extra; ++i) {
        SetReplyMac(d, i);
        f.endpoint.handleDatagram(d, QHostAddress(quint32(0x7F000000 | (i + 1))));
    }
    QCOMPARE(f.list.count(), Discovery::kMaxRows);
    QCOMPARE(full.size(), 1);
    QCOMPARE(full.first().first().toString(), Discovery::listFullText());
    // Listed cameras still answer and are refreshed.
    SetReplyMac(d, 5);
    f.endpoint.handleDatagram(d, QHostAddress("127.0.0.6"));
    QCOMPARE(f.list.row(f.list.rowOfMac("00:0A:1B:00:00:05")).ip, QString("127.0.0.6"));
}

void TestFlood::aMovedCameraLeavesItsPasswordBehind()
{
    NetworkFixture f;
    f.endpoint.handleDatagram(SmallReply(0x11, "cam"), QHostAddress("127.0.0.11"));
    TConfigItem *camera = f.registry.recordOfRow(0);
    QVERIFY(camera);
    camera->AdminId = "root";
    camera->AdminPassword = "pass";
    // The same address again keeps the login; another address (a device using the MAC,
    // or the camera re-addressed) does not take it along.
    f.endpoint.handleDatagram(SmallReply(0x11, "cam"), QHostAddress("127.0.0.11"));
    QCOMPARE(camera->AdminPassword, QString("pass"));
    f.endpoint.handleDatagram(SmallReply(0x11, "cam"), QHostAddress("127.0.0.99"));
    QCOMPARE(f.list.row(0).ip, QString("127.0.0.99"));
    QCOMPARE(camera->AdminPassword, QString());
    QCOMPARE(camera->AdminId, QString("root"));
}

void TestFlood::aPipeAsTheSavedListIsPassedOver()
{
    // Opening a pipe for reading would wait for a writer that never comes.
    QTemporaryDir dir;
    const QString path = dir.filePath("CameraList.cfg");
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    NetworkFixture f;
    f.registry.loadSavedList(path);
    QCOMPARE(f.list.count(), 0);
}

QTEST_GUILESS_MAIN(TestFlood)
#include "tst_flood.moc"

// Configuration runs against the simulated camera: every set down and up, the daemon
// folder, and the order of the camera-side moves.
#include "camfiles_helper.h"
#include "config_fetch_helper.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/filter_directory_listing.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kRunMs = 15000;

QByteArray withoutCr(QByteArray bytes)
{
    return bytes.replace('\r', "");
}

// "/etc/html/title.js" -> "etc/html/title.js"
QString rootRelative(const QString &remote)
{
    return remote.mid(1);
}

qsizetype indexOfPrefix(const QStringList &lines, const QString &prefix, qsizetype from = 0)
{
    for (qsizetype i = from; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(prefix))
            return i;
    }
    return -1;
}

qsizetype lastIndexOfPrefix(const QStringList &lines, const QString &prefix)
{
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (lines.at(i).startsWith(prefix))
            return i;
    }
    return -1;
}

const QList<int> kPageSets = {0, 1, 2, 3, 4, 5, 6, 9, 13, 15};

} // namespace

class TestConfigFetch : public QObject
{
    Q_OBJECT

private slots:
    void fetchEverySet_data();
    void fetchEverySet();
    void uploadEverySet_data();
    void uploadEverySet();
    void uploadToCameraLackingTheFile();
    void eventSetWithoutMotionFile_data();
    void eventSetWithoutMotionFile();
    void daemonFolder();
    void filterDirectoryListing_data();
    void filterDirectoryListing();
};

void TestConfigFetch::fetchEverySet_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<bool>("passive");
    QTest::addColumn<int>("type");
    int i = 0;
    for (const int set : kPageSets) {
        const bool passive = (i % 2) == 0;
        const int type = (i / 2) % 2;
        QTest::addRow("set %d %s %s", set, passive ? "passive" : "active", type ? "ascii" : "binary")
            << set << passive << type;
        ++i;
    }
    QTest::addRow("set 1 active binary") << 1 << false << 0;
    QTest::addRow("set 1 passive ascii") << 1 << true << 1;
}

void TestConfigFetch::fetchEverySet()
{
    QFETCH(int, set);
    QFETCH(bool, passive);
    QFETCH(int, type);
    FetchRig rig;
    QVERIFY2(rig.start(), qPrintable(rig.error()));
    const QString cwd = QDir::currentPath();

    rig.begin(rig.transfer(set, TransferMode::Download, passive, quint8(type)));
    QVERIFY(rig.session->timeoutTimerActive());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Ok);
    QCOMPARE(rig.session->threadResult(), 0);
    QVERIFY(rig.messenger.shown().isEmpty());

    const ConfigFileSet files(set);
    for (int i = 0; i < files.localNames().size(); ++i) {
        const QString name = files.localNames().at(i);
        const QByteArray onCamera = rig.cameraFile(rootRelative(files.remotePaths().at(i)));
        if (type == 0)
            QCOMPARE(rig.readLocal(name), onCamera);
        else
            QCOMPARE(withoutCr(rig.readLocal(name)), withoutCr(onCamera));
    }
    QCOMPARE(rig.localFilesNamed(TGetConfThread::kPartialSuffix), QStringList());
    // Local names resolve against the temp folder, not a changed working directory.
    QCOMPARE(QDir::currentPath(), cwd);

    const QStringList wire = rig.ftpCommands();
    QVERIFY(wire.contains(type ? "TYPE A" : "TYPE I"));
    const bool sawPassive = indexOfPrefix(wire, "EPSV") >= 0 || indexOfPrefix(wire, "PASV") >= 0;
    const bool sawActive = indexOfPrefix(wire, "EPRT") >= 0 || indexOfPrefix(wire, "PORT") >= 0;
    QCOMPARE(sawPassive, passive);
    QCOMPARE(sawActive, !passive);
    QCOMPARE(indexOfPrefix(wire, "STOR"), -1);
    QCOMPARE(indexOfPrefix(wire, "DELE"), -1);
    QVERIFY(rig.cameraState().value("applies").toArray().isEmpty());

    if (set == ConfigFileSet::CameraControl) {
        QStringList names = FilterDirectoryListing(rig.session->listing());
        names.sort();
        QCOMPARE(names, QStringList({"head_a", "head_b"}));
    }
}

void TestConfigFetch::uploadEverySet_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<bool>("passive");
    QTest::addColumn<int>("type");
    int i = 0;
    for (const int set : kPageSets) {
        const bool passive = (i % 2) == 1;
        const int type = (i / 2) % 2;
        QTest::addRow("set %d %s %s", set, passive ? "passive" : "active", type ? "ascii" : "binary")
            << set << passive << type;
        ++i;
    }
}

void TestConfigFetch::uploadEverySet()
{
    QFETCH(int, set);
    QFETCH(bool, passive);
    QFETCH(int, type);
    FetchRig rig;
    QVERIFY2(rig.start(), qPrintable(rig.error()));
    const ConfigFileSet files(set);
    for (const QString &name : files.localNames())
        QVERIFY(rig.writeLocal(name, CamFiles::sample(name) + "# edited " + name.toLatin1() + "\n"));

    rig.begin(rig.transfer(set, TransferMode::Upload, passive, quint8(type)));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Ok);
    QCOMPARE(rig.results.successes, QList<int>{0});
    QVERIFY(rig.messenger.shown().isEmpty());

    for (int i = 0; i < files.localNames().size(); ++i) {
        const QString name = files.localNames().at(i);
        const QByteArray sent = CamFiles::sample(name) + "# edited " + name.toLatin1() + "\n";
        const QByteArray stored = rig.cameraFile(rootRelative(files.remotePaths().at(i)));
        // A text transfer leaves the camera's own line ends.
        if (type == 0)
            QCOMPARE(stored, sent);
        else
            QCOMPARE(withoutCr(stored), withoutCr(sent));
    }
    QCOMPARE(rig.cameraFilesNamed(".tmp"), QStringList());

    // Every temporary file is on the camera before the first final file is deleted, and
    // the final files are moved in the set's order.
    const QStringList wire = rig.ftpCommands();
    const qsizetype firstDele = indexOfPrefix(wire, "DELE ");
    QVERIFY(firstDele > 0);
    QVERIFY(lastIndexOfPrefix(wire, "STOR ") < firstDele);
    for (const QString &remote : files.remotePaths())
        QVERIFY2(wire.contains("STOR " + remote + ".tmp"), qPrintable(remote));
    qsizetype at = firstDele;
    for (const QString &finalPath : files.finishOrder()) {
        at = wire.indexOf("DELE " + finalPath, at);
        QVERIFY2(at >= 0, qPrintable(finalPath));
        QCOMPARE(wire.value(at + 1), "RNFR " + finalPath + ".tmp");
        QCOMPARE(wire.value(at + 2), "RNTO " + finalPath);
    }
    if (!files.siteAfterFinish().isEmpty())
        QVERIFY(indexOfPrefix(wire, "SITE " + files.siteAfterFinish()) > at);

    const QJsonObject apply = rig.cameraState().value("last_apply").toObject();
    QCOMPARE(apply.value("action").toInt(), set == ConfigFileSet::InitialVideo ? 7 : 5);
    QCOMPARE(rig.receivedActions().size(), 1);
}

void TestConfigFetch::uploadToCameraLackingTheFile()
{
    FetchRig rig;
    QVERIFY2(rig.start(), qPrintable(rig.error()));
    QVERIFY(rig.removeCameraFile("etc/ddns.conf"));
    QVERIFY(rig.writeLocal("ddns.conf", "DDNS_ENABLE=\"false\"\n"));
    rig.begin(rig.transfer(ConfigFileSet::Ddns, TransferMode::Upload));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QVERIFY2(rig.messenger.shown().isEmpty(), qPrintable(rig.messenger.lastText()));
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Ok);
    QCOMPARE(rig.cameraFile("etc/ddns.conf"), QByteArray("DDNS_ENABLE=\"false\"\n"));
}

void TestConfigFetch::eventSetWithoutMotionFile_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("result");
    QTest::newRow("with motion fails whole") << int(ConfigFileSet::EventWithMotion) << 2;
    QTest::newRow("without motion never asks") << int(ConfigFileSet::EventWithoutMotion) << 1;
}

void TestConfigFetch::eventSetWithoutMotionFile()
{
    QFETCH(int, set);
    QFETCH(int, result);
    FetchRig rig;
    QVERIFY2(rig.start(), qPrintable(rig.error()));
    QVERIFY(rig.removeCameraFile("etc/event/hw_motion.conf"));
    QVERIFY(rig.writeLocal("dio_input.conf", "old\n"));

    rig.begin(rig.transfer(set, TransferMode::Download));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(int(rig.session->modalResult()), result);
    if (result == ConfigTransferSession::Cancel) {
        QCOMPARE(rig.messenger.lastText(), QString("Failed on Transfering File"));
        // The inputs file arrived before the motion file failed; it must not replace the
        // copy a restore would read.
        QCOMPARE(rig.readLocal("dio_input.conf"), QByteArray("old\n"));
    } else {
        QCOMPARE(rig.readLocal("dio_input.conf"), rig.cameraFile("etc/event/dio_input.conf"));
        QCOMPARE(indexOfPrefix(rig.ftpCommands(), "RETR /etc/event/hw_motion"), -1);
    }
    QCOMPARE(rig.localFilesNamed(TGetConfThread::kPartialSuffix), QStringList());
}

void TestConfigFetch::daemonFolder()
{
    FetchRig rig;
    QVERIFY2(rig.start(), qPrintable(rig.error()));

    // Listing only.
    rig.begin(rig.transfer(ConfigFileSet::DaemonListing, TransferMode::Download));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Ok);
    QStringList names = FilterDirectoryListing(rig.session->listing());
    names.sort();
    QCOMPARE(names, QStringList({"head_a", "head_b"}));

    // Add: the folder itself cannot be stored to; the file goes into it by its own name.
    QTemporaryDir elsewhere;
    const QString daemon = QDir(elsewhere.path()).filePath("head_new");
    QFile f(daemon);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\necho new\n");
    f.close();
    ConfigTransfer add = rig.transfer(ConfigFileSet::DaemonAdd, TransferMode::Upload);
    add.daemon = daemon;
    rig.begin(add);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Ok);
    QCOMPARE(rig.cameraFile("etc/control_deamon/head_new"), QByteArray("#!/bin/sh\necho new\n"));
    QVERIFY(rig.ftpCommands().contains("SITE chmod 755 /etc/control_deamon/head_new"));
    QVERIFY(rig.session->listing().contains("head_new"));
    QVERIFY(rig.receivedActions().isEmpty());

    // Delete.
    ConfigTransfer del = rig.transfer(ConfigFileSet::DaemonDelete, TransferMode::Delete);
    del.daemon = "/etc/control_deamon/head_a";
    rig.begin(del);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Ok);
    QCOMPARE(rig.cameraFile("etc/control_deamon/head_a"), QByteArray("<missing>"));
    QVERIFY(!rig.session->listing().contains("head_a"));
    QVERIFY(rig.session->listing().contains("head_b"));
    QVERIFY(rig.receivedActions().isEmpty());
}

void TestConfigFetch::filterDirectoryListing_data()
{
    QTest::addColumn<QStringList>("listing");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("dots removed") << QStringList{".", "head_a", "..", "head_b"}
                                  << QStringList{"head_a", "head_b"};
    QTest::newRow("only exact dots") << QStringList{"...", ".hidden", "a."}
                                     << QStringList{"...", ".hidden", "a."};
    QTest::newRow("empty") << QStringList{} << QStringList{};
}

void TestConfigFetch::filterDirectoryListing()
{
    QFETCH(QStringList, listing);
    QFETCH(QStringList, kept);
    QCOMPARE(FilterDirectoryListing(listing), kept);
}

QTEST_GUILESS_MAIN(TestConfigFetch)
#include "tst_config_fetch.moc"

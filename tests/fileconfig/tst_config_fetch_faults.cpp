// Configuration runs that go wrong: refused login, cut transfers, aborts and time-outs,
// and the camera's answers to the apply command.
#include "camfiles_helper.h"
#include "config_fetch_helper.h"
#include "base/shared_routines.h"
#include "fileconfig/config_file_set.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

namespace {

constexpr int kRunMs = 15000;

qsizetype indexOfPrefix(const QStringList &lines, const QString &prefix)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(prefix))
            return i;
    }
    return -1;
}

QJsonObject faults(const QJsonObject &f)
{
    return {{"ftp_faults", f}};
}

QByteArray macBytes(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(':', ""));
}

} // namespace

class TestConfigFetchFaults : public QObject
{
    Q_OBJECT

private slots:
    void loginRefused_data();
    void loginRefused();
    void silentPortIsNamed();
    void cutDownloadKeepsLocalFiles_data();
    void cutDownloadKeepsLocalFiles();
    void failedStoreLeavesCameraFiles_data();
    void failedStoreLeavesCameraFiles();
    void oversizeFetchFailsTheCamera_data();
    void oversizeFetchFailsTheCamera();
    void failedUploadTakesItsTemporaryNames_data();
    void failedUploadTakesItsTemporaryNames();
    void missingLocalFileFailsAtOnce();
    void renameRefusedNamesTheFile();
    void abortCutsSlowServer_data();
    void abortCutsSlowServer();
    void abortWaitsForRenameAfterDelete();
    void applyAnswers_data();
    void applyAnswers();
    void resendRepeatsTheFirstAction();
    void repliesOutsideTheWaitAreIgnored();
};

void TestConfigFetchFaults::loginRefused_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("download") << int(TransferMode::Download);
    QTest::newRow("upload") << int(TransferMode::Upload);
}

void TestConfigFetchFaults::loginRefused()
{
    QFETCH(int, mode);
    FetchRig rig;
    QVERIFY2(rig.start(faults({{"login_530", 1}})), qPrintable(rig.error()));
    QVERIFY(rig.writeLocal("ddns.conf", "DDNS_ENABLE=\"true\"\n"));
    QSignalSpy rejected(rig.session.get(), &ConfigTransferSession::loginRejected);

    rig.begin(rig.transfer(ConfigFileSet::Ddns, TransferMode(mode)));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Cancel);
    QCOMPARE(rig.session->threadResult(), 2);
    QVERIFY(rig.session->credentialsRejected());
    QCOMPARE(rejected.size(), 1);
    QCOMPARE(rejected.at(0).at(0).toInt(), 0);
    // One message: the words of the failure, the server's reason below them.
    const auto &shown = rig.messenger.shown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.at(0).text.startsWith("Connection Failure\nCheck the ID and Password or FTP Port number\n\n"),
             qPrintable(shown.at(0).text));
    QVERIFY2(shown.at(0).text.contains("530"), qPrintable(shown.at(0).text));
    QCOMPARE(rig.readLocal("ddns.conf"), QByteArray("DDNS_ENABLE=\"true\"\n"));
    QVERIFY(rig.receivedActions().isEmpty());
}

void TestConfigFetchFaults::silentPortIsNamed()
{
    FetchRig rig;
    QVERIFY2(rig.start(faults({})), qPrintable(rig.error()));
    // A port nothing listens on: the server that had it is gone.
    int port = 0;
    {
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        port = gone.serverPort();
    }
    ConfigTransfer t = rig.transfer(ConfigFileSet::Ddns, TransferMode::Download);
    t.ftp.port = port;
    rig.begin(t);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->threadResult(), 2);
    QCOMPARE(rig.messenger.shown().size(), 1);
    QCOMPARE(rig.messenger.lastText(), TransferResult::silentPortText(t.ftp.host, port));
    QVERIFY(rig.messenger.lastText().contains(QString("FTP port %1").arg(port)));
}

void TestConfigFetchFaults::cutDownloadKeepsLocalFiles_data()
{
    QTest::addColumn<bool>("passive");
    QTest::addColumn<int>("type");
    QTest::newRow("passive binary") << true << 0;
    QTest::newRow("active binary") << false << 0;
    QTest::newRow("passive ascii") << true << 1;
    QTest::newRow("active ascii") << false << 1;
}

void TestConfigFetchFaults::cutDownloadKeepsLocalFiles()
{
    QFETCH(bool, passive);
    QFETCH(int, type);
    FetchRig rig;
    QVERIFY2(rig.start(faults({{"drop_after", 40}})), qPrintable(rig.error()));
    QVERIFY(rig.writeLocal("thttpd.conf", "port=80\n"));
    QVERIFY(rig.writeLocal("title.js", "var title = \"old\"\n"));

    rig.begin(rig.transfer(ConfigFileSet::WebServer, TransferMode::Download, passive, quint8(type)));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Cancel);
    QCOMPARE(rig.session->threadResult(), 1);
    QCOMPARE(rig.messenger.lastText(), QString("Failed on Transfering File"));
    QVERIFY(rig.ftpCommands().contains("RETR /etc/thttpd.conf"));
    QCOMPARE(rig.readLocal("thttpd.conf"), QByteArray("port=80\n"));
    QCOMPARE(rig.readLocal("title.js"), QByteArray("var title = \"old\"\n"));
    QCOMPARE(rig.localFilesNamed(TGetConfThread::kPartialSuffix), QStringList());
}

void TestConfigFetchFaults::failedStoreLeavesCameraFiles_data()
{
    QTest::addColumn<QJsonObject>("fault");
    QTest::addColumn<bool>("passive");
    QTest::newRow("drop passive") << QJsonObject{{"drop_after", 30}} << true;
    QTest::newRow("drop active") << QJsonObject{{"drop_after", 30}} << false;
    QTest::newRow("553 passive") << QJsonObject{{"stor_553", 1}} << true;
    QTest::newRow("553 on the second file") << QJsonObject{{"stor_553", "title.js.tmp"}} << false;
    QTest::newRow("disk full") << QJsonObject{{"disk_full", 30}} << true;
}

void TestConfigFetchFaults::failedStoreLeavesCameraFiles()
{
    QFETCH(QJsonObject, fault);
    QFETCH(bool, passive);
    FetchRig rig;
    QVERIFY2(rig.start(faults(fault)), qPrintable(rig.error()));
    const QByteArray thttpd = rig.cameraFile("etc/thttpd.conf");
    const QByteArray title = rig.cameraFile("etc/html/title.js");
    QVERIFY(rig.writeLocal("thttpd.conf", CamFiles::sample("thttpd.conf") + "port=81\n"));
    QVERIFY(rig.writeLocal("title.js", CamFiles::sample("title.js") + "// new\n"));

    rig.begin(rig.transfer(ConfigFileSet::WebServer, TransferMode::Upload, passive));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Cancel);
    QCOMPARE(rig.session->threadResult(), 1);
    QCOMPARE(rig.messenger.lastText(), QString("Failed on Transfering File"));
    QCOMPARE(rig.cameraFile("etc/thttpd.conf"), thttpd);
    QCOMPARE(rig.cameraFile("etc/html/title.js"), title);
    const QStringList wire = rig.ftpCommands();
    // Only temporary names may go; no final file was touched.
    for (const QString &line : wire)
        QVERIFY2(!line.startsWith("DELE") || line.endsWith(".tmp"), qPrintable(line));
    QCOMPARE(indexOfPrefix(wire, "RNFR"), -1);
    QCOMPARE(rig.cameraFilesNamed(".tmp"), QStringList());
    QVERIFY(rig.receivedActions().isEmpty());
}

void TestConfigFetchFaults::oversizeFetchFailsTheCamera_data()
{
    const qint64 bound = qint64(1) << 20;   // a camera file's
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("file");    // on the camera, relative to its root
    QTest::addColumn<qint64>("size");     // of the file; of the names in it for a folder
    QTest::addColumn<QString>("reason");  // empty: the run succeeds
    QTest::newRow("page file at the bound") << int(ConfigFileSet::Ddns) << "etc/ddns.conf" << bound
                                            << QString();
    QTest::newRow("page file over the bound")
        << int(ConfigFileSet::Ddns) << "etc/ddns.conf" << bound + 1
        << "\"/etc/ddns.conf\" on the camera is larger than 1 MiB; the fetch was stopped";
    QTest::newRow("second file of a page over the bound")
        << int(ConfigFileSet::WebServer) << "etc/html/title.js" << bound + 1
        << "\"/etc/html/title.js\" on the camera is larger than 1 MiB; the fetch was stopped";
    QTest::newRow("daemon folder listing over the bound")
        << int(ConfigFileSet::CameraControl) << "etc/control_deamon/" << (qint64(64) << 10) + 1
        << "The folder listing on the camera is larger than 64 KiB; the fetch was stopped";
}

void TestConfigFetchFaults::oversizeFetchFailsTheCamera()
{
    QFETCH(int, set);
    QFETCH(QString, file);
    QFETCH(qint64, size);
    QFETCH(QString, reason);
    FetchRig rig;
    QVERIFY2(rig.start(), qPrintable(rig.error()));
    if (file.endsWith('/')) {
        for (qint64 n = 0, listed = 0; listed < size; ++n, listed += 201)
            QVERIFY(rig.writeCameraFile(file + QString::number(n).rightJustified(200, 'd'), {}));
    } else {
        QVERIFY(rig.writeCameraFile(file, QByteArray(size, 'x')));
    }
    const ConfigFileSet files(set);
    for (const QString &name : files.localNames())
        QVERIFY(rig.writeLocal(name, "old " + name.toLatin1()));

    rig.begin(rig.transfer(set, TransferMode::Download));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    if (reason.isEmpty()) {
        QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Ok);
        QCOMPARE(rig.readLocal(files.localNames().constFirst()).size(), size);
        return;
    }
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Cancel);
    QCOMPARE(rig.session->threadResult(), 1);
    QCOMPARE(rig.messenger.lastText(), "Failed on Transfering File\n" + reason);
    // The working copies are the old ones, whole; nothing half-fetched is left.
    for (const QString &name : files.localNames())
        QCOMPARE(rig.readLocal(name), "old " + name.toLatin1());
    QCOMPARE(rig.localFilesNamed(TGetConfThread::kPartialSuffix), QStringList());
}

void TestConfigFetchFaults::failedUploadTakesItsTemporaryNames_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<QJsonObject>("fault");
    QTest::addColumn<QStringList>("left");   // temporary names the camera keeps
    QTest::newRow("first of two refused")
        << int(ConfigFileSet::WebServer) << QJsonObject{{"stor_553", "thttpd.conf.tmp"}} << QStringList();
    QTest::newRow("second of two refused")
        << int(ConfigFileSet::WebServer) << QJsonObject{{"stor_553", "title.js.tmp"}} << QStringList();
    QTest::newRow("last of three refused") << int(ConfigFileSet::EventWithMotion)
                                           << QJsonObject{{"stor_553", "hw_motion.conf.tmp"}}
                                           << QStringList();
    // The part that was written is taken off as well.
    QTest::newRow("disk full on the first")
        << int(ConfigFileSet::WebServer) << QJsonObject{{"disk_full", 100}} << QStringList();
    // The final file is gone by then: its new copy is all the camera has.
    QTest::newRow("first rename refused")
        << int(ConfigFileSet::WebServer) << QJsonObject{{"rnto_refused", 1}}
        << QStringList{"etc/thttpd.conf.tmp"};
    QTest::newRow("delete refused as well")
        << int(ConfigFileSet::WebServer)
        << QJsonObject{{"stor_553", "title.js.tmp"}, {"dele_refused", 1}}
        << QStringList{"etc/thttpd.conf.tmp"};
}

void TestConfigFetchFaults::failedUploadTakesItsTemporaryNames()
{
    QFETCH(int, set);
    QFETCH(QJsonObject, fault);
    QFETCH(QStringList, left);
    FetchRig rig;
    QVERIFY2(rig.start(faults(fault)), qPrintable(rig.error()));
    for (const QString &name : ConfigFileSet(set).localNames())
        QVERIFY(rig.writeLocal(name, CamFiles::sample(name) + "\n# new\n"));

    // The worker itself, on this thread: the reason is in its result.
    TGetConfThread worker(1, rig.transfer(set, TransferMode::Upload), LocalTempFolder(), {});
    const TransferResult result = worker.run();
    QCOMPARE(result.outcome, TransferResult::Outcome::TransferFailed);
    // The failing store's reason, not what the cleanup met.
    const QString reason = fault.contains("disk_full") ? "452" : "553";
    QVERIFY2(result.lastReply.startsWith(reason), qPrintable(result.lastReply));
    QVERIFY2(result.errorText.contains(reason), qPrintable(result.errorText));
    QCOMPARE(rig.cameraFilesNamed(".tmp"), left);
    QVERIFY(rig.receivedActions().isEmpty());
}

void TestConfigFetchFaults::missingLocalFileFailsAtOnce()
{
    FetchRig rig;
    QVERIFY2(rig.start(), qPrintable(rig.error()));
    QVERIFY(rig.writeLocal("udp_server.conf", CamFiles::sample("udp_server.conf")));
    QVERIFY(rig.writeLocal("tcp_server.conf", CamFiles::sample("tcp_server.conf")));
    // rc.server is missing.
    rig.begin(rig.transfer(ConfigFileSet::StreamServer, TransferMode::Upload));
    // No time-out tick is needed: the worker reports at once.
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), 5000);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Cancel);
    QCOMPARE(rig.session->threadResult(), 1);
    QCOMPARE(rig.messenger.lastText(), QString("Failed on Transfering File\nrc.server"));
    // Nothing reached the camera, not even a login.
    QCOMPARE(indexOfPrefix(rig.ftpCommands(), "USER"), -1);
    QCOMPARE(rig.cameraFilesNamed(".tmp"), QStringList());
}

void TestConfigFetchFaults::renameRefusedNamesTheFile()
{
    FetchRig rig;
    QVERIFY2(rig.start(faults({{"rnto_refused", 1}})), qPrintable(rig.error()));
    QVERIFY(rig.writeLocal("ddns.conf", "DDNS_ENABLE=\"false\"\n"));
    rig.begin(rig.transfer(ConfigFileSet::Ddns, TransferMode::Upload));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Cancel);
    QCOMPARE(rig.messenger.lastText(), QString("Failed on Transfering File\n/etc/ddns.conf"));
    QCOMPARE(rig.cameraFile("etc/ddns.conf"), QByteArray("<missing>"));
    QVERIFY(rig.receivedActions().isEmpty());
}

void TestConfigFetchFaults::abortCutsSlowServer_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("byTimeout");
    QTest::newRow("download abort") << int(TransferMode::Download) << false;
    QTest::newRow("download time-out") << int(TransferMode::Download) << true;
    QTest::newRow("upload abort") << int(TransferMode::Upload) << false;
    QTest::newRow("upload time-out") << int(TransferMode::Upload) << true;
}

void TestConfigFetchFaults::abortCutsSlowServer()
{
    QFETCH(int, mode);
    QFETCH(bool, byTimeout);
    FetchRig rig;
    QVERIFY2(rig.start(faults({{"slow_data", 20}})), qPrintable(rig.error()));
    const QByteArray onCamera = rig.cameraFile("etc/thttpd.conf");
    QVERIFY(rig.writeLocal("thttpd.conf", CamFiles::sample("thttpd.conf") + "port=82\n"));
    QVERIFY(rig.writeLocal("title.js", CamFiles::sample("title.js")));
    const QByteArray local = rig.readLocal("thttpd.conf");

    rig.begin(rig.transfer(ConfigFileSet::WebServer, TransferMode(mode)));
    const QString transfer = mode == int(TransferMode::Download) ? "RETR /etc/thttpd.conf"
                                                                 : "STOR /etc/thttpd.conf.tmp";
    QTRY_VERIFY_WITH_TIMEOUT(rig.ftpCommands().contains(transfer), kRunMs);
    if (byTimeout)
        rig.session->timeoutTick();
    else
        rig.session->abort();
    QVERIFY(!rig.session->visible());
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Cancel);
    QVERIFY(!rig.session->timeoutTimerActive());
    // The transfer would take 20 s; the cut ends the worker long before.
    QTRY_COMPARE_WITH_TIMEOUT(TGetConfThread::running(), 0, 5000);
    QVERIFY(rig.messenger.shown().isEmpty());
    QCOMPARE(rig.readLocal("thttpd.conf"), local);
    QCOMPARE(rig.localFilesNamed(TGetConfThread::kPartialSuffix), QStringList());
    QCOMPARE(rig.cameraFile("etc/thttpd.conf"), onCamera);
    QVERIFY(rig.receivedActions().isEmpty());
}

void TestConfigFetchFaults::abortWaitsForRenameAfterDelete()
{
    FetchRig rig;
    // Every reply comes late, so the abort lands while the first final file is away.
    QVERIFY2(rig.start(faults({{"late_reply", 0.3}})), qPrintable(rig.error()));
    const QByteArray title = rig.cameraFile("etc/html/title.js");
    const QByteArray thttpd = CamFiles::sample("thttpd.conf") + "port=83\n";
    QVERIFY(rig.writeLocal("thttpd.conf", thttpd));
    QVERIFY(rig.writeLocal("title.js", CamFiles::sample("title.js") + "// new\n"));

    rig.begin(rig.transfer(ConfigFileSet::WebServer, TransferMode::Upload));
    QTRY_VERIFY_WITH_TIMEOUT(rig.ftpCommands().contains("DELE /etc/thttpd.conf"), 30000);
    rig.session->abort();
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Cancel);
    QTRY_COMPARE_WITH_TIMEOUT(TGetConfThread::running(), 0, 15000);

    // The file deleted before the abort was put back; nothing after it was touched.
    const QStringList wire = rig.ftpCommands();
    QVERIFY(wire.contains("RNTO /etc/thttpd.conf"));
    QCOMPARE(rig.cameraFile("etc/thttpd.conf"), thttpd);
    QVERIFY(!wire.contains("DELE /etc/html/title.js"));
    QCOMPARE(rig.cameraFile("etc/html/title.js"), title);
    QVERIFY(rig.receivedActions().isEmpty());
}

void TestConfigFetchFaults::applyAnswers_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("result");      // 0: still waiting after the answer
    QTest::addColumn<QString>("message");
    QTest::newRow("0 success") << "success" << 1 << QString();
    QTest::newRow("1 failed") << "fail" << 2
                              << "Invalid Athentication Information\nCheck the Administrator ID and Password";
    QTest::newRow("2 authentication") << "auth" << 2
                                      << "Invalid Athentication Information\nCheck the Administrator ID and Password";
    QTest::newRow("3 mismatch") << "mismatch" << 0 << "Mismatched type found! Check the all items.";
    QTest::newRow("4 unknown") << "unknown" << 0 << "Unknown Error... Try later...";
    QTest::newRow("no answer") << "none" << 0 << QString();
}

void TestConfigFetchFaults::applyAnswers()
{
    QFETCH(QString, reply);
    QFETCH(int, result);
    QFETCH(QString, message);
    FetchRig rig;
    QVERIFY2(rig.start({{"reply", reply}}), qPrintable(rig.error()));
    QVERIFY(rig.writeLocal("audio.conf", CamFiles::sample("audio.conf")));

    rig.begin(rig.transfer(ConfigFileSet::Audio, TransferMode::Upload));
    QTRY_VERIFY_WITH_TIMEOUT(rig.session->state() != ConfigTransferSession::State::Transferring, kRunMs);
    if (result != 0) {
        QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), kRunMs);
        QCOMPARE(int(rig.session->modalResult()), result);
        QVERIFY(!rig.session->sendRebootTimerActive());
        QCOMPARE(rig.results.successes, result == 1 ? QList<int>{0} : QList<int>{});
        QCOMPARE(rig.results.authFailures, result == 2 ? QList<int>{0} : QList<int>{});
        QCOMPARE(rig.messenger.lastText(), message);
        return;
    }
    QCOMPARE(rig.session->state(), ConfigTransferSession::State::AwaitingApply);
    QVERIFY(rig.session->sendRebootTimerActive());
    if (!message.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(rig.messenger.shown().size(), 1, 5000);
        QCOMPARE(rig.messenger.lastText(), message);
    }
    // The answer leaves the resends going; each one is answered again.
    rig.session->sendRebootTick();
    QTRY_COMPARE_WITH_TIMEOUT(rig.receivedActions().size(), 2, 5000);
    if (!message.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(rig.messenger.shown().size(), 2, 5000);
    QVERIFY(rig.session->visible());
    const int shownBefore = int(rig.messenger.shown().size());

    rig.session->timeoutTick();
    QVERIFY(!rig.session->visible());
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Cancel);
    QVERIFY(!rig.session->sendRebootTimerActive());
    QCOMPARE(int(rig.messenger.shown().size()), shownBefore);
    QVERIFY(rig.results.successes.isEmpty());
    // After the time-out the ticks send nothing more.
    rig.session->sendRebootTick();
    QCOMPARE(rig.session->applySends(), 2);
}

void TestConfigFetchFaults::resendRepeatsTheFirstAction()
{
    FetchRig rig;
    // The camera answers only the second copy of the same command.
    QVERIFY2(rig.start({{"answer_on_send", 2}}), qPrintable(rig.error()));
    QVERIFY(rig.writeLocal("middle.conf", CamFiles::sample("middle.conf")));
    rig.begin(rig.transfer(ConfigFileSet::InitialVideo, TransferMode::Upload));
    QTRY_COMPARE_WITH_TIMEOUT(rig.session->state(), ConfigTransferSession::State::AwaitingApply, kRunMs);
    QTRY_COMPARE_WITH_TIMEOUT(rig.receivedActions(), QList<int>{7}, 5000);
    QVERIFY(rig.session->visible());
    rig.session->sendRebootTick();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.session->visible(), 5000);
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Ok);
    QCOMPARE(rig.receivedActions(), QList<int>({7, 7}));
    QCOMPARE(rig.cameraState().value("last_apply").toObject().value("action").toInt(), 7);
}

void TestConfigFetchFaults::repliesOutsideTheWaitAreIgnored()
{
    FetchRig rig;
    QVERIFY2(rig.start({{"reply", "none"}}), qPrintable(rig.error()));
    QVERIFY(rig.writeLocal("ddns.conf", CamFiles::sample("ddns.conf")));
    const QByteArray mac = macBytes(FetchRig::kMac);

    rig.begin(rig.transfer(ConfigFileSet::Ddns, TransferMode::Upload));
    // A success answer while the files are still on their way is no answer to the apply.
    rig.endpoint.handleDatagram(rig.reply(0, mac), QHostAddress("127.0.0.71"));
    QCOMPARE(rig.session->state(), ConfigTransferSession::State::Transferring);
    QTRY_COMPARE_WITH_TIMEOUT(rig.session->state(), ConfigTransferSession::State::AwaitingApply, kRunMs);

    // Another camera's answer, and answers too short to carry a MAC.
    rig.endpoint.handleDatagram(rig.reply(0, macBytes("00:0A:1B:2C:3D:72")),
                                QHostAddress("127.0.0.72"));
    rig.endpoint.handleDatagram(rig.reply(0, mac).first(12), QHostAddress("127.0.0.71"));
    rig.endpoint.handleDatagram(rig.reply(2, macBytes("00:0A:1B:2C:3D:72")),
                                QHostAddress("127.0.0.72"));
    QCOMPARE(rig.session->state(), ConfigTransferSession::State::AwaitingApply);
    QVERIFY(rig.results.authFailures.isEmpty());
    QVERIFY(rig.messenger.shown().isEmpty());
    // A discovery reply of the camera itself goes on to the discovery handler.
    rig.endpoint.handleDatagram(rig.reply(Zora::ReplyDiscovery, mac), QHostAddress("127.0.0.71"));
    QCOMPARE(rig.session->state(), ConfigTransferSession::State::AwaitingApply);

    rig.endpoint.handleDatagram(rig.reply(0, mac), QHostAddress("127.0.0.71"));
    QVERIFY(!rig.session->visible());
    QCOMPARE(rig.session->modalResult(), ConfigTransferSession::Ok);
    QCOMPARE(rig.results.successes, QList<int>{0});
}

QTEST_GUILESS_MAIN(TestConfigFetchFaults)
#include "tst_config_fetch_faults.moc"

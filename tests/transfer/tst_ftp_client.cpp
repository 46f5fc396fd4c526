#include "ftp_server_helper.h"

#include "transfer/ftp_client.h"
#include "transfer/ftp_job.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

// The bound of a fetched camera file.
constexpr qint64 kFetchBound = qint64(1) << 20;

void configure(FtpClient &client, int port, bool passive = true, quint8 type = 0)
{
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(port);
    client.setUser(QLatin1StringView(FtpServerProcess::kUser));
    client.setPassword(QLatin1StringView(FtpServerProcess::kPassword));
    client.setPassive(passive);
    client.setTransferType(type);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray payload(int size)
{
    QByteArray bytes;
    bytes.reserve(size);
    for (int i = 0; i < size; ++i)
        bytes.append(char((i * 7 + i / 251) & 0xFF));
    return bytes;
}

int countStartingWith(const QStringList &lines, const QString &prefix)
{
    int n = 0;
    for (const QString &line : lines)
        n += line.startsWith(prefix) ? 1 : 0;
    return n;
}

} // namespace

class TestFtpClient final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void operations_data();
    void operations();
    void asciiUploadOfCrLfFile();
    void firmwareIsAlwaysBinary();
    void connectFailures_data();
    void connectFailures();
    void refusedNames_data();
    void refusedNames();
    void brokenRetrieveKeepsLocalFile();
    void retrieveNeverWritesThroughALink();
    void fetchStopsAtItsBound_data();
    void fetchStopsAtItsBound();
    void failedStoreLeavesCameraFile_data();
    void failedStoreLeavesCameraFile();
    void refusedRename();
    void storeIntoFolder();
    void plainNameHasNoFallback();
    void abortCutsTransfer_data();
    void abortCutsTransfer();
    void stalledTransferIsCut();
    void slowFinalReplyOfFirmwareStore();
    void jobOnWorkerThread();
};

void TestFtpClient::operations_data()
{
    QTest::addColumn<bool>("passive");
    QTest::addColumn<int>("type");
    QTest::newRow("passive binary") << true << 0;
    QTest::newRow("passive ascii") << true << 1;
    QTest::newRow("active binary") << false << 0;
    QTest::newRow("active ascii") << false << 1;
}

void TestFtpClient::operations()
{
    QFETCH(bool, passive);
    QFETCH(int, type);
    FtpServerProcess server;
    QVERIFY(server.start());
    QVERIFY(server.writeRootFile(QStringLiteral("etc/control_deamon/ptzd"), "x"));
    QTemporaryDir local;
    // ASCII copies keep LF ends locally; binary content goes through untouched.
    const QByteArray content = type ? QByteArray("[DDNS]\nENABLE=1\nHOST=cam\n")
                                    : payload(70000);
    const QString upload = local.filePath(QStringLiteral("ddns.conf"));
    const QString download = local.filePath(QStringLiteral("fetched.conf"));
    QVERIFY(writeFile(upload, content));

    FtpClient client;
    configure(client, server.port(), passive, quint8(type));
    QVERIFY2(client.connectToHost(), qPrintable(client.errorString()));
    QVERIFY2(client.store(upload, QStringLiteral("/etc/ddns.conf.tmp")),
             qPrintable(client.errorString()));
    QCOMPARE(server.readRootFile(QStringLiteral("etc/ddns.conf.tmp")), content);
    QVERIFY2(client.rename(QStringLiteral("/etc/ddns.conf.tmp"), QStringLiteral("/etc/ddns.conf")),
             qPrintable(client.errorString()));
    QVERIFY2(client.retrieve(QStringLiteral("/etc/ddns.conf"), download),
             qPrintable(client.errorString()));
    QCOMPARE(readFile(download), content);
    // A fetched camera file is for this user alone (it holds the camera's passwords).
    QCOMPARE(QFileInfo(download).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
             QFileDevice::Permissions());
    QVERIFY2(client.site(QStringLiteral("chmod 755 /etc/ddns.conf")),
             qPrintable(client.errorString()));
    QVERIFY(client.changeDirectory(QStringLiteral("etc")));
    QVERIFY(client.changeDirectory(QStringLiteral("control_deamon")));
    QStringList names;
    QVERIFY2(client.nameList(&names), qPrintable(client.errorString()));
    QCOMPARE(names, QStringList{QStringLiteral("ptzd")});
    QVERIFY2(client.remove(QStringLiteral("/etc/ddns.conf")), qPrintable(client.errorString()));
    QVERIFY(!QFile::exists(server.rootFile(QStringLiteral("etc/ddns.conf"))));
    QVERIFY(client.quit());

    const QStringList wire = server.commands();
    const QString typeLine = type ? QStringLiteral("TYPE A") : QStringLiteral("TYPE I");
    QCOMPARE(wire.mid(0, 2), (QStringList{QStringLiteral("USER admin"),
                                          QStringLiteral("PASS secret")}));
    QVERIFY(wire.contains(typeLine));
    QVERIFY(wire.contains(QStringLiteral("SYST")));
    QCOMPARE(countStartingWith(wire, passive ? QStringLiteral("PASV") : QStringLiteral("PORT")), 3);
    QCOMPARE(countStartingWith(wire, passive ? QStringLiteral("PORT") : QStringLiteral("PASV")), 0);
    QCOMPARE(countStartingWith(wire, QStringLiteral("EPSV")), 0);
    QCOMPARE(countStartingWith(wire, QStringLiteral("EPRT")), 0);
    QCOMPARE(countStartingWith(wire, QStringLiteral("CWD")), 2);
    for (const QString &line : {QStringLiteral("STOR /etc/ddns.conf.tmp"),
                                QStringLiteral("RNFR /etc/ddns.conf.tmp"),
                                QStringLiteral("RNTO /etc/ddns.conf"),
                                QStringLiteral("RETR /etc/ddns.conf"),
                                QStringLiteral("SITE chmod 755 /etc/ddns.conf"),
                                QStringLiteral("CWD etc"), QStringLiteral("CWD control_deamon"),
                                QStringLiteral("NLST"), QStringLiteral("DELE /etc/ddns.conf")})
        QVERIFY2(wire.contains(line), qPrintable(line + u'\n' + wire.join(u'\n')));
    QCOMPARE(wire.last(), QStringLiteral("QUIT"));
    QCOMPARE(wire.count(QStringLiteral("USER admin")), 1);   // one connection for the job

    QVERIFY(client.connectToHost());
    QVERIFY(!client.remove(QStringLiteral("/etc/ddns.conf")));
    QVERIFY2(client.errorString().contains(QStringLiteral("550")), qPrintable(client.errorString()));
    client.quit();
}

void TestFtpClient::asciiUploadOfCrLfFile()
{
    FtpServerProcess server;
    QVERIFY(server.start());
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("rc.server"));
    QVERIFY(writeFile(path, "a=1\r\nb=2\r\nlone\rcr\n"));
    FtpClient client;
    configure(client, server.port(), true, 1);
    QVERIFY(client.connectToHost());
    QVERIFY2(client.store(path, QStringLiteral("/etc/rc.server")), qPrintable(client.errorString()));
    QVERIFY(client.quit());
    // The server turns wire CR LF into LF; a doubled CR would survive as "\r\n".
    QCOMPARE(server.readRootFile(QStringLiteral("etc/rc.server")), QByteArray("a=1\nb=2\nlone\rcr\n"));
}

void TestFtpClient::firmwareIsAlwaysBinary()
{
    FtpServerProcess server;
    QVERIFY(server.start());
    QTemporaryDir local;
    const QByteArray image = "\x7f" "ELF\r\n\n\r" + payload(5000);
    const QString path = local.filePath(QStringLiteral("image.bin"));
    QVERIFY(writeFile(path, image));
    FtpClient client;
    configure(client, server.port(), true, 1);
    QVERIFY(client.connectToHost());
    FtpClient::StoreOptions binary;
    binary.forceBinary = true;
    QVERIFY2(client.store(path, QStringLiteral("flash"), binary), qPrintable(client.errorString()));
    QVERIFY(client.quit());
    QCOMPARE(server.readRootFile(QStringLiteral("flash")), image);
    const QStringList wire = server.commands();
    const qsizetype stor = wire.indexOf(QStringLiteral("STOR flash"));
    QVERIFY(stor > 0);
    QCOMPARE(wire.lastIndexOf(QStringLiteral("TYPE I"), stor) > wire.lastIndexOf(QStringLiteral("TYPE A"), stor), true);
}

void TestFtpClient::connectFailures_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");        // 0: the server's
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("errorPart");
    QTest::addColumn<bool>("reachesServer");
    const QString good = QLatin1StringView(FtpServerProcess::kPassword);
    const QString local = QStringLiteral("127.0.0.1");
    QTest::newRow("530 on login") << QStringList{QStringLiteral("login_530=1")} << local << 0 << good
                                  << QStringLiteral("530 Authentication failed.") << true;
    QTest::newRow("wrong password") << QStringList() << local << 0 << QStringLiteral("nope")
                                    << QStringLiteral("530") << true;
    QTest::newRow("no greeting") << QStringList{QStringLiteral("no_greeting=1")} << local << 0
                                 << good << QStringLiteral("Login failed") << true;
    QTest::newRow("late replies") << QStringList{QStringLiteral("late_reply=3")} << local << 0
                                  << good << QStringLiteral("Login failed") << true;
    QTest::newRow("nothing listening") << QStringList() << local << 1 << good
                                       << QStringLiteral("Login failed") << false;
    QTest::newRow("port 70000") << QStringList() << local << 70000 << good
                                << QStringLiteral("Invalid FTP port 70000") << false;
    QTest::newRow("port -1") << QStringList() << local << -1 << good
                             << QStringLiteral("Invalid FTP port") << false;
    QTest::newRow("outside loopback") << QStringList() << QStringLiteral("192.0.2.1") << 0 << good
                                      << QStringLiteral("ZORA_LOOPBACK_ONLY") << false;
    QTest::newRow("CR in password") << QStringList() << local << 0
                                    << QStringLiteral("secret\r\nDELE /etc/x") << QStringLiteral("line break")
                                    << false;
}

void TestFtpClient::connectFailures()
{
    QFETCH(QStringList, faults);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, password);
    QFETCH(QString, errorPart);
    QFETCH(bool, reachesServer);
    FtpServerProcess server(faults);
    QVERIFY(server.start());
    FtpClient client;
    configure(client, port ? port : server.port());
    client.setHost(host);
    client.setPassword(password);
    FtpClient::Limits limits;
    limits.replyMs = 500;
    client.setLimits(limits);
    FtpJob job(&client);
    job.addStore(QStringLiteral("/nonexistent"), QStringLiteral("x"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(job.run(), int(FtpOutcome::ConnectFailed));
    QVERIFY2(job.errorString().contains(errorPart), qPrintable(job.errorString()));
    QVERIFY2(clock.elapsed() < 5000, "a silent server must be cut by the reply limit");
    QVERIFY(!client.isConnected());
    if (!reachesServer)
        QVERIFY(server.commands().isEmpty());
}

void TestFtpClient::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("CR LF") << QStringLiteral("/etc/a\r\nDELE /etc/b");
    QTest::newRow("LF") << QStringLiteral("/etc/a\nDELE /etc/b");
    QTest::newRow("CR") << QStringLiteral("/etc/a\rDELE /etc/b");
    QTest::newRow("NUL") << QString(QStringLiteral("/etc/a") + QChar(u'\0') + QStringLiteral("b"));
}

void TestFtpClient::refusedNames()
{
    QFETCH(QString, name);
    FtpServerProcess server;
    QVERIFY(server.start());
    QVERIFY(server.writeRootFile(QStringLiteral("etc/b"), "keep"));
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("f"));
    QVERIFY(writeFile(path, "data"));
    FtpClient client;
    configure(client, server.port());
    QVERIFY(client.connectToHost());
    QVERIFY(!client.store(path, name));
    QVERIFY(!client.retrieve(name, path));
    QVERIFY(!client.remove(name));
    QVERIFY(!client.rename(name, QStringLiteral("/etc/c")));
    QVERIFY(!client.rename(QStringLiteral("/etc/c"), name));
    QVERIFY(!client.changeDirectory(name));
    QVERIFY(!client.site(name));
    QVERIFY(client.errorString().contains(QStringLiteral("line break or NUL")));
    QVERIFY(client.quit());
    QCOMPARE(server.readRootFile(QStringLiteral("etc/b")), QByteArray("keep"));
    QCOMPARE(server.commands(), (QStringList{QStringLiteral("USER admin"), QStringLiteral("PASS secret"),
                                             QStringLiteral("PWD"), QStringLiteral("TYPE I"),
                                             QStringLiteral("SYST"), QStringLiteral("QUIT")}));
}

void TestFtpClient::brokenRetrieveKeepsLocalFile()
{
    FtpServerProcess server({QStringLiteral("drop_after=1000")});
    QVERIFY(server.start());
    QVERIFY(server.writeRootFile(QStringLiteral("etc/general.conf"), payload(100000)));
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("general.conf"));
    QVERIFY(writeFile(path, "old copy"));
    FtpClient client;
    configure(client, server.port());
    FtpJob job(&client);
    job.addRetrieve(QStringLiteral("/etc/general.conf"), path);
    QCOMPARE(job.run(), int(FtpOutcome::TransferFailed));
    QCOMPARE(readFile(path), QByteArray("old copy"));
    QCOMPARE(QDir(local.path()).entryList(QDir::Files), QStringList{QStringLiteral("general.conf")});
}

void TestFtpClient::retrieveNeverWritesThroughALink()
{
    FtpServerProcess server;
    QVERIFY(server.start());
    QVERIFY(server.writeRootFile(QStringLiteral("etc/general.conf"), "from the camera"));
    QTemporaryDir local, outside;
    const QString target = outside.filePath(QStringLiteral("kept"));
    QVERIFY(writeFile(target, "outside"));
    const QString path = local.filePath(QStringLiteral("general.conf"));
    QVERIFY(QFile::link(target, path));
    FtpClient client;
    configure(client, server.port());
    FtpJob job(&client);
    job.addRetrieve(QStringLiteral("/etc/general.conf"), path);
    QCOMPARE(job.run(), int(FtpOutcome::TransferFailed));
    QCOMPARE(readFile(target), QByteArray("outside"));
}

void TestFtpClient::fetchStopsAtItsBound_data()
{
    const QString over = QStringLiteral(
        "\"/etc/ddns.conf\" on the camera is larger than 1 MiB; the fetch was stopped");
    QTest::addColumn<int>("type");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("error");
    // A binary fetch learns the size first (SIZE); an ASCII one only counts what comes.
    for (const int type : {0, 1}) {
        const char *mode = type ? "ascii" : "binary";
        QTest::addRow("%s, at the bound", mode) << type << kFetchBound << QString();
        QTest::addRow("%s, one byte over", mode) << type << kFetchBound + 1 << over;
        QTest::addRow("%s, 1.5 GiB", mode) << type << (qint64(3) << 29) << over;
    }
}

void TestFtpClient::fetchStopsAtItsBound()
{
    QFETCH(int, type);
    QFETCH(qint64, size);
    QFETCH(QString, error);
    FtpServerProcess server;
    QVERIFY(server.start());
    // Sparse: the server has a file of that size without the disk holding it.
    QFile big(server.rootFile(QStringLiteral("etc/ddns.conf")));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(size));
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("ddns.conf"));
    QVERIFY(writeFile(path, "old copy"));

    FtpClient client;
    configure(client, server.port(), true, quint8(type));
    QSignalSpy work(&client, &FtpClient::work);
    QVERIFY2(client.connectToHost(), qPrintable(client.errorString()));
    const bool ok = client.retrieve(QStringLiteral("/etc/ddns.conf"), path);
    client.quit();
    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(client.errorString(), error);
    // Stopped when the bound was passed, not once the whole file had come.
    if (!work.isEmpty())
        QVERIFY(work.last().at(1).toLongLong() <= kFetchBound);
    QCOMPARE(QFileInfo(path).size(), ok ? size : qint64(8));
    QCOMPARE(QDir(local.path()).entryList(QDir::Files), QStringList{QStringLiteral("ddns.conf")});
}

void TestFtpClient::failedStoreLeavesCameraFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("drop mid-STOR") << QStringLiteral("drop_after=1000") << QString();
    QTest::newRow("STOR 553") << QStringLiteral("stor_553=1") << QStringLiteral("553");
    QTest::newRow("disk full") << QStringLiteral("disk_full=1000") << QStringLiteral("452");
}

void TestFtpClient::failedStoreLeavesCameraFile()
{
    QFETCH(QString, fault);
    QFETCH(QString, errorPart);
    FtpServerProcess server({fault});
    QVERIFY(server.start());
    QVERIFY(server.writeRootFile(QStringLiteral("etc/ddns.conf"), "camera copy"));
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("ddns.conf"));
    QVERIFY(writeFile(path, payload(300000)));
    FtpClient client;
    configure(client, server.port());
    FtpJob job(&client);
    job.addStore(path, QStringLiteral("/etc/ddns.conf.tmp"));
    job.addReplace(QStringLiteral("/etc/ddns.conf.tmp"), QStringLiteral("/etc/ddns.conf"));
    QCOMPARE(job.run(), int(FtpOutcome::TransferFailed));
    QVERIFY2(job.errorString().contains(errorPart), qPrintable(job.errorString()));
    QCOMPARE(server.readRootFile(QStringLiteral("etc/ddns.conf")), QByteArray("camera copy"));
    QVERIFY(!server.commands().contains(QStringLiteral("DELE /etc/ddns.conf")));
}

void TestFtpClient::refusedRename()
{
    FtpServerProcess server({QStringLiteral("rnto_refused=1")});
    QVERIFY(server.start());
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("audio.conf"));
    QVERIFY(writeFile(path, "new"));
    FtpClient client;
    configure(client, server.port());
    FtpJob job(&client);
    job.addStore(path, QStringLiteral("/etc/audio.conf.tmp"));
    job.addReplace(QStringLiteral("/etc/audio.conf.tmp"), QStringLiteral("/etc/audio.conf"));
    QCOMPARE(job.run(), int(FtpOutcome::TransferFailed));
    QVERIFY2(job.errorString().contains(QStringLiteral("553 Rename refused.")),
             qPrintable(job.errorString()));
    // No earlier copy: the DELE's 550 did not stop the job before the rename.
    const QStringList wire = server.commands();
    QVERIFY(wire.contains(QStringLiteral("DELE /etc/audio.conf")));
    QVERIFY(wire.contains(QStringLiteral("RNTO /etc/audio.conf")));
}

void TestFtpClient::storeIntoFolder()
{
    FtpServerProcess server;
    QVERIFY(server.start());
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("pelco_d"));
    QVERIFY(writeFile(path, "daemon"));
    FtpClient client;
    configure(client, server.port());
    FtpJob job(&client);
    job.addStoreInto(path, QStringLiteral("/etc/control_deamon/"));
    job.addSiteOnStored(QStringLiteral("chmod 755 "));
    job.addChangeDirectory(QStringLiteral("etc"));
    job.addChangeDirectory(QStringLiteral("control_deamon"));
    job.addNameList();
    QCOMPARE(job.run(), int(FtpOutcome::Done));
    QCOMPARE(job.storedPath(), QStringLiteral("/etc/control_deamon/pelco_d"));
    QCOMPARE(job.listing(), QStringList{QStringLiteral("pelco_d")});
    QCOMPARE(server.readRootFile(QStringLiteral("etc/control_deamon/pelco_d")), QByteArray("daemon"));
    QVERIFY(server.commands().contains(QStringLiteral("SITE chmod 755 /etc/control_deamon/pelco_d")));
    QCOMPARE(FtpJob::fallbackName(QStringLiteral("/d/"), QStringLiteral("C:\\x\\y.bin")),
             QStringLiteral("/d/y.bin"));
}

void TestFtpClient::plainNameHasNoFallback()
{
    FtpServerProcess server({QStringLiteral("stor_553=1")});
    QVERIFY(server.start());
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("ddns.conf"));
    QVERIFY(writeFile(path, "x"));
    FtpClient client;
    configure(client, server.port());
    FtpJob job(&client);
    job.addStoreInto(path, QStringLiteral("/etc/ddns.conf.tmp"));
    QCOMPARE(job.run(), int(FtpOutcome::TransferFailed));
    QCOMPARE(countStartingWith(server.commands(), QStringLiteral("STOR")), 1);
}

void TestFtpClient::abortCutsTransfer_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("passive");
    QTest::addColumn<int>("outcome");
    QTest::newRow("slow store, passive") << QStringLiteral("slow_data=4000") << true << 1;
    QTest::newRow("slow store, active") << QStringLiteral("slow_data=4000") << false << 1;
    QTest::newRow("silent server") << QStringLiteral("no_greeting=1") << true << 2;
}

void TestFtpClient::abortCutsTransfer()
{
    QFETCH(QString, fault);
    QFETCH(bool, passive);
    QFETCH(int, outcome);
    FtpServerProcess server({fault});
    QVERIFY(server.start());
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("flash"));
    QVERIFY(writeFile(path, payload(2000000)));
    auto client = std::make_unique<FtpClient>();
    configure(*client, server.port(), passive);
    FtpJob job(client.get());
    job.addStore(path, QStringLiteral("flash"));
    QSignalSpy finished(&job, &FtpJob::finished);
    QSignalSpy status(client.get(), &FtpClient::status);
    // The spies live until the worker has ended: it emits on its own thread, straight
    // into them.
    QSignalSpy work(client.get(), &FtpClient::work);
    QThread *worker = QThread::create([&job] { job.run(); });
    worker->start();
    if (outcome == 1) {
        QVERIFY(work.wait(10000));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty(), 10000);
    }
    QElapsedTimer clock;
    clock.start();
    client->abort();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    QVERIFY2(clock.elapsed() < 1500, "abort must not wait for a libcurl tick");
    QCOMPARE(finished.at(0).at(0).toInt(), outcome);
    QVERIFY(finished.at(0).at(1).toString().contains(QStringLiteral("aborted")));
    QVERIFY(worker->wait(5000));
    delete worker;
}

void TestFtpClient::stalledTransferIsCut()
{
    FtpServerProcess server({QStringLiteral("slow_data=100")});
    QVERIFY(server.start());
    QVERIFY(server.writeRootFile(QStringLiteral("etc/middle.conf"), payload(20000)));
    QTemporaryDir local;
    FtpClient client;
    configure(client, server.port());
    FtpClient::Limits limits;
    limits.stallSeconds = 1;
    limits.stallBytesPerSecond = 1000;
    client.setLimits(limits);
    FtpJob job(&client);
    job.addRetrieve(QStringLiteral("/etc/middle.conf"), local.filePath(QStringLiteral("m")));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(job.run(), int(FtpOutcome::TransferFailed));
    QVERIFY2(clock.elapsed() < 8000, qPrintable(job.errorString()));
    QVERIFY(!QFile::exists(local.filePath(QStringLiteral("m"))));
}

void TestFtpClient::slowFinalReplyOfFirmwareStore()
{
    FtpServerProcess server({QStringLiteral("late_final=2")});
    QVERIFY(server.start());
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("image"));
    QVERIFY(writeFile(path, payload(1000)));
    FtpClient client;
    configure(client, server.port());
    FtpClient::Limits limits;
    limits.replyMs = 1000;
    limits.stallSeconds = 1;
    client.setLimits(limits);
    QVERIFY(client.connectToHost());
    QVERIFY(!client.store(path, QStringLiteral("flash")));
    QVERIFY(client.errorString().contains(QStringLiteral("Store failed")));
    client.quit();

    QVERIFY(client.connectToHost());
    FtpClient::StoreOptions firmware;
    firmware.forceBinary = true;
    firmware.finalReplyMs = 5000;
    QVERIFY2(client.store(path, QStringLiteral("flash_all"), firmware), qPrintable(client.errorString()));
    QVERIFY(client.quit());
}

// The shape the upload workers use: the job runs on its own thread; progress and the
// outcome reach an object on the test's thread through queued connections.
void TestFtpClient::jobOnWorkerThread()
{
    FtpServerProcess server;
    QVERIFY(server.start());
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("title.js"));
    const int size = 300000;
    QVERIFY(writeFile(path, payload(size)));
    FtpClient client;
    configure(client, server.port());
    FtpJob job(&client);
    job.addStore(path, QStringLiteral("/etc/html/title.js"));   // no such folder on the server
    QVERIFY(QDir(server.root()).mkpath(QStringLiteral("etc/html")));
    job.setQuitErrors(FtpJob::QuitErrors::Ignore);

    QObject receiver;
    QList<qint64> begun, done;
    int ended = 0;
    int outcome = -1;
    Qt::HANDLE receivedOn = nullptr;
    connect(&client, &FtpClient::workBegin, &receiver,
            [&](FtpClient::Direction d, qint64 total) {
                QCOMPARE(d, FtpClient::Direction::Write);
                begun << total;
            });
    connect(&client, &FtpClient::work, &receiver,
            [&](FtpClient::Direction, qint64 n) { done << n; });
    connect(&client, &FtpClient::workEnd, &receiver, [&](FtpClient::Direction) { ++ended; });
    connect(&job, &FtpJob::finished, &receiver, [&](int code, const QString &) {
        outcome = code;
        receivedOn = QThread::currentThreadId();
    });
    QThread *worker = QThread::create([&job] { job.run(); });
    worker->start();
    QTRY_COMPARE_WITH_TIMEOUT(outcome, 0, 15000);
    QVERIFY(worker->wait(5000));
    delete worker;
    QCOMPARE(receivedOn, QThread::currentThreadId());
    QCOMPARE(begun, QList<qint64>{size});
    QCOMPARE(ended, 1);
    QVERIFY(!done.isEmpty());
    QCOMPARE(done.last(), qint64(size));
    QVERIFY(std::is_sorted(done.begin(), done.end()));
    QCOMPARE(server.readRootFile(QStringLiteral("etc/html/title.js")), payload(size));
}

QTEST_GUILESS_MAIN(TestFtpClient)
#include "tst_ftp_client.moc"

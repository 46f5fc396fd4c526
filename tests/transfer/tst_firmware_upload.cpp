// The upload worker against a real FTP server, and the progress window's logic driven
// notice by notice and tick by tick: what a camera that answers late, never, or refuses
// the image leads to.
#include "ftp_server_helper.h"

#include "transfer/firmware_upload_session.h"
#include "transfer/flash_thread.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray image(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 13 + i / 4093) & 0xFF);
    return bytes;
}

QString writeTemp(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

FtpConnection connection(int port, quint8 type = 0)
{
    FtpConnection c;
    c.host = QStringLiteral("127.0.0.1");
    c.port = port;
    c.user = QLatin1StringView(FtpServerProcess::kUser);
    c.password = QLatin1StringView(FtpServerProcess::kPassword);
    c.transferType = type;
    c.limits.replyMs = 1500;
    return c;
}

using Phase = FirmwareUploadSession::Phase;

QString phaseName(const FirmwareUploadSession &s)
{
    switch (s.phase()) {
    case Phase::Hidden: return QStringLiteral("closed%1").arg(int(s.result()));
    case Phase::Connecting: return QStringLiteral("connecting");
    case Phase::Preparing: return QStringLiteral("preparing");
    case Phase::Uploading: return QStringLiteral("uploading");
    case Phase::Clearing: return QStringLiteral("clearing");
    case Phase::Writing: return QStringLiteral("writing");
    case Phase::Restarting: return QStringLiteral("restarting");
    }
    return QString();
}

} // namespace

class TestFirmwareUpload : public QObject
{
    Q_OBJECT

private slots:
    void imageCheck_data();
    void imageCheck();
    void windowPhases_data();
    void windowPhases();
    void staleNotices();
    void worker_data();
    void worker();
    void abortWaitsForCameraAnswer();
    void imageShrinkingDuringUpload();
};

void TestFirmwareUpload::imageCheck_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("valid");
    QTest::newRow("short") << kFlashImageSize - 1 << false;
    QTest::newRow("exact") << kFlashImageSize << true;
    QTest::newRow("long") << kFlashImageSize + 1 << false;
    QTest::newRow("empty") << qint64(0) << false;
    QTest::newRow("missing") << qint64(-1) << false;
}

void TestFirmwareUpload::imageCheck()
{
    QFETCH(qint64, size);
    QFETCH(bool, valid);
    QTemporaryDir dir;
    const QString path = size < 0 ? dir.filePath("none") : writeTemp(dir, "img", QByteArray(size, '\0'));
    QCOMPARE(FlashImageValid(path), valid);
}

void TestFirmwareUpload::windowPhases_data()
{
    // Each step is a notice or a number of ticks, followed by the phase it leaves.
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("kernel answered at 30 s: restart wait, then done")
        << 1 << QStringList{"login:preparing", "bytes:uploading", "end:clearing", "300:clearing",
                            "done:restarting", "199:restarting", "1:closed1"};
    QTest::newRow("kernel never answers: writing at half, failed at the end")
        << 1 << QStringList{"end:clearing", "324:clearing", "1:writing", "324:writing", "1:closed2"};
    QTest::newRow("everything: 90 s") << 0 << QStringList{"end:clearing", "449:clearing", "1:writing",
                                                         "449:writing", "1:closed2"};
    QTest::newRow("picture closes on the camera's answer, not at its last byte")
        << 2 << QStringList{"bytes:uploading", "end:uploading", "100:uploading", "done:closed1"};
    QTest::newRow("login refused") << 1 << QStringList{"connect:closed2"};
    QTest::newRow("store refused") << 1 << QStringList{"login:preparing", "end:clearing", "store:closed3"};
    QTest::newRow("file gone") << 1 << QStringList{"missing:closed4"};
    QTest::newRow("image changed since it was chosen") << 0 << QStringList{"invalid:closed4"};
}

void TestFirmwareUpload::windowPhases()
{
    QFETCH(int, kind);
    QFETCH(QStringList, steps);
    QTemporaryDir dir;
    FirmwareUploadSession session;
    FlashJob job;
    // The worker finds no file and ends at once; its notice stays queued, since the
    // test never returns to the event loop.
    job.localFile = dir.filePath("none");
    job.connection.host = QStringLiteral("127.0.0.1");
    session.show(job, FirmwareUploadSession::Kind(kind));
    QCOMPARE(phaseName(session), QString("connecting"));
    const quint64 run = session.runId();
    for (const QString &step : steps) {
        const QString what = step.section(u':', 0, 0);
        TransferResult r;
        if (what == "login") {
            session.WMLoggedIn(run);
        } else if (what == "bytes") {
            session.WMProgress(run, 1000, kFlashImageSize);
            QCOMPARE(session.progressMaximum(), int(kFlashImageSize));
            QCOMPARE(session.progressPosition(), 1000);
        } else if (what == "end") {
            session.WMUploadEnd(run);
        } else if (what[0].isDigit()) {
            for (int i = what.toInt(); i > 0; --i)
                session.UploadEndTimerTimer();
        } else {
            const QHash<QString, TransferResult::Outcome> outcomes{
                {"done", TransferResult::Outcome::Done},
                {"connect", TransferResult::Outcome::ConnectFailed},
                {"store", TransferResult::Outcome::TransferFailed},
                {"missing", TransferResult::Outcome::LocalFileMissing},
                {"invalid", TransferResult::Outcome::InvalidImage}};
            QVERIFY2(outcomes.contains(what), qPrintable(what));
            r.outcome = outcomes.value(what);
            session.WMThreadDone(run, r);
        }
        QCOMPARE(phaseName(session) + " after " + step, step.section(u':', 1) + " after " + step);
    }
    const QHash<QString, FirmwareUploadSession::Notice> notices{
        {"connect:closed2", FirmwareUploadSession::Notice::LoginFailed},
        {"store:closed3", FirmwareUploadSession::Notice::StoreFailed},
        {"missing:closed4", FirmwareUploadSession::Notice::FileMissing},
        {"invalid:closed4", FirmwareUploadSession::Notice::InvalidImage}};
    QCOMPARE(session.notice(), notices.value(steps.last(), FirmwareUploadSession::Notice::None));
    QVERIFY(!session.timerActive());
}

void TestFirmwareUpload::staleNotices()
{
    QTemporaryDir dir;
    FirmwareUploadSession session;
    FlashJob job;
    job.localFile = dir.filePath("none");
    session.show(job, FirmwareUploadSession::KernelOnly);
    const quint64 run = session.runId();
    TransferResult failed;
    failed.outcome = TransferResult::Outcome::ConnectFailed;
    session.WMThreadDone(run + 1, failed);
    session.WMUploadEnd(run - 1);
    QCOMPARE(session.phase(), Phase::Connecting);
    session.WMUploadEnd(run);
    for (int i = 0; i < FirmwareUploadSession::kKernelTicks; ++i)
        session.UploadEndTimerTimer();
    QCOMPARE(session.result(), FirmwareUploadSession::Failed);
    // The camera's late answer reaches a closed window: nothing changes.
    session.WMThreadDone(run, TransferResult());
    session.UploadEndTimerTimer();
    QCOMPARE(session.phase(), Phase::Hidden);
    QCOMPARE(session.result(), FirmwareUploadSession::Failed);
}

void TestFirmwareUpload::worker_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("firmware");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("wire");   // a command the server must have seen, or "" for none
    using O = TransferResult::Outcome;
    QTest::newRow("image, camera set to ASCII: binary anyway")
        << QStringList() << true << kFlashImageSize << int(O::Done) << "TYPE I";
    QTest::newRow("picture, camera set to ASCII") << QStringList() << false << qint64(70000)
                                                  << int(O::Done) << "TYPE A";
    QTest::newRow("cut at 1 MiB") << QStringList{"drop_after=1048576"} << true << kFlashImageSize
                                  << int(O::TransferFailed) << "STOR flash";
    QTest::newRow("store refused") << QStringList{"stor_553=1"} << true << kFlashImageSize
                                   << int(O::TransferFailed) << "STOR flash";
    QTest::newRow("login refused") << QStringList{"login_530=1"} << true << kFlashImageSize
                                   << int(O::ConnectFailed) << "PASS secret";
    QTest::newRow("server never greets") << QStringList{"no_greeting=1"} << true << kFlashImageSize
                                         << int(O::ConnectFailed) << "";
    QTest::newRow("image of the wrong size: nothing sent")
        << QStringList() << true << kFlashImageSize - 1 << int(O::InvalidImage) << "";
    QTest::newRow("file gone: nothing sent") << QStringList() << true << qint64(-1)
                                             << int(O::LocalFileMissing) << "";
}

void TestFirmwareUpload::worker()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, firmware);
    QFETCH(qint64, size);
    QFETCH(int, outcome);
    QFETCH(QString, wire);
    FtpServerProcess server(faults);
    QVERIFY(server.start());
    QVERIFY(QDir(server.root()).mkpath("etc/html"));
    QTemporaryDir dir;
    const QByteArray bytes = image(qMax<qint64>(size, 0));
    const QString path = size < 0 ? dir.filePath("gone") : writeTemp(dir, "fimage", bytes);
    const FtpConnection c = connection(server.port(), 1);
    const FlashJob job = firmware ? FlashJob::firmwareImage(c, path, true)
                                  : FlashJob::picture(c, path, "/etc/html/a_top.jpg");
    TFlashThread worker(1, job);
    QSignalSpy progress(&worker, &TFlashThread::progress);
    QSignalSpy ends(&worker, &TFlashThread::uploadEnd);
    // Run on this thread, as the command-line tool does: the signals come straight.
    const TransferResult result = worker.run();
    QCOMPARE(int(result.outcome), outcome);

    const QStringList commands = server.commands();
    if (wire.isEmpty())
        QVERIFY2(!commands.contains("USER admin"), qPrintable(commands.join(" | ")));
    else
        QVERIFY2(commands.contains(wire), qPrintable(commands.join(" | ")));
    if (result.ok()) {
        QCOMPARE(ends.size(), 1);
        QCOMPARE(progress.last().at(1).toLongLong(), size);
        QCOMPARE(progress.last().at(2).toLongLong(), size);
        qint64 last = -1;
        for (const QList<QVariant> &p : progress) {
            QVERIFY(p.at(1).toLongLong() > last);
            last = p.at(1).toLongLong();
        }
        if (firmware)
            QCOMPARE(server.readRootFile("flash"), bytes);
    } else if (faults.filter("drop_after").isEmpty()) {
        QCOMPARE(ends.size(), 0);
    } else {
        // All of the image may already sit in the socket buffers when the server cuts:
        // the last byte was handed over, the store still failed.
        QVERIFY(ends.size() <= 1);
    }
    if (faults.contains("stor_553=1"))
        QVERIFY2(result.lastReply.startsWith("553"), qPrintable(result.lastReply));
}

void TestFirmwareUpload::abortWaitsForCameraAnswer()
{
    // The camera answers a second after the last byte; an abort asked for meanwhile
    // waits for that answer instead of cutting off a camera writing its flash.
    FtpServerProcess server({QStringLiteral("late_final=1")});
    QVERIFY(server.start());
    QTemporaryDir dir;
    const QString path = writeTemp(dir, "fimage", image(kFlashImageSize));
    FlashJob job = FlashJob::firmwareImage(connection(server.port()), path, false);
    job.finalReplyMs = 10000;
    TFlashThread worker(1, job);
    connect(&worker, &TFlashThread::uploadEnd, &worker, [&worker] { worker.requestAbort(); },
            Qt::DirectConnection);
    const TransferResult result = worker.run();
    QVERIFY2(result.ok(), qPrintable(result.errorText));
    QCOMPARE(server.readRootFile("flash_all").size(), kFlashImageSize);
}

void TestFirmwareUpload::imageShrinkingDuringUpload()
{
    // The image is cut short while it is being sent: the camera got less than it was
    // told, and that is a failed store, never an upload that counts as done.
    FtpServerProcess server;
    QVERIFY(server.start());
    QTemporaryDir dir;
    const QString path = writeTemp(dir, "fimage", image(kFlashImageSize));
    TFlashThread worker(1, FlashJob::firmwareImage(connection(server.port()), path, true));
    bool cut = false;
    // Cut when the store begins, after the size was told.
    connect(&worker, &TFlashThread::progress, &worker, [&](quint64, qint64 done, qint64) {
        if (!cut && done == 0)
            cut = QFile::resize(path, 100000);
    }, Qt::DirectConnection);
    QSignalSpy ends(&worker, &TFlashThread::uploadEnd);
    const TransferResult result = worker.run();
    QVERIFY(cut);
    QCOMPARE(result.outcome, TransferResult::Outcome::TransferFailed);
    QCOMPARE(ends.size(), 0);
}

QTEST_GUILESS_MAIN(TestFirmwareUpload)
#include "tst_firmware_upload.moc"

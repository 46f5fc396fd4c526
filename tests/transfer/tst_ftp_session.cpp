#include "ftp_server_helper.h"

#include "transfer/ftp_client.h"
#include "transfer/ftp_job.h"
#include "transfer/ftp_session.h"
#include "transfer/transfer_worker.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A job as the configuration pages make them: a fetch, or a fetch and the daemon
// folder's listing, which moves the session into that folder.
class FetchWorker final : public TransferWorker
{
public:
    FetchWorker(const FtpConnection &connection, QString remote, QString local, bool listing,
                bool trusted = false)
        : TransferWorker(1, connection)
        , m_remote(std::move(remote))
        , m_local(std::move(local))
        , m_listing(listing)
        , m_trusted(trusted)
    {
    }

protected:
    bool leavesCameraRunning() const override { return m_trusted; }
    void build(FtpJob &job, FtpClient &) override
    {
        job.addRetrieve(m_remote, m_local);
        if (m_listing) {
            job.addChangeDirectory(QStringLiteral("etc"));
            job.addChangeDirectory(QStringLiteral("control_deamon"));
            job.addNameList();
        }
    }

private:
    const QString m_remote;
    const QString m_local;
    const bool m_listing;
    const bool m_trusted;
};

FtpConnection connectionTo(int port)
{
    FtpConnection c;
    c.host = QStringLiteral("127.0.0.1");
    c.port = port;
    c.user = QLatin1StringView(FtpServerProcess::kUser);
    c.password = QLatin1StringView(FtpServerProcess::kPassword);
    return c;
}

int countOf(const QStringList &lines, const QString &line)
{
    return int(lines.count(line));
}

} // namespace

class TestFtpSession final : public QObject
{
    Q_OBJECT

private slots:
    void jobsShareOneLogin_data();
    void jobsShareOneLogin();
    void closeQuitsTheLogin();
};

// Each row runs three jobs on one session; `fail` names the job (1-based) that fetches a
// file the server does not have, `binaryFrom` the job from which the session's transfer
// type differs.
void TestFtpSession::jobsShareOneLogin_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("listing");
    QTest::addColumn<int>("fail");
    QTest::addColumn<int>("typeChangesAt");
    QTest::addColumn<int>("logins");
    QTest::addColumn<int>("reopened");
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<int>("probes");

    QTest::newRow("three jobs") << QStringList() << false << 0 << 0 << 1 << 0 << false << 2;
    QTest::newRow("fetches right after fetches go unprobed")
        << QStringList() << false << 0 << 0 << 1 << 0 << true << 0;
    QTest::newRow("listings go back to the login folder")
        << QStringList() << true << 0 << 0 << 1 << 0 << true << 0;
    QTest::newRow("a failed job quits, the next logs in")
        << QStringList() << false << 2 << 0 << 2 << 0 << false << 1;
    QTest::newRow("other settings log in afresh") << QStringList() << false << 0 << 3 << 2 << 0 << false << 1;
    QTest::newRow("server closes after each transfer")
        << QStringList{QStringLiteral("close_after_transfer=1")} << false << 0 << 0 << 3 << 2 << false << -1;
}

void TestFtpSession::jobsShareOneLogin()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, listing);
    QFETCH(int, fail);
    QFETCH(int, typeChangesAt);
    QFETCH(int, logins);
    QFETCH(int, reopened);
    QFETCH(bool, trusted);
    QFETCH(int, probes);

    FtpServerProcess server(faults);
    QVERIFY(server.start());
    QVERIFY(server.writeRootFile(QStringLiteral("etc/general.conf"), "[GENERAL]\nNAME=cam\n"));
    QVERIFY(server.writeRootFile(QStringLiteral("etc/control_deamon/ptzd"), "x"));
    QTemporaryDir local;
    auto session = std::make_shared<FtpSession>();
    int closedNotes = 0;

    for (int job = 1; job <= 3; ++job) {
        FtpConnection c = connectionTo(server.port());
        if (typeChangesAt && job >= typeChangesAt)
            c.transferType = 1;
        const QString remote = job == fail ? QStringLiteral("/etc/missing.conf")
                                           : QStringLiteral("/etc/general.conf");
        const QString target = local.filePath(QStringLiteral("general.conf.%1").arg(job));
        FetchWorker worker(c, remote, target, listing, trusted);
        worker.setSession(session);
        // The status lines of a kept client come from the client the session lends.
        std::unique_ptr<FtpClient> peek = session->take(c);
        if (peek) {
            connect(peek.get(), &FtpClient::status, this, [&closedNotes](const QString &text) {
                closedNotes += text.contains(QStringLiteral("was closed")) ? 1 : 0;
            });
            session->giveBack(std::move(peek), c, trusted);
        }
        const TransferResult result = worker.run();
        if (job == fail) {
            QCOMPARE(result.outcome, TransferResult::Outcome::TransferFailed);
            QVERIFY2(result.errorText.startsWith(QStringLiteral("Retrieve failed")),
                     qPrintable(result.errorText));
            continue;
        }
        QVERIFY2(result.ok(), qPrintable(QStringLiteral("job %1: %2").arg(job).arg(result.errorText)));
        QFile fetched(target);
        QVERIFY(fetched.open(QIODevice::ReadOnly));
        QCOMPARE(fetched.readAll(), QByteArray("[GENERAL]\nNAME=cam\n"));
        if (listing)
            QCOMPARE(result.listing, QStringList{QStringLiteral("ptzd")});
    }

    const QStringList wire = server.commands();
    QCOMPARE(countOf(wire, QStringLiteral("USER admin")), logins);
    QCOMPARE(closedNotes, reopened);
    if (probes >= 0)
        QCOMPARE(countOf(wire, QStringLiteral("NOOP")), probes);
    if (listing)
        QCOMPARE(countOf(wire, QStringLiteral("NLST")), 3);
}

void TestFtpSession::closeQuitsTheLogin()
{
    FtpServerProcess server;
    QVERIFY(server.start());
    QVERIFY(server.writeRootFile(QStringLiteral("etc/general.conf"), "x"));
    QTemporaryDir local;
    auto session = std::make_shared<FtpSession>();
    const FtpConnection c = connectionTo(server.port());
    FetchWorker first(c, QStringLiteral("/etc/general.conf"), local.filePath(QStringLiteral("a")), false);
    first.setSession(session);
    QVERIFY(first.run().ok());
    QCOMPARE(countOf(server.commands(), QStringLiteral("QUIT")), 0);

    QObject context;
    bool done = false;
    session->close(&context, [&done] { done = true; });
    QTRY_VERIFY(done);
    QCOMPARE(countOf(server.commands(), QStringLiteral("QUIT")), 1);
    QVERIFY(!session->isOpen());

    // A job that ends after the close keeps nothing: its login is quit at once.
    FetchWorker late(c, QStringLiteral("/etc/general.conf"), local.filePath(QStringLiteral("b")), false);
    late.setSession(session);
    QVERIFY(late.run().ok());
    const QStringList wire = server.commands();
    QCOMPARE(countOf(wire, QStringLiteral("USER admin")), 2);
    QCOMPARE(countOf(wire, QStringLiteral("QUIT")), 2);
}

QTEST_GUILESS_MAIN(TestFtpSession)
#include "tst_ftp_session.moc"

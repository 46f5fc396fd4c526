// A job's board: how each camera's ending reads, what the window holds back while a camera
// waits or is in flight, and the results as a script reads them.
#include "site/camera_outcome.h"
#include "site/job_board.h"
#include "site/result_export.h"

#include <QTest>

class TestJobBoard : public QObject
{
    Q_OBJECT

private slots:
    void endings_data();
    void endings();
    void holdsUntilItsPartIsDone();
    void csvQuotesWhatNeedsIt();
};

void TestJobBoard::endings_data()
{
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("state");
    QTest::newRow("updated") << "updated" << int(CameraOutcome::Ok) << int(JobBoard::State::Done);
    QTest::newRow("as planned") << "as planned" << int(CameraOutcome::Ok) << int(JobBoard::State::Done);
    QTest::newRow("refused login") << "authentication failed" << int(CameraOutcome::AuthFailed)
                                   << int(JobBoard::State::Failed);
    QTest::newRow("not back") << "not back" << int(CameraOutcome::NotBack) << int(JobBoard::State::Failed);
    QTest::newRow("stopped") << "not started" << int(CameraOutcome::Stopped) << int(JobBoard::State::Skipped);
    QTest::newRow("skipped by a canary") << "skipped" << int(CameraOutcome::Error) << int(JobBoard::State::Skipped);
    QTest::newRow("missing from the plan's scan") << "missing" << int(CameraOutcome::Error)
                                                  << int(JobBoard::State::Skipped);
}

void TestJobBoard::endings()
{
    QFETCH(QString, verdict);
    QFETCH(int, status);
    QFETCH(int, state);
    JobBoard board;
    board.begin("firmware update", {{"00:0A:1B:00:00:01", "a"}, {"00:0A:1B:00:00:02", "b"}});
    board.started("00:0A:1B:00:00:01");
    BatchResult r;
    r.mac = "00:0A:1B:00:00:01";
    r.verdict = verdict;
    r.text = "why\nin two lines";
    r.status = status;
    board.ended(r);
    QCOMPARE(int(board.state(r.mac)), state);
    // The row reads on one line; a camera the run never reached is skipped at the end.
    QVERIFY(!board.data(board.index(0, JobBoard::ColDetail)).toString().contains('\n'));
    board.finish({r});
    QCOMPARE(int(board.state("00:0A:1B:00:00:02")), int(JobBoard::State::Skipped));
    QCOMPARE(board.results().size(), 2);
    QCOMPARE(board.results().last().status, int(CameraOutcome::Stopped));
}

void TestJobBoard::holdsUntilItsPartIsDone()
{
    JobBoard board;
    const QString a = "00:0A:1B:00:00:01", other = "00:0A:1B:00:00:09";
    board.begin("backup", {{a, "a"}});
    QCOMPARE(board.busyText(a), QString("in a job: backup"));
    QVERIFY(board.busyText(other).isEmpty());
    board.started(a);
    QVERIFY(board.holds(a));
    BatchResult r;
    r.mac = a;
    r.verdict = "success";
    board.ended(r);
    QVERIFY(!board.holds(a));
    QCOMPARE(board.totals(), QString("backup: 1 of 1 done"));
    board.finish({r});
    QCOMPARE(board.totals(), QString("backup: 1 of 1 done; over"));
}

void TestJobBoard::csvQuotesWhatNeedsIt()
{
    BatchResult r;
    r.mac = "00:0A:1B:00:00:01";
    r.verdict = "refused";
    r.address = "127.0.0.1";
    r.text = "ddns: \"id\", too long\nsee the page";
    r.status = 2;
    QCOMPARE(ResultExport::csv({r}), QByteArray("mac,result,address,message,status,sent\n"
                                                "00:0A:1B:00:00:01,refused,127.0.0.1,"
                                                "\"ddns: \"\"id\"\", too long\nsee the page\",2,false\n"));
}

QTEST_GUILESS_MAIN(TestJobBoard)
#include "tst_job_board.moc"

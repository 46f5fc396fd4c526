// zoractl watch as a service runs it: events a JSON line each as they happen, metrics
// scraped while it runs, SIGTERM ending it with the state written, and a restart from
// that state announcing nothing that did not change.
#include "zoractl_helper.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>

namespace {

const QHash<QString, QString> kFastClock{{"ZORACTL_CLOCK_MS", "50"}};

// Everything the process wrote so far on standard output (out) and error (err).
struct Watched {
    QProcess process;
    QByteArray out;
    QByteArray err;
    void take()
    {
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
    }
};

} // namespace

class TestWatchE2E : public QObject
{
    Q_OBJECT

private slots:
    void eventsStateAndMetrics();
    void refusedOptions_data();
    void refusedOptions();
};

void TestWatchE2E::eventsStateAndMetrics()
{
    CamSimProcess sim;
    const QJsonArray fleet = {
        QJsonObject{{"id", "a"}, {"mac", "00:0A:1B:2C:3D:01"}, {"ip", "127.0.0.41"}, {"host_name", "gate\x1b[2J"}},
        QJsonObject{{"id", "b"}, {"mac", "00:0A:1B:2C:3D:02"}, {"ip", "127.0.0.42"}, {"model", 1},
                    {"model_name", "L60"}},
    };
    QVERIFY2(sim.start(fleet), qPrintable(sim.errorString()));
    Tool tool(sim);
    const QString state = tool.path("site.json");
    const QStringList args{"watch", "--interval", "1", "--state", state};

    Watched first;
    tool.start(first.process, args + QStringList{"--metrics", "127.0.0.1:0"}, kFastClock);
    QTRY_VERIFY2_WITH_TIMEOUT((first.take(), first.out.count('\n') >= 2), QByteArray(first.out + first.err).constData(), 10000);
    QMap<QString, QJsonObject> byMac;
    for (const QByteArray &line : first.out.split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        byMac.insert(o.value("mac").toString(), o);
    }
    QCOMPARE(byMac.keys(), (QStringList{"00:0A:1B:2C:3D:01", "00:0A:1B:2C:3D:02"}));
    const QJsonObject a = byMac.first();
    QCOMPARE(a.value("event").toString(), QString("appeared"));
    QCOMPARE(a.value("address").toString(), QString("127.0.0.41"));
    QCOMPARE(a.value("host").toString(), QString("gate\x1b[2J"));
    QCOMPARE(byMac.last().value("model").toString(), QString("L60"));
    QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$").match(a.value("time").toString()).hasMatch());
    QVERIFY(a.contains("adapter"));

    // A scrape while it runs.
    const QRegularExpressionMatch port =
        QRegularExpression("metrics at http://127.0.0.1:(\\d+)/metrics").match(QString::fromUtf8(first.err));
    QVERIFY2(port.hasMatch(), first.err.constData());
    QTcpSocket scrape;
    QByteArray answer;
    QObject::connect(&scrape, &QTcpSocket::readyRead, &scrape, [&] { answer += scrape.readAll(); });
    scrape.connectToHost(QHostAddress::LocalHost, quint16(port.captured(1).toUInt()));
    QVERIFY(scrape.waitForConnected(5000));
    scrape.write("GET /metrics HTTP/1.1\r\n\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(scrape.state(), QAbstractSocket::UnconnectedState, 10000);
    QVERIFY2(answer.contains("\nzora_cameras{state=\"up\"} 2\n"), answer.constData());

    first.process.terminate();
    QVERIFY(first.process.waitForFinished(10000));
    first.take();
    QCOMPARE(shellStatus(first.process), 143);
    QFile kept(state);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(kept.readAll()).object().value("cameras").toArray().size(), 2);

    // Started again on the same site: the rounds are counted (a late answer only moves
    // the count to a later round), nobody is announced.
    Watched second;
    tool.start(second.process, args + QStringList{"--text"}, kFastClock);
    QTRY_VERIFY_WITH_TIMEOUT((second.take(), QRegularExpression("round \\d+: 2 of 2 known").match(QString::fromUtf8(second.err)).hasMatch()), 10000);
    second.process.terminate();
    QVERIFY(second.process.waitForFinished(10000));
    second.take();
    QCOMPARE(shellStatus(second.process), 143);
    QCOMPARE(second.out, QByteArray());
}

void TestWatchE2E::refusedOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("interval 0") << QStringList{"--interval", "0"} << "--interval: 0";
    QTest::newRow("interval not a number") << QStringList{"--interval", "nan"} << "--interval: nan";
    QTest::newRow("rounds 0") << QStringList{"--rounds", "0"} << "--rounds";
    QTest::newRow("metrics port too large") << QStringList{"--metrics", "127.0.0.1:99999"} << "0..65535";
    QTest::newRow("metrics host a name") << QStringList{"--metrics", "localhost:9813"} << "not an IP address";
    QTest::newRow("metrics no port") << QStringList{"--metrics", "127.0.0.1:"} << "0..65535";
    QTest::newRow("metrics short address") << QStringList{"--metrics", "127.1:9813"} << "not an IP address";
    QTest::newRow("metrics port leading zero") << QStringList{"--metrics", "127.0.0.1:09813"} << "0..65535";
    QTest::newRow("metrics port signed") << QStringList{"--metrics", "127.0.0.1:+9813"} << "0..65535";
}

void TestWatchE2E::refusedOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    CamSimProcess sim;
    QVERIFY2(sim.start(QJsonArray{}), qPrintable(sim.errorString()));
    Tool tool(sim);
    const Run r = tool.run(QStringList{"watch"} + args);
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TestWatchE2E)
#include "tst_watch_e2e.moc"

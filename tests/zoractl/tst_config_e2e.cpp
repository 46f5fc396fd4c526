// A site's configuration as files against a simulated site of ten cameras of both
// families: backup, diff, restore, set and clone through the real zoractl.
#include "camsim_process.h"
#include "foreign_lines.h"
#include "zoractl_helper.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

const int kCameras = 10;
const int kFailing = 9;                     // its FTP server refuses every login
const QList<int> kProtocolFamily = {7, 8};

QString macOf(int i)
{
    return QString("00:0A:1B:6C:00:%1").arg(i, 2, 16, QChar('0')).toUpper();
}

QString folderOf(int i)
{
    return macOf(i).replace(':', '-');
}

QString idOf(int i)
{
    return QString("c%1").arg(i);
}

QJsonArray fleet()
{
    // Models: the file-configured family with and without motion detection, two of the
    // protocol family.
    const int models[kCameras] = {0, 0, 2, 3, 5, 6, 0, 1, 4, 0};
    QJsonArray cams;
    for (int i = 0; i < kCameras; ++i) {
        QJsonObject c{{"id", idOf(i)},
                      {"mac", macOf(i)},
                      {"ip", QString("127.0.3.%1").arg(10 + i)},
                      {"model", models[i]},
                      {"model_name", models[i] == 1 || models[i] == 4 ? "L60" : "L80"},
                      {"host_name", QString("yard-%1").arg(i)},
                      {"audio", i < 2},
                      {"restart_delay", 0.2}};
        if (i == kFailing)
            c["ftp_faults"] = QJsonObject{{"login_530", 1}};
        cams.append(c);
    }
    return cams;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

int modeOf(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QStringList linesOf(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes).split('\n');
}

} // namespace

class TestConfigE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void backupOfTen();
    void diffShowsTheChangeAndRestoreUndoesIt();
    void setChangesOneLineOnThreeCameras();
    void refusedValueSendsNothing();
    void setTellsWhatItSent_data();
    void setTellsWhatItSent();
    void fieldMarksPrintedAsTheyAre();
    void cloneKeepsTheTargetsNetwork();
    void setKeepsTheCamerasOwnLines_data();
    void setKeepsTheCamerasOwnLines();
    void diffTellsLinesOfEitherSide_data();
    void diffTellsLinesOfEitherSide();
    void backupRefusesALinkAtAFolderName();
    void restoreRefusesALinkedFile();
    void oversizeFileFailsOnlyItsCamera();
    void signalDuringBackup_data();
    void signalDuringBackup();

private:
    QString root(int i) { return m_sim.get(idOf(i)).value("state").toObject().value("root").toString(); }
    QString camFile(int i, const QString &rel) { return QDir(root(i)).filePath(rel); }
    // The FTP logins camera i took so far (its server logs every command line).
    int logins(int i) { return ftpCommands(i, " USER "); }
    int ftpCommands(int i, const QByteArray &command)
    {
        const QByteArray log = readAll(QFileInfo(root(i)).dir().filePath("ftp.log"));
        int n = 0;
        for (const QByteArray &line : log.split('\n'))
            n += line.contains(command) ? 1 : 0;
        return n;
    }
    int applies(int i)
    {
        return m_sim.get(idOf(i)).value("state").toObject().value("applies").toArray().size();
    }
    Run zoractl(const QStringList &args) { return m_tool->run(args + m_ftp + m_tool->login()); }
    QString backupOf(int i) const { return QDir(m_backup.path()).filePath(folderOf(i)); }

    CamSimProcess m_sim;
    std::unique_ptr<Tool> m_tool;
    QStringList m_ftp;
    QTemporaryDir m_backup;
    Run m_backupRun;
};

void TestConfigE2e::initTestCase()
{
    const quint16 ftpPort = CamSimProcess::freeTcpPort();
    QVERIFY2(m_sim.start(fleet(), {"--ftp-port", QString::number(ftpPort)}), qPrintable(m_sim.errorString()));
    m_tool = std::make_unique<Tool>(m_sim);
    m_ftp = QStringList{"--ftp-port", QString::number(ftpPort)};
    // The backups hold passwords: for the owner alone even under the usual umask.
    ::umask(022);
    m_backupRun = zoractl({"config", "backup", "--all", "--out", m_backup.path(), "--parallel", "4", "--json"});
}

void TestConfigE2e::backupOfTen()
{
    // One camera failed: a batch status, nine whole folders, nothing left of the tenth.
    QCOMPARE(m_backupRun.status, 9);
    const QJsonArray results = QJsonDocument::fromJson(m_backupRun.out.toUtf8()).array();
    QCOMPARE(results.size(), kCameras);
    for (const QJsonValue &v : results) {
        const QJsonObject r = v.toObject();
        const bool failing = r.value("mac").toString() == macOf(kFailing);
        QCOMPARE(r.value("result").toString(), failing ? QString("authentication failed") : QString("success"));
        // The camera's own reason goes with the result.
        if (failing)
            QVERIFY2(r.value("message").toString().contains("Connection Failure"),
                     qPrintable(r.value("message").toString()));
    }
    QStringList names = QDir(m_backup.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(names.size(), kCameras - 1);
    QVERIFY(!names.contains(folderOf(kFailing)));

    for (int i = 0; i < kCameras - 1; ++i) {
        const QDir dir(backupOf(i));
        QCOMPARE(QString::number(modeOf(dir.path()), 8), QString("700"));
        for (const QString &name : dir.entryList(QDir::Files))
            QVERIFY2(modeOf(dir.filePath(name)) == 0600, qPrintable(name));
        const QJsonObject manifest = QJsonDocument::fromJson(readAll(dir.filePath("manifest.json"))).object();
        QCOMPARE(manifest.value("mac").toString(), macOf(i));
        const QJsonObject settings = QJsonDocument::fromJson(readAll(dir.filePath("settings.json"))).object();
        QCOMPARE(settings.value("host").toObject().value("host").toString(), QString("yard-%1").arg(i));
        QVERIFY(!readAll(dir.filePath("settings.json")).contains("\"pass\""));
        const QJsonArray files = manifest.value("files").toArray();
        if (kProtocolFamily.contains(i)) {
            QCOMPARE(files.size(), 0);
            QCOMPARE(dir.entryList(QDir::Files).size(), 2);
            continue;
        }
        // Every file byte for byte as the camera holds it, and as the manifest says.
        QVERIFY(files.size() >= 12);
        for (const QJsonValue &f : files) {
            const QString name = f.toObject().value("name").toString();
            const QByteArray bytes = readAll(dir.filePath(name));
            QCOMPARE(QString(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()),
                     f.toObject().value("sha256").toString());
        }
        // Every page of the camera on one login.
        QCOMPARE(logins(i), 1);
        QCOMPARE(readAll(dir.filePath("udp_server.conf")), readAll(camFile(i, "etc/udp_server.conf")));
        QCOMPARE(readAll(dir.filePath("title.js")), readAll(camFile(i, "etc/html/title.js")));
        QCOMPARE(dir.exists("hw_motion.conf"), i != 2 && i != 5);
        QCOMPARE(dir.exists("audio.conf"), i < 2);
    }
}

void TestConfigE2e::diffShowsTheChangeAndRestoreUndoesIt()
{
    const QByteArray tcp = readAll(camFile(0, "etc/tcp_server.conf"));
    const QByteArray ddns = readAll(camFile(0, "etc/ddns.conf"));
    QByteArray changed = tcp;
    changed.replace("server_port = 5001", "server_port = 6001");
    QVERIFY(changed != tcp);
    writeAll(camFile(0, "etc/tcp_server.conf"), changed);
    writeAll(camFile(0, "etc/ddns.conf"), ddns + "EXTRA_OPTION=\"7\"\n");

    const Run same = zoractl({"config", "diff", backupOf(0), backupOf(0)});
    QCOMPARE(same.status, 0);
    QCOMPARE(same.out, QString());

    const Run diff = zoractl({"config", "diff", backupOf(0), macOf(0)});
    QCOMPARE(diff.status, 1);
    QCOMPARE(diff.out, QString("stream.port: 5001 → 6001\n"
                               "ddns.conf: + EXTRA_OPTION=\"7\"\n"));

    const Run dry = zoractl({"config", "restore", macOf(0), "--from", backupOf(0), "--dry-run"});
    QCOMPARE(dry.status, 0);
    QVERIFY2(dry.out.contains("would restore ddns, stream"), qPrintable(dry.out));
    QCOMPARE(readAll(camFile(0, "etc/ddns.conf")), ddns + "EXTRA_OPTION=\"7\"\n");

    const int before = applies(0);
    const int loginsBefore = logins(0);
    const Run restore = zoractl({"config", "restore", macOf(0), "--from", backupOf(0)});
    QVERIFY2(restore.status == 0, qPrintable(restore.err));
    QVERIFY2(restore.out.contains("restored ddns, stream"), qPrintable(restore.out));
    QCOMPARE(readAll(camFile(0, "etc/tcp_server.conf")), tcp);
    QCOMPARE(readAll(camFile(0, "etc/ddns.conf")), ddns);
    QCOMPARE(applies(0), before + 2);
    // The check of the camera's files, both uploads and their applies: one login.
    QCOMPARE(logins(0), loginsBefore + 1);
    QCOMPARE(zoractl({"config", "diff", backupOf(0), macOf(0)}).status, 0);
}

void TestConfigE2e::setChangesOneLineOnThreeCameras()
{
    const QList<int> cams = {2, 3, 4};
    QHash<int, QByteArray> udp, tcp, rc;
    for (int i : cams) {
        udp[i] = readAll(camFile(i, "etc/udp_server.conf"));
        tcp[i] = readAll(camFile(i, "etc/tcp_server.conf"));
        rc[i] = readAll(camFile(i, "etc/rc.server"));
    }
    const QStringList macs = {macOf(2), macOf(3), macOf(4)};

    const Run dry = zoractl(QStringList{"config", "set"} + macs + QStringList{"stream.port=8554", "--dry-run"});
    QCOMPARE(dry.status, 0);
    QVERIFY2(dry.out.contains(macOf(3) + " udp_server.conf: - server_port=5001\n" + macOf(3)
                              + " udp_server.conf: + server_port=8554\n"),
             qPrintable(dry.out));
    QCOMPARE(readAll(camFile(3, "etc/udp_server.conf")), udp[3]);

    const Run set = zoractl(QStringList{"config", "set"} + macs + QStringList{"stream.port=8554"});
    QVERIFY2(set.status == 0, qPrintable(set.out + set.err));
    for (int i : cams) {
        for (const auto &[rel, old] : {std::pair{QString("etc/udp_server.conf"), udp[i]},
                                       std::pair{QString("etc/tcp_server.conf"), tcp[i]}}) {
            const QStringList was = linesOf(old), now = linesOf(readAll(camFile(i, rel)));
            QCOMPARE(now.size(), was.size());
            int differing = 0;
            for (int l = 0; l < was.size(); ++l) {
                if (was[l] != now[l]) {
                    ++differing;
                    // The camera's spelling and line end stay; only the value changes.
                    QCOMPARE(now[l], QString(was[l]).replace("5001", "8554"));
                }
            }
            QCOMPARE(differing, 1);
        }
        QCOMPARE(readAll(camFile(i, "etc/rc.server")), rc[i]);
    }
    const Run show = zoractl({"config", "show", macOf(4), "--page", "stream"});
    QVERIFY2(show.out.contains("stream.port=8554\n"), qPrintable(show.out));

    // A host field goes as the host-name command.
    const Run host = zoractl({"config", "set", macOf(4), "host.host=gate-4"});
    QVERIFY2(host.status == 0, qPrintable(host.out + host.err));
    QCOMPARE(m_sim.get(idOf(4)).value("state").toObject().value("settings").toObject().value("host_name").toString(),
             QString("gate-4"));
}

void TestConfigE2e::refusedValueSendsNothing()
{
    struct Case {
        QString assignment;
        int status;
        QString message;
    };
    const QList<Case> cases = {
        {"web.port=0", 2, "Port must be"},           // the page's own check
        {"stream.udp=maybe", 2, "on or off"},         // not a value of the field's kind
        {"system.version=9", 2, "shown only"},
        {"stream.nonsense=1", 2, "no field"},
        {"camera.ch2.alias=" + QString(65, 'a'), 2, "at most 64"},
    };
    for (const Case &c : cases) {
        const int before = applies(6);
        const QByteArray web = readAll(camFile(6, "etc/thttpd.conf"));
        const Run r = zoractl({"config", "set", macOf(6), c.assignment});
        QCOMPARE(r.status, c.status);
        QVERIFY2(QString(r.out + r.err).contains(c.message, Qt::CaseInsensitive),
                 qPrintable(c.assignment + ": " + r.out + r.err));
        QCOMPARE(applies(6), before);
        QCOMPARE(readAll(camFile(6, "etc/thttpd.conf")), web);
    }
}

void TestConfigE2e::setTellsWhatItSent_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<int>("commands");
    QTest::addColumn<QString>("changes");
    // One camera, each row where the one before left it.
    const QString title = "web.title: ZORA Network Camera → Gate 2";
    QTest::newRow("dry run") << QStringList{"web.title=Gate 2", "--dry-run"} << 0 << false << 0 << title;
    QTest::newRow("changed") << QStringList{"web.title=Gate 2"} << 0 << true << 1 << title;
    QTest::newRow("already so") << QStringList{"web.title=Gate 2"} << 0 << false << 0 << QString();
    QTest::newRow("a password only as changed") << QStringList{"ddns.password=other pw"} << 0 << true << 1
                                                << "ddns.password: (set) → (changed)";
    QTest::newRow("host command") << QStringList{"host.host=gate-2"} << 0 << true << 1 << "host.host: yard-2 → gate-2";
    QTest::newRow("host already so") << QStringList{"host.host=gate-2"} << 0 << false << 0 << QString();
    QTest::newRow("refused value") << QStringList{"web.port=0"} << 2 << false << 0 << QString();
    m_tool->write("fields.txt", "# the DDNS login\nddns.id=gate2\n\nweb.title=Gate #2\r\n");
    QTest::newRow("from a file") << QStringList{"--fields", m_tool->path("fields.txt")} << 0 << true << 2
                                 << "ddns.id: camuser → gate2; web.title: Gate 2 → Gate #2";
}

void TestConfigE2e::setTellsWhatItSent()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(bool, sent);
    QFETCH(int, commands);
    QFETCH(QString, changes);
    const int cam = 2;
    const int before = commandsLogged(m_sim, idOf(cam));
    const Run r = zoractl(QStringList{"config", "set", macOf(cam), "--json"} + args);
    QCOMPARE(r.status, status);
    const QJsonObject result = QJsonDocument::fromJson(r.out.toUtf8()).array().first().toObject();
    QCOMPARE(result.value("status").toInt(), status);
    QCOMPARE(result.value("sent").toBool(), sent);
    QStringList told;
    for (const QJsonValue &v : result.value("changes").toArray()) {
        const QJsonObject c = v.toObject();
        told << c.value("field").toString() + ": " + c.value("before").toString() + " → "
                    + c.value("after").toString();
    }
    QCOMPARE(told.join("; "), changes);
    QCOMPARE(commandsLogged(m_sim, idOf(cam)) - before, commands);
}

void TestConfigE2e::fieldMarksPrintedAsTheyAre()
{
    const Run fields = m_tool->run({"config", "fields", "system"});
    QCOMPARE(fields.status, 0);
    QVERIFY2(fields.out.contains(" (shown only)\n"), qPrintable(fields.out));

    // No camera but this one's files change here.
    const int i = 5;
    const QByteArray ddns = readAll(camFile(i, "etc/ddns.conf"));
    QByteArray changed = ddns;
    changed.replace("DDNS_PW=\"secret pw\"", "DDNS_PW=\"other pw\"");
    QVERIFY(changed != ddns);
    writeAll(camFile(i, "etc/ddns.conf"), changed);
    const Run diff = zoractl({"config", "diff", backupOf(i), macOf(i), "--page", "ddns", "--json"});
    writeAll(camFile(i, "etc/ddns.conf"), ddns);
    QCOMPARE(diff.status, 1);
    const QJsonArray differing = QJsonDocument::fromJson(diff.out.toUtf8()).object().value("fields").toArray();
    const QJsonArray expected = {QJsonObject{{"field", "ddns.password"}, {"a", "(secret)"}, {"b", "(secret)"}}};
    QVERIFY2(differing == expected, qPrintable(diff.out));
}

void TestConfigE2e::cloneKeepsTheTargetsNetwork()
{
    // Not without --clone, and never onto another model.
    QCOMPARE(zoractl({"config", "restore", macOf(1), "--from", backupOf(0)}).status, 2);
    const Run otherModel = zoractl({"config", "restore", macOf(3), "--from", backupOf(0), "--clone"});
    QCOMPARE(otherModel.status, 2);
    QVERIFY2(otherModel.err.contains("refused"), qPrintable(otherModel.err));

    writeAll(camFile(0, "etc/html/title.js"), readAll(camFile(0, "etc/html/title.js")));
    QByteArray title = readAll(camFile(1, "etc/html/title.js"));
    writeAll(camFile(1, "etc/html/title.js"), title.replace("\n", "\n// replaced camera\n"));
    const Run clone = zoractl({"config", "restore", macOf(1), "--from", backupOf(0), "--clone"});
    QVERIFY2(clone.status == 0, qPrintable(clone.out + clone.err));
    QCOMPARE(readAll(camFile(1, "etc/html/title.js")), readAll(QDir(backupOf(0)).filePath("title.js")));
    QCOMPARE(readAll(camFile(1, "etc/udp_server.conf")), readAll(QDir(backupOf(0)).filePath("udp_server.conf")));
    const QJsonObject settings = m_sim.get(idOf(1)).value("state").toObject().value("settings").toObject();
    QCOMPARE(settings.value("ip").toString(), QString("127.0.3.11"));
    QCOMPARE(settings.value("host_name").toString(), QString("yard-1"));

    // With the network it would take the backed-up camera's address and name too.
    const Run withNetwork = zoractl(
        {"config", "restore", macOf(1), "--from", backupOf(0), "--clone", "--with-network", "--dry-run"});
    QVERIFY2(withNetwork.status == 0, qPrintable(withNetwork.out + withNetwork.err));
    QVERIFY2(withNetwork.out.contains("would send host, network"), qPrintable(withNetwork.out));

    // A backup whose files no longer match their manifest is refused.
    QDir tampered(backupOf(1));
    writeAll(tampered.filePath("ddns.conf"), "DDNS_ENABLE=\"1\"\n");
    const Run broken = zoractl({"config", "show", backupOf(1)});
    QCOMPARE(broken.status, 2);
    QVERIFY2(broken.err.contains("does not match its manifest"), qPrintable(broken.err));
}

void TestConfigE2e::setKeepsTheCamerasOwnLines_data()
{
    QTest::addColumn<ForeignLinesCase>("c");
    for (const ForeignLinesCase &c : ForeignLinesCases())
        QTest::newRow(qPrintable(c.name)) << c;
}

void TestConfigE2e::setKeepsTheCamerasOwnLines()
{
    QFETCH(ForeignLinesCase, c);
    const int cam = 1;
    const QString path = camFile(cam, c.cameraPath);
    const QByteArray original = readAll(path);
    writeAll(path, c.before);
    const Run set = zoractl({"config", "set", macOf(cam), c.field + '=' + c.value});
    const QByteArray after = readAll(path);
    writeAll(path, original);
    QVERIFY2(set.status == 0, qPrintable(set.out + set.err));
    QCOMPARE(after, c.after);
}

void TestConfigE2e::diffTellsLinesOfEitherSide_data()
{
    QTest::addColumn<bool>("backupFirst");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("status");
    // The backup holds a line the camera has since lost.
    const QString lost = "ddns.conf: - DDNS_SERVER=\"members.example\"";
    QTest::newRow("backup against camera") << true << QString() << lost << 1;
    QTest::newRow("camera against backup") << false << QString() << QString(lost).replace(": -", ": +") << 1;
    QTest::newRow("backup against camera, its page") << true << "ddns" << lost << 1;
    QTest::newRow("another page") << true << "web" << QString() << 0;
}

void TestConfigE2e::diffTellsLinesOfEitherSide()
{
    QFETCH(bool, backupFirst);
    QFETCH(QString, page);
    QFETCH(QString, line);
    QFETCH(int, status);
    const int cam = 1;
    const QString path = camFile(cam, "etc/ddns.conf");
    const QByteArray original = readAll(path);
    QTemporaryDir out;
    writeAll(path, original + "DDNS_SERVER=\"members.example\"\n");
    const Run backup = zoractl({"config", "backup", macOf(cam), "--out", out.path()});
    writeAll(path, original);
    QVERIFY2(backup.status == 0, qPrintable(backup.out + backup.err));
    const QString folder = QDir(out.path()).filePath(folderOf(cam));
    QStringList args = {"config", "diff"};
    args << (backupFirst ? QStringList{folder, macOf(cam)} : QStringList{macOf(cam), folder});
    if (!page.isEmpty())
        args << "--page" << page;
    const Run diff = zoractl(args);
    QCOMPARE(diff.status, status);
    QCOMPARE(diff.out.trimmed(), line);
}

void TestConfigE2e::backupRefusesALinkAtAFolderName()
{
    // That camera fails naming the link, the other is backed up, nothing outside is
    // touched.
    QTemporaryDir out, outside;
    writeAll(QDir(outside.path()).filePath("keep"), "kept");
    QVERIFY(QFile::link(outside.path(), QDir(out.path()).filePath(folderOf(3))));
    const Run backup = zoractl({"config", "backup", macOf(0), macOf(3), "--out", out.path(), "--json"});
    QCOMPARE(backup.status, 9);
    QVERIFY2(backup.out.contains(folderOf(3) + " is a link: refused"), qPrintable(backup.out));
    QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList{"keep"});
    QCOMPARE(readAll(QDir(outside.path()).filePath("keep")), QByteArray("kept"));
    QVERIFY(QFileInfo::exists(QDir(out.path()).filePath(folderOf(0) + "/manifest.json")));
}

void TestConfigE2e::restoreRefusesALinkedFile()
{
    // A backed-up file replaced by a link to a private local file, the manifest made to
    // match: refused with its name, nothing is sent.
    QTemporaryDir out, outside;
    QCOMPARE(zoractl({"config", "backup", macOf(0), "--out", out.path()}).status, 0);
    const QString secret = QDir(outside.path()).filePath("secret");
    writeAll(secret, "DDNS_ENABLE=\"1\"\nDDNS_PASSWORD=\"local\"\n");
    QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner);
    const QDir folder(QDir(out.path()).filePath(folderOf(0)));
    QByteArray manifest = readAll(folder.filePath("manifest.json"));
    const QByteArray hash = QCryptographicHash::hash(readAll(folder.filePath("ddns.conf")), QCryptographicHash::Sha256);
    QVERIFY(manifest.contains(hash.toHex()));
    manifest.replace(hash.toHex(), QCryptographicHash::hash(readAll(secret), QCryptographicHash::Sha256).toHex());
    writeAll(folder.filePath("manifest.json"), manifest);
    QFile::remove(folder.filePath("ddns.conf"));
    QVERIFY(QFile::link(secret, folder.filePath("ddns.conf")));

    const QByteArray ddns = readAll(camFile(0, "etc/ddns.conf"));
    const int before = applies(0);
    const Run restore = zoractl({"config", "restore", macOf(0), "--from", folder.path()});
    QCOMPARE(restore.status, 2);
    QVERIFY2(restore.err.contains("ddns.conf is a link: refused"), qPrintable(restore.err));
    QCOMPARE(readAll(camFile(0, "etc/ddns.conf")), ddns);
    QCOMPARE(applies(0), before);
}

void TestConfigE2e::oversizeFileFailsOnlyItsCamera()
{
    const QByteArray ddns = readAll(camFile(6, "etc/ddns.conf"));
    writeAll(camFile(6, "etc/ddns.conf"), QByteArray(3 << 20, 'x'));
    QTemporaryDir out;
    const Run r = zoractl({"config", "backup", macOf(5), macOf(6), "--out", out.path(), "--json"});
    writeAll(camFile(6, "etc/ddns.conf"), ddns);
    QCOMPARE(r.status, 9);
    const QJsonArray results = QJsonDocument::fromJson(r.out.toUtf8()).array();
    QCOMPARE(results.size(), 2);
    for (const QJsonValue &v : results) {
        const QJsonObject result = v.toObject();
        const bool oversize = result.value("mac").toString() == macOf(6);
        QCOMPARE(result.value("result").toString(), oversize ? "transfer failed" : "success");
        if (oversize)
            QCOMPARE(result.value("message").toString(),
                     "ddns: Failed on Transfering File \"/etc/ddns.conf\" on the camera is larger "
                     "than 1 MiB; the fetch was stopped");
    }
    QCOMPARE(QDir(out.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{folderOf(5)});
}

void TestConfigE2e::signalDuringBackup_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
    QTest::newRow("SIGHUP") << int(SIGHUP) << 129;
}

// The signal comes while the first camera's files are fetched: that camera's backup is
// finished and put in place, the second is never started, nothing half-written stays.
void TestConfigE2e::signalDuringBackup()
{
    QFETCH(int, signal);
    QFETCH(int, status);
    // Slow replies, so that the signal lands while the first camera's fetch goes on.
    QVERIFY(m_sim.set(idOf(0), {{"ftp_faults", QJsonObject{{"late_reply", 0.1}}}}));
    QTemporaryDir out;
    QProcess p;
    const int fetched = ftpCommands(0, " RETR ");
    m_tool->start(p, QStringList{"config", "backup", macOf(0), macOf(1), "--out", out.path(), "--parallel", "1"}
                         + m_ftp + m_tool->login());
    QVERIFY(p.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(ftpCommands(0, " RETR ") > fetched, 20000);
    ::kill(pid_t(p.processId()), signal);
    const Run r = Tool::finish(p, 30000);
    QVERIFY(m_sim.set(idOf(0), {{"ftp_faults", QJsonObject{}}}));
    QVERIFY2(shellStatus(p) == status, qPrintable(r.out + r.err));
    QVERIFY(QFileInfo::exists(QDir(out.path()).filePath(folderOf(0) + "/manifest.json")));
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{folderOf(0)});
}

QTEST_GUILESS_MAIN(TestConfigE2e)
#include "tst_config_e2e.moc"

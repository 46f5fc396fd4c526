// Camera folders on disk where others may write: nothing under the backup folder is
// followed, only plain files of bounded size are read back, and every file is for the
// owner alone.
#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/private_folder.h"
#include "site/camera_backup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString kMac = "00:0A:1B:2C:3D:4E";
const QString kName = "00-0A-1B-2C-3D-4E";
const QByteArray kDdns = "DDNS_ENABLE=\"1\"\nDDNS_PASSWORD=\"secret\"\n";

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QJsonObject manifestOf(const QByteArray &ddns)
{
    const QJsonObject file{{"name", "ddns.conf"}, {"set", 0}, {"size", ddns.size()},
                           {"sha256", QString(QCryptographicHash::hash(ddns, QCryptographicHash::Sha256).toHex())}};
    return {{"mac", kMac}, {"family", "file"}, {"sets", QJsonArray{0}}, {"files", QJsonArray{file}}};
}

int modeOf(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// A backup folder, a folder outside it that must never be touched, and the camera's
// fetched files.
struct Site {
    QTemporaryDir out, outside, fetched;
    QString finalPath() const { return QDir(out.path()).filePath(kName); }
    QString staging() const { return QDir(out.path()).filePath("." + kName + ".partial"); }
    QString old() const { return finalPath() + ".old"; }
    QString outsideFile() const { return QDir(outside.path()).filePath("keep"); }

    Site()
    {
        writeAll(outsideFile(), "kept");
        writeAll(QDir(fetched.path()).filePath("ddns.conf"), kDdns);
    }
    bool commit(QString *error)
    {
        return CameraBackup::commit(fetched.path(), {ConfigFileSet::Ddns}, staging(), finalPath(),
                                    manifestOf(kDdns), QJsonObject{{"host", QJsonObject()}}, error);
    }
    bool outsideUntouched() const
    {
        const auto all = QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System;
        return readAll(outsideFile()) == "kept" && QDir(outside.path()).entryList(all).size() == 1;
    }
};

} // namespace

class TestCameraBackup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ::umask(022); }
    void nothingUnderTheBackupFolderIsFollowed_data();
    void nothingUnderTheBackupFolderIsFollowed();
    void leftOversGoWithoutFollowingTheirLinks_data();
    void leftOversGoWithoutFollowingTheirLinks();
    void onlyPlainFilesOfBoundedSizeAreRead_data();
    void onlyPlainFilesOfBoundedSizeAreRead();
    void whatWasCheckedIsWhatIsRead();
    void filesAreForTheOwnerOnly_data();
    void filesAreForTheOwnerOnly();
    void aMovedFolderStillGetsItsFiles();
};

void TestCameraBackup::nothingUnderTheBackupFolderIsFollowed_data()
{
    QTest::addColumn<QString>("at");   // "final", "partial", "old"
    QTest::addColumn<bool>("link");    // else a plain file
    QTest::newRow("link at the final name") << "final" << true;
    QTest::newRow("link at .partial") << "partial" << true;
    QTest::newRow("link at .old") << "old" << true;
    QTest::newRow("file at the final name") << "final" << false;
    QTest::newRow("file at .partial") << "partial" << false;
}

void TestCameraBackup::nothingUnderTheBackupFolderIsFollowed()
{
    QFETCH(QString, at);
    QFETCH(bool, link);
    Site site;
    const QString path = at == "final" ? site.finalPath() : at == "partial" ? site.staging() : site.old();
    QVERIFY(link ? QFile::link(site.outside.path(), path) : writeAll(path, "a file"));

    QString error;
    QVERIFY(!site.commit(&error));
    QVERIFY2(error.contains(QFileInfo(path).fileName()) && error.contains("refused"), qPrintable(error));
    QVERIFY(site.outsideUntouched());
    QCOMPARE(QFileInfo(path).isSymLink(), link);
    if (at != "partial")
        QVERIFY(!QFileInfo::exists(site.staging()));
    if (at != "final")
        QVERIFY(!QFileInfo::exists(site.finalPath()));
}

void TestCameraBackup::leftOversGoWithoutFollowingTheirLinks_data()
{
    QTest::addColumn<QString>("at");
    QTest::newRow("a .partial of an earlier run") << "partial";
    QTest::newRow("a .old of an earlier run") << "old";
    QTest::newRow("the older backup") << "final";
}

void TestCameraBackup::leftOversGoWithoutFollowingTheirLinks()
{
    QFETCH(QString, at);
    Site site;
    const QString folder = at == "final" ? site.finalPath() : at == "partial" ? site.staging() : site.old();
    QVERIFY(QDir().mkpath(QDir(folder).filePath("sub")));
    QVERIFY(QFile::link(site.outside.path(), QDir(folder).filePath("folder link")));
    QVERIFY(QFile::link(site.outsideFile(), QDir(folder).filePath("sub/file link")));

    QString error;
    QVERIFY2(site.commit(&error), qPrintable(error));
    QVERIFY(site.outsideUntouched());
    QCOMPARE(readAll(QDir(site.finalPath()).filePath("ddns.conf")), kDdns);
    QVERIFY(!QFileInfo::exists(site.staging()));
    QVERIFY(!QFileInfo::exists(site.old()));
}

void TestCameraBackup::onlyPlainFilesOfBoundedSizeAreRead_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");  // what takes the file's place
    QTest::addColumn<QString>("refusal");
    QTest::newRow("ddns.conf a link to a private file, hash matched") << "ddns.conf" << "link" << "is a link";
    QTest::newRow("ddns.conf a link to /dev/zero") << "ddns.conf" << "zero" << "is a link";
    QTest::newRow("ddns.conf a FIFO") << "ddns.conf" << "fifo" << "not a plain file";
    QTest::newRow("ddns.conf past the bound, hash matched") << "ddns.conf" << "large" << "is larger than";
    QTest::newRow("ddns.conf at the bound") << "ddns.conf" << "bound" << "";
    QTest::newRow("manifest.json a link") << "manifest.json" << "link" << "is a link";
    QTest::newRow("settings.json a FIFO") << "settings.json" << "fifo" << "not a plain file";
}

void TestCameraBackup::onlyPlainFilesOfBoundedSizeAreRead()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, refusal);
    Site site;
    QString error;
    QVERIFY2(site.commit(&error), qPrintable(error));
    const QString path = QDir(site.finalPath()).filePath(name);
    QByteArray bytes = readAll(path);
    QFile::remove(path);
    if (kind == "link" || kind == "zero") {
        const QString secret = QDir(site.outside.path()).filePath("secret");
        QVERIFY(writeAll(secret, bytes));
        QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(QFile::link(kind == "zero" ? "/dev/zero" : secret, path));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        bytes = QByteArray(ConfigFiles::MaxFileBytes + (kind == "large" ? 1 : 0), '#');
        QVERIFY(writeAll(path, bytes));
    }
    if (name == "ddns.conf")
        QVERIFY(writeAll(QDir(site.finalPath()).filePath("manifest.json"),
                         QJsonDocument(manifestOf(bytes)).toJson()));

    const auto folder = CameraBackup::load(site.finalPath(), &error);
    QCOMPARE(bool(folder), refusal.isEmpty());
    if (!refusal.isEmpty())
        QVERIFY2(error.contains(name) && error.contains(refusal) && error.contains("refused"), qPrintable(error));
}

void TestCameraBackup::whatWasCheckedIsWhatIsRead()
{
    Site site;
    QString error;
    QVERIFY2(site.commit(&error), qPrintable(error));
    const auto folder = CameraBackup::load(site.finalPath(), &error);
    QVERIFY2(folder, qPrintable(error));
    QCOMPARE(folder->source, site.finalPath());
    // The folder changes after the check: the pages and the restore still get what
    // the manifest vouched for.
    QVERIFY(writeAll(QDir(site.finalPath()).filePath("ddns.conf"), "DDNS_ENABLE=\"0\"\n"));
    QCOMPARE(ConfigFiles::load(folder->path, "ddns.conf").value_or("(missing)"), kDdns);
}

void TestCameraBackup::filesAreForTheOwnerOnly_data()
{
    QTest::addColumn<QString>("name");  // in the camera's folder; empty for the folder
    QTest::addColumn<int>("mode");
    QTest::newRow("the camera's folder") << "" << 0700;
    QTest::newRow("ddns.conf") << "ddns.conf" << 0600;
    QTest::newRow("manifest.json") << "manifest.json" << 0600;
    QTest::newRow("settings.json") << "settings.json" << 0600;
    QTest::newRow("a working copy") << "working" << 0600;
    QTest::newRow("a working copy replacing a 0644 one") << "working 0644" << 0600;
    QTest::newRow("the backup folder made for it") << "root new" << 0700;
    QTest::newRow("a backup folder already there stays as it is") << "root 0755" << 0755;
}

void TestCameraBackup::filesAreForTheOwnerOnly()
{
    QFETCH(QString, name);
    QFETCH(int, mode);
    Site site;
    QString path;
    if (name.startsWith("root")) {
        path = QDir(site.out.path()).filePath("site/backups");
        if (name.endsWith("0755"))
            QVERIFY(QDir().mkpath(path) && modeOf(path) == 0755);
        QVERIFY(PrivateFolder::makeRoot(path));
    } else if (name.startsWith("working")) {
        // The window's copies of the camera's files go through the same save.
        path = QDir(site.out.path()).filePath("ddns.conf");
        if (name.endsWith("0644"))
            QVERIFY(writeAll(path, "old") && modeOf(path) == 0644);
        QVERIFY(ConfigFiles::save(site.out.path(), "ddns.conf", kDdns));
    } else {
        QString error;
        QVERIFY2(site.commit(&error), qPrintable(error));
        path = QDir(site.finalPath()).filePath(name);
    }
    QCOMPARE(QString::number(modeOf(path), 8), QString::number(mode, 8));
}

void TestCameraBackup::aMovedFolderStillGetsItsFiles()
{
    // Somebody who may write to the backup folder swaps the folder being written for a
    // link: the files still go into the folder made, and it is not taken for the backup.
    Site site;
    PrivateFolder folder;
    QString error;
    QVERIFY2(folder.create(site.staging(), &error), qPrintable(error));
    const QString moved = QDir(site.out.path()).filePath("moved");
    QVERIFY(QDir().rename(site.staging(), moved));
    QVERIFY(QFile::link(site.outside.path(), site.staging()));
    QVERIFY(ConfigFiles::save(folder.handle(), "ddns.conf", kDdns));
    QCOMPARE(readAll(QDir(moved).filePath("ddns.conf")), kDdns);
    QVERIFY(site.outsideUntouched());
    QVERIFY(!folder.isAt(site.staging()));
    QVERIFY(folder.isAt(moved));
}

QTEST_GUILESS_MAIN(TestCameraBackup)
#include "tst_camera_backup.moc"

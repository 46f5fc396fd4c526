#include "base/profile_file.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data();
    void lookup();
    void update_data();
    void update();
    void updateAllMatchesOneByOne_data();
    void updateAllMatchesOneByOne();
    void toInt_data();
    void toInt();
    void missingFileReadsDefaultsAndWriteCreatesIt();
    void unreadableFileIsLeftAlone_data();
    void unreadableFileIsLeftAlone();
};

void TestProfileFile::lookup_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray ini = "; comment\r\n[ZORA]\r\nAPPNAME = My Tool \r\nHANDLE=42\r\n"
                           "\r\n[models]\r\n0=L80\r\n0=second\r\n1=\"L60\"\r\n[ZORA]\r\nX=late\r\n";
    QTest::newRow("plain") << ini << QByteArray("ZORA") << QByteArray("HANDLE") << QByteArray("42");
    QTest::newRow("trimmed value") << ini << QByteArray("ZORA") << QByteArray("APPNAME")
                                   << QByteArray("My Tool");
    QTest::newRow("case-insensitive section and key")
        << ini << QByteArray("MODELS") << QByteArray("0") << QByteArray("L80");
    QTest::newRow("first of duplicate keys") << ini << QByteArray("models") << QByteArray("0")
                                             << QByteArray("L80");
    QTest::newRow("quotes stripped") << ini << QByteArray("MODELS") << QByteArray("1")
                                     << QByteArray("L60");
    QTest::newRow("only the first section of a name")
        << ini << QByteArray("zora") << QByteArray("X") << QByteArray("default");
    QTest::newRow("missing section") << ini << QByteArray("OEM") << QByteArray("ICON")
                                     << QByteArray("default");
    QTest::newRow("LF file") << QByteArray("[A]\nk=v\n") << QByteArray("a") << QByteArray("K")
                             << QByteArray("v");
    QTest::newRow("no final break") << QByteArray("[A]\r\nk=v") << QByteArray("A")
                                    << QByteArray("k") << QByteArray("v");
    QTest::newRow("8-bit bytes kept") << QByteArray("[L]\n3000=\xc4\xab\xb8\xde\n")
                                      << QByteArray("L") << QByteArray("3000")
                                      << QByteArray("\xc4\xab\xb8\xde");
}

void TestProfileFile::lookup()
{
    QFETCH(QByteArray, contents);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    QCOMPARE(ProfileFile::lookup(contents, section, key, "default"), expected);
}

void TestProfileFile::update_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("replace keeps the rest byte for byte")
        << QByteArray("# note\r\n[ZORA]\r\nAPPNAME=ZORA 2.0\r\nHANDLE=1\r\n\r\n[OEM]\r\nICON=a\r\n")
        << QByteArray("zora") << QByteArray("handle") << QByteArray("9876")
        << QByteArray("# note\r\n[ZORA]\r\nAPPNAME=ZORA 2.0\r\nHANDLE=9876\r\n\r\n[OEM]\r\nICON=a\r\n");
    QTest::newRow("new key after the section's last entry, before blank lines")
        << QByteArray("[ZORA]\r\nAPPNAME=x\r\n\r\n[OEM]\r\n") << QByteArray("ZORA")
        << QByteArray("HANDLE") << QByteArray("5")
        << QByteArray("[ZORA]\r\nAPPNAME=x\r\nHANDLE=5\r\n\r\n[OEM]\r\n");
    QTest::newRow("new section appended with the file's LF ends")
        << QByteArray("[A]\nk=v\n") << QByteArray("B") << QByteArray("x") << QByteArray("1")
        << QByteArray("[A]\nk=v\n[B]\nx=1\n");
    QTest::newRow("key into a file without a final line break")
        << QByteArray("[A]\r\nk=v") << QByteArray("A") << QByteArray("n") << QByteArray("2")
        << QByteArray("[A]\r\nk=v\r\nn=2\r\n");
    QTest::newRow("section into a file without a final line break")
        << QByteArray("[A]\nk=v") << QByteArray("B") << QByteArray("n") << QByteArray("2")
        << QByteArray("[A]\nk=v\n[B]\nn=2\n");
    QTest::newRow("only the first duplicate key changes")
        << QByteArray("[A]\r\nk=1\r\nk=2\r\n") << QByteArray("A") << QByteArray("K")
        << QByteArray("3") << QByteArray("[A]\r\nk=3\r\nk=2\r\n");
    QTest::newRow("spelling and spacing of the key kept")
        << QByteArray("[A]\n  Key = old\n") << QByteArray("a") << QByteArray("KEY")
        << QByteArray("new") << QByteArray("[A]\n  Key =new\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray("ZORA") << QByteArray("HANDLE")
                                << QByteArray("7") << QByteArray("[ZORA]\r\nHANDLE=7\r\n");
}

void TestProfileFile::update()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, after);
    const QByteArray result = ProfileFile::update(before, section, key, value);
    QCOMPARE(result, after);
    QCOMPARE(ProfileFile::lookup(result, section, key, "missing"), value);
}

void TestProfileFile::updateAllMatchesOneByOne_data()
{
    // Entries are "key|value".
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArrayList>("entries");
    QTest::newRow("found, empty and added keys")
        << QByteArray("; c\r\n[Language]\r\n3008=A\r\n3010=\r\n\r\n[Other]\r\n3013=z\r\n")
        << QByteArray("Language")
        << QByteArrayList{"3010|X", "3013|Exit", "3008|B", "3014|Model", "3013|Again"};
    QTest::newRow("case and spaces of keys and section")
        << QByteArray("[language]\r\n  Key = old\r\n") << QByteArray("LANGUAGE")
        << QByteArrayList{"key|1", "KEY |2", "new|3", " NEW|4"};
    QTest::newRow("first of duplicate sections and keys")
        << QByteArray("[L]\r\nk=1\r\nk=2\r\n[L]\r\nn=9\r\n") << QByteArray("L")
        << QByteArrayList{"k|3", "n|4"};
    QTest::newRow("comment is the last entry")
        << QByteArray("[L]\r\nk=1\r\n; note\r\n\r\n") << QByteArray("L") << QByteArrayList{"n|2"};
    QTest::newRow("empty section before another")
        << QByteArray("[L]\r\n\r\n[M]\r\nk=v\r\n") << QByteArray("L") << QByteArrayList{"k|1", "m|2"};
    QTest::newRow("LF file without a final break")
        << QByteArray("[L]\nk=v") << QByteArray("L") << QByteArrayList{"k|1", "n|2", "k|3"};
    QTest::newRow("no final break after CR, changed first")
        << QByteArray("[L]\nk=v\r") << QByteArray("L") << QByteArrayList{"k|1", "n|2"};
    QTest::newRow("no final break after CR, added first")
        << QByteArray("[L]\nk=v\r") << QByteArray("L") << QByteArrayList{"n|2", "k|1"};
    QTest::newRow("no section, no final break")
        << QByteArray("[A]\r\nk=v") << QByteArray("L") << QByteArrayList{"x|1", "y|2", "X|3"};
    QTest::newRow("value with a line break")
        << QByteArray("[L]\r\na=1\r\n") << QByteArray("L")
        << QByteArrayList{"a|x\r\n[L]\r\nb=2", "b|3"};
    QTest::newRow("key like a section header")
        << QByteArray("[L]\r\n") << QByteArray("L") << QByteArrayList{"[M|1", "k|2"};
}

void TestProfileFile::updateAllMatchesOneByOne()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArrayList, entries);
    ProfileFile::Entries pairs;
    QByteArray oneByOne = before;
    for (const QByteArray &e : entries) {
        const qsizetype bar = e.indexOf('|');
        pairs.append({e.first(bar), e.sliced(bar + 1)});
        oneByOne = ProfileFile::update(oneByOne, section, pairs.last().first, pairs.last().second);
    }
    QCOMPARE(ProfileFile::updateAll(before, section, pairs), oneByOne);
}

void TestProfileFile::toInt_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QByteArray("42") << 42;
    QTest::newRow("leading digits") << QByteArray("12abc") << 12;
    QTest::newRow("negative") << QByteArray("-3") << -3;
    QTest::newRow("not a number") << QByteArray("abc") << 0;
    QTest::newRow("huge is clamped") << QByteArray("99999999999999") << 0x7fffffff;
}

void TestProfileFile::toInt()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    QCOMPARE(ProfileFile::toInt(text), value);
}

void TestProfileFile::missingFileReadsDefaultsAndWriteCreatesIt()
{
    TestSupport::AppDir dir;
    ProfileFile file(dir.file(QStringLiteral("x.ini")));
    QVERIFY(!file.exists());
    QCOMPARE(file.readString("A", "k", "def"), QByteArray("def"));
    QCOMPARE(file.readInt("A", "k", 17), 17);
    QVERIFY(file.writeString("A", "k", "v"));
    QCOMPARE(dir.read(QStringLiteral("x.ini")), QByteArray("[A]\r\nk=v\r\n"));
}

enum class Unreadable { WriteOnly, Directory, Fifo };

void TestProfileFile::unreadableFileIsLeftAlone_data()
{
    QTest::addColumn<Unreadable>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("write-only file") << Unreadable::WriteOnly << "Permission denied";
    QTest::newRow("directory") << Unreadable::Directory << "it is a directory";
    QTest::newRow("FIFO") << Unreadable::Fifo << "it is not a regular file";
}

void TestProfileFile::unreadableFileIsLeftAlone()
{
    QFETCH(Unreadable, kind);
    QFETCH(QString, reason);
    TestSupport::AppDir dir;
    const QString path = dir.file("zora.ini");
    const QByteArray settings = "[ZORA]\r\nAPPNAME=Site A\r\n\r\n[OEM]\r\nICON=site.ico\r\n";
    QProcess writer;
    switch (kind) {
    case Unreadable::WriteOnly:
        QVERIFY(dir.write("zora.ini", settings));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        if (QFile probe(path); probe.open(QIODevice::ReadOnly))
            QSKIP("this user reads a write-only file (root); the FIFO row covers it");
        break;
    case Unreadable::Directory:
        QVERIFY(QDir().mkdir(path));
        break;
    case Unreadable::Fifo:
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        // A reader that opens the FIFO gets the settings and an end rather than blocking,
        // and would take them for the file.
        writer.start("/bin/sh", {"-c", "printf '%s' \"$1\" > \"$0\"", path,
                                 QString::fromLatin1(settings)});
        QVERIFY(writer.waitForStarted());
        break;
    }

    ProfileFile file(path);
    QVERIFY(!file.writeString("ZORA", "HANDLE", "42"));
    QCOMPARE(file.errorString(),
             QString("Cannot read %1: %2; it was left as it is").arg(path, reason));

    const QFileInfo after(path);
    switch (kind) {
    case Unreadable::WriteOnly:
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(dir.read("zora.ini"), settings);
        break;
    case Unreadable::Directory:
        QVERIFY(after.isDir());
        break;
    case Unreadable::Fifo:
        QVERIFY(after.exists() && !after.isFile() && !after.isDir());
        writer.kill();
        writer.waitForFinished();
        break;
    }
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profile_file.moc"

#include "app/profile_file.h"
#include "test_support.h"

#include <QTest>

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data();
    void lookup();
    void update_data();
    void update();
    void toInt_data();
    void toInt();
    void missingFileReadsDefaultsAndWriteCreatesIt();
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

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profile_file.moc"

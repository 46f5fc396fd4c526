#include "fileconfig/config_parser.h"
#include "fileconfig/config_table.h"

#include "camfiles_helper.h"

#include <QtTest>

using Pairs = QList<std::pair<QByteArray, QByteArray>>;
Q_DECLARE_METATYPE(Pairs)

namespace {

Pairs entriesOf(const ConfigTable &table)
{
    Pairs pairs;
    for (int i = 0; i < table.count; ++i)
        pairs.append({table.entries[size_t(i)].keyText(), table.entries[size_t(i)].valueText()});
    return pairs;
}

} // namespace

class TestConfigParser : public QObject
{
    Q_OBJECT

private slots:
    void parseText_data();
    void parseText();
    void tableCapacity();
    void appendsToTable();
    void missingAndEmptyFiles();
    void findListSuffix_data();
    void findListSuffix();
};

void TestConfigParser::parseText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Pairs>("expected");

    QTest::newRow("plain") << QByteArray("port=80\n") << Pairs{{"port", "80"}};
    QTest::newRow("quoted with semicolon")
        << QByteArray("var title = \"My Camera\";\n") << Pairs{{"var title", "My Camera"}};
    QTest::newRow("empty value") << QByteArray("key=\n") << Pairs{{"key", ""}};
    QTest::newRow("empty key") << QByteArray("=value\n") << Pairs{{"", "value"}};
    QTest::newRow("blanks trimmed, inner kept")
        << QByteArray("  name \t=  a  b \n") << Pairs{{"name", "a  b"}};
    QTest::newRow("comments and blank lines")
        << QByteArray("#a=1\n%b=2\n\n\r\nc=3\nno equals\n") << Pairs{{"c", "3"}};
    QTest::newRow("indented hash is not a comment")
        << QByteArray("  #x=1\n") << Pairs{{"#x", "1"}};
    QTest::newRow("crlf") << QByteArray("a=1\r\nb=\"2\"\r\n") << Pairs{{"a", "1"}, {"b", "2"}};
    QTest::newRow("no final line feed") << QByteArray("a=1\nb=2") << Pairs{{"a", "1"}, {"b", "2"}};
    QTest::newRow("quote before equals")
        << QByteArray("\"k\"=v\n") << Pairs{{"\"k\"", "k"}};
    QTest::newRow("unclosed quote takes the rest of the line")
        << QByteArray("k=\"abc\nnext=1\n") << Pairs{{"k", "abc"}, {"next", "1"}};
    QTest::newRow("8-bit bytes are text, never trimmed")
        << QByteArray("name=\xbc\xb3 \xc1\xa4\n") << Pairs{{"name", "\xbc\xb3 \xc1\xa4"}};
    QTest::newRow("second equals stays in the value")
        << QByteArray("url=a=b\n") << Pairs{{"url", "a=b"}};

    const QByteArray longKey(80, 'k');
    QTest::newRow("key cut to 64") << QByteArray(longKey + "=v\n")
                                   << Pairs{{QByteArray(64, 'k'), "v"}};
    const QByteArray longValue(230, 'v');
    QTest::newRow("value cut to 192") << QByteArray("k=" + longValue + "\n")
                                      << Pairs{{"k", QByteArray(192, 'v')}};
    // 300 bytes: "k=" and 298 more; only the first 255 bytes of the line count, the rest
    // is skipped and not read as a line of its own.
    QByteArray line300 = "k=" + QByteArray(251, 'a') + "\"x=1\"" + QByteArray(42, 'b');
    QTest::newRow("300-character line counts 255")
        << QByteArray(line300 + "\nz=9\n") << Pairs{{"k", "x"}, {"z", "9"}};
    QByteArray tail = "# " + QByteArray(253, '-') + "port=1\n";
    QTest::newRow("tail of a long comment is no entry") << tail << Pairs{};
}

void TestConfigParser::parseText()
{
    QFETCH(QByteArray, text);
    QFETCH(Pairs, expected);
    ConfigTable table;
    const int count = ParseConfigText(text, table);
    QCOMPARE(count, expected.size());
    QCOMPARE(entriesOf(table), expected);
}

void TestConfigParser::tableCapacity()
{
    QByteArray text;
    for (int i = 0; i < 30; ++i)
        text += "key" + QByteArray::number(i) + "=" + QByteArray(200, 'x') + "\n";
    ConfigTable table;
    QCOMPARE(ParseConfigText(text, table), ConfigTable::Capacity);
    QCOMPARE(table.entries.back().keyText(), QByteArray("key20"));
    QCOMPARE(table.entries.back().valueText(), QByteArray(192, 'x'));
    // A full table takes nothing more, and a corrupt count is held to the capacity.
    QCOMPARE(ParseConfigText("more=1\n", table), ConfigTable::Capacity);
    table.count = 1000;
    QCOMPARE(ParseConfigText("more=1\n", table), ConfigTable::Capacity);
}

void TestConfigParser::appendsToTable()
{
    ConfigTable table;
    QCOMPARE(ParseConfigText("a=1\n", table), 1);
    QCOMPARE(ParseConfigText("b=2\n", table), 2);
    QCOMPARE(entriesOf(table), (Pairs{{"a", "1"}, {"b", "2"}}));
}

void TestConfigParser::missingAndEmptyFiles()
{
    CamFiles::Folder folder;
    ConfigTable table;
    table.count = 3;
    QCOMPARE(ParseConfigFile(folder.file(QStringLiteral("nothing.conf")), table), -1);
    QCOMPARE(table.count, 3);
    table.clear();
    folder.write(QStringLiteral("empty.conf"), {});
    QCOMPARE(ParseConfigFile(folder.file(QStringLiteral("empty.conf")), table), 0);
    QCOMPARE(ParseConfigFile(folder.file(QStringLiteral("ddns.conf")), table), 4);
    QCOMPARE(table.entries[1].valueText(), QByteArray("camuser"));
}

void TestConfigParser::findListSuffix_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("expected");

    const QStringList d1 = {QStringLiteral("other"), QStringLiteral("d1")};
    QTest::newRow("bare name") << d1 << QStringLiteral("d1") << 2;
    QTest::newRow("one folder") << d1 << QStringLiteral("x/d1") << 2;
    QTest::newRow("daemon folder") << d1 << QStringLiteral("/etc/control_deamon/d1") << 2;
    QTest::newRow("case ignored") << d1 << QStringLiteral("/ETC/control_deamon/D1") << 2;
    QTest::newRow("longer name") << d1 << QStringLiteral("d12") << 0;
    QTest::newRow("none") << d1 << QStringLiteral("none") << 0;
    QTest::newRow("empty list") << QStringList() << QStringLiteral("/a/b") << 0;
    QTest::newRow("whole path first")
        << QStringList{QStringLiteral("d1"), QStringLiteral("control_deamon/d1")}
        << QStringLiteral("/etc/control_deamon/d1") << 2;
    QTest::newRow("trailing slash") << d1 << QStringLiteral("/etc/") << 0;
}

void TestConfigParser::findListSuffix()
{
    QFETCH(QStringList, list);
    QFETCH(QString, path);
    QFETCH(int, expected);
    QCOMPARE(FindListSuffix(list, path), expected);
}

QTEST_APPLESS_MAIN(TestConfigParser)
#include "tst_config_parser.moc"

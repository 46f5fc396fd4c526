#include "commands_helper.h"
#include "test_support.h"

#include "base/messenger.h"
#include "protocol/program_random.h"
#include "protoconfig/login_form.h"

#include <QTest>

using TestSupport::fromHex;

namespace {

QByteArray bytes(const CredentialBlock &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), b.size());
}

constexpr quint32 kKey = 0xC0A8000A; // 192.168.0.10

} // namespace

class TestCredentials : public QObject
{
    Q_OBJECT

private slots:
    void knownBlock();
    void roundTrip_data();
    void roundTrip();
    void newRandomWordEachCall();
    void tooLongIsRefused();
    void loginChecks_data();
    void loginChecks();
    void loginWidths();
    void requireCredentials();
};

void TestCredentials::knownBlock()
{
    const auto b = ScrambleCredential("pass", kKey, 0x1234);
    QVERIFY(b);
    QCOMPARE(bytes(*b).toHex(' '), PassBlock().toHex(' '));
}

void TestCredentials::roundTrip_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("random");
    QTest::addColumn<QByteArray>("firstSixteen");

    QTest::newRow("empty: sixteen copies of k") << QByteArray() << 0xAB77 << QByteArray(16, '\x77');
    QTest::newRow("sixteen bytes: no zero left")
        << QByteArray("0123456789abcdef") << 0x0100 << QByteArray("fedcba9876543210");
    QTest::newRow("high bytes") << QByteArray("\xff\x80z") << 0xFFFE << QByteArray();
}

void TestCredentials::roundTrip()
{
    QFETCH(QByteArray, text);
    QFETCH(int, random);
    QFETCH(QByteArray, firstSixteen);

    const auto b = ScrambleCredential(text, kKey, quint16(random));
    QVERIFY(b);
    const quint8 k = quint8(random);
    if (!firstSixteen.isEmpty()) {
        QByteArray plain = bytes(*b).first(16);
        for (char &c : plain)
            c = char(quint8(c) ^ k);
        if (text.isEmpty())
            QCOMPARE(bytes(*b).first(16), firstSixteen);
        else
            QCOMPARE(plain, firstSixteen);
    }
    // offsets 16..19 XOR k give the key reversed; 20 and 21 are h and k in clear
    QCOMPARE(quint8((*b)[16] ^ k), quint8(0x0A));
    QCOMPARE(quint8((*b)[19] ^ k), quint8(0xC0));
    QCOMPARE(int((*b)[20]), random >> 8);
    QCOMPARE(int((*b)[21]), random & 0xFF);

    const UnscrambledCredential u = UnscrambleCredential(*b);
    QCOMPARE(int(u.random), random);
    QCOMPARE(u.key, kKey);
    QCOMPARE(u.text(), text);
}

void TestCredentials::newRandomWordEachCall()
{
    ProgramRandom &shared = ProgramRandom::shared();
    quint32 clock = 1000;
    shared.setSeedSource([&clock] { return clock += 7919; });
    const auto a = ScrambleCredential("pass", kKey);
    const auto b = ScrambleCredential("pass", kKey);
    shared.setSeedSource({});
    QVERIFY(a && b);
    QVERIFY(bytes(*a) != bytes(*b));
    QCOMPARE(UnscrambleCredential(*a).text(), QByteArray("pass"));
    QCOMPARE(UnscrambleCredential(*b).text(), QByteArray("pass"));
    QVERIFY(UnscrambleCredential(*a).random < 65535);
}

void TestCredentials::tooLongIsRefused()
{
    QVERIFY(!ScrambleCredential(QByteArray(17, 'x'), kKey, 1));
    QVERIFY(ScrambleCredential(QByteArray(16, 'x'), kKey, 1));
}

void TestCredentials::loginChecks_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("focus");

    const int none = int(LoginForm::Field::None);
    const int id = int(LoginForm::Field::Id);
    const int pw = int(LoginForm::Field::Password);
    QTest::newRow("7 and 16 accepted") << "abcdefg" << QString(16, 'p') << true << "" << none;
    QTest::newRow("ID of 8 refused") << "abcdefgh" << "pw" << false << "ID MUST be Shorter than 7" << id;
    QTest::newRow("password of 17 refused") << "a" << QString(17, 'p') << false
        << "Password is Too long...\n\nMaximum 16 characters" << pw;
    QTest::newRow("empty password before empty ID") << "" << "" << false << "Password is EMPTY" << pw;
    QTest::newRow("long password before long ID") << "abcdefgh" << QString(17, 'p') << false
        << "Password is Too long...\n\nMaximum 16 characters" << pw;
    QTest::newRow("empty ID") << "" << "pw" << false << "ID is EMPTY" << id;
}

void TestCredentials::loginChecks()
{
    QFETCH(QString, id);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QFETCH(QString, message);
    QFETCH(int, focus);

    ScriptedMessenger messenger;
    LoginForm form(messenger);
    const LoginForm::Verdict v = form.submit(id, password);
    QCOMPARE(v.accepted, accepted);
    QCOMPARE(int(v.focus), focus);
    QCOMPARE(messenger.shown().size(), accepted ? 0 : 1);
    if (!accepted)
        QCOMPARE(messenger.lastText(), message);
}

void TestCredentials::loginWidths()
{
    ScriptedMessenger messenger;
    LoginForm form(messenger);
    form.show();
    QCOMPARE(form.width(), 223);
    QVERIFY(!form.toggleVisible());

    const FtpConnectionSetting ftp{2121, false, 0};
    form.attachFtp(&ftp);
    form.show();
    QCOMPARE(form.width(), 377);
    QVERIFY(form.toggleVisible());
    QCOMPARE(form.portText(), QStringLiteral("2121"));
    QVERIFY(!form.passive());
    form.toggle();
    QCOMPARE(form.toggleCaption(), QStringLiteral(">>"));
    QCOMPARE(form.width(), 242);
    form.toggle();
    QCOMPARE(form.toggleCaption(), QStringLiteral("<<"));
    QCOMPARE(form.width(), 377);
}

void TestCredentials::requireCredentials()
{
    ScriptedMessenger messenger;
    ScriptedPrompt prompt;
    TConfigItem cam = TestCamera(0);
    FtpConnectionSetting ftp;

    // known: nothing shown, FTP settings untouched
    QVERIFY(RequireCredentials(cam, prompt, &ftp, &messenger));
    QCOMPARE(prompt.calls, 0);
    QCOMPARE(ftp, FtpConnectionSetting());

    cam.AdminId.clear();
    prompt.answers = {std::nullopt};
    QVERIFY(!RequireCredentials(cam, prompt, &ftp, &messenger));
    QVERIFY(cam.AdminId.isEmpty());
    QCOMPARE(cam.AdminPassword, QStringLiteral("pass"));

    prompt.answers = {LoginEntry{"root", "pw", "x21", false}};
    QVERIFY(!RequireCredentials(cam, prompt, &ftp, &messenger));
    QCOMPARE(cam.AdminId, QStringLiteral("root"));
    QCOMPARE(ftp, FtpConnectionSetting());
    QCOMPARE(messenger.lastText(), QStringLiteral("'x21' is not a valid integer value"));

    cam.AdminId.clear();
    prompt.answers = {LoginEntry{"op", "secret", "2121", false}};
    QVERIFY(RequireCredentials(cam, prompt, &ftp, &messenger));
    QVERIFY(prompt.lastHadFtp);
    QCOMPARE(cam.AdminPassword, QStringLiteral("secret"));
    QCOMPARE(ftp.port, 2121);
    QVERIFY(!ftp.passive);

    cam.AdminId.clear();
    prompt.answers = {LoginEntry{"op", "pw2", "", true}};
    QVERIFY(RequireCredentials(cam, prompt));
    QVERIFY(!prompt.lastHadFtp);
    QCOMPARE(ftp.port, 2121);
}

QTEST_GUILESS_MAIN(TestCredentials)
#include "tst_credentials.moc"

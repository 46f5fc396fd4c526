// The checks of the L60 Save in their order, the commands built from the pages, and the
// page flows whose rules are easy to break (enable rules, the network-type choice, the
// miscellaneous page, clamping, login on "Change Password", the two Saves).
#include "commands_helper.h"
#include "l60_view_helper.h"
#include "test_support.h"

#include "base/messenger.h"
#include "protocol/datagram.h"
#include "protoconfig/l60_pages.h"
#include "protoconfig/l60_settings.h"

#include <QTest>

namespace {

L60NetworkSettings goodStatic()
{
    L60NetworkSettings s;
    s.type = L60NetworkType::Static;
    s.ip = "192.168.1.10";
    s.mask = "255.255.255.0";
    s.gateway = "192.168.1.1";
    s.dnsEnabled = true;
    s.dns = "192.168.1.2";
    return s;
}

L60NetworkSettings goodPppoe()
{
    L60NetworkSettings s;
    s.type = L60NetworkType::Pppoe;
    s.pppUser = "u";
    s.pppPassword = "p";
    s.pppService = "s";
    s.pppMtu = "1492";
    s.pppManualDns = true;
    s.pppDns = "10.0.0.1";
    return s;
}

const QString kDifferentNetwork =
    "The IP Address and Gateway is on a different network.\n\nThis will cause the camera to stop "
    "working\n\nPlease check ip, netmask or gateway and correct them.";

} // namespace

Q_DECLARE_METATYPE(L60NetworkSettings)
Q_DECLARE_METATYPE(L60AccountSettings)
Q_DECLARE_METATYPE(L60NetworkType)

class TestL60Settings : public QObject
{
    Q_OBJECT

private slots:
    void networkChecks_data();
    void networkChecks();
    void hostChecks_data();
    void hostChecks();
    void accountChecks_data();
    void accountChecks();
    void commands();
    void enableRules_data();
    void enableRules();
    void networkTypeChoice_data();
    void networkTypeChoice();
    void miscPageAttach_data();
    void miscPageAttach();
    void sensitivityClamps_data();
    void sensitivityClamps();
    void leavingAnEditedPageAsks_data();
    void leavingAnEditedPageAsks();
    void changePasswordCancelledKeepsPassword();
    void saveStopsAtFirstFailureAndKeepsInput();
    void accountSaveStoresNewPassword();

private:
    struct Fixture {
        ScriptedMessenger messenger;
        ScriptedPrompt prompt;
        RecordingConfirmation confirmation;
        TConfigItem camera;
        RecordingL60View view;
        L60Pages pages{messenger};
        QString kind = "2";
        explicit Fixture(quint8 flags, quint8 model = 1)
            : camera(TestCamera(flags))
        {
            (*camera.Header)[8] = char(model);
            camera.AddressBlock = std::array<quint8, 16>{192, 168, 1, 10, 255, 255, 255, 0,
                                                         192, 168, 1, 1, 192, 168, 1, 2};
            camera.Address = "192.168.1.10";
            pages.setView(&view);
            pages.setCredentialPrompt(&prompt);
            pages.setConfirmation(&confirmation);
            pages.setCommandSources(PinnedSources());
            pages.setSelectionSource([this] {
                return L60Pages::Selection{&camera, 0, "00:0A:1B:2C:3D:4E", kind};
            });
        }
    };
};

void TestL60Settings::networkChecks_data()
{
    QTest::addColumn<L60NetworkSettings>("settings");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");

    auto with = [](auto change) {
        L60NetworkSettings s = goodStatic();
        change(s);
        return s;
    };
    QTest::newRow("valid static") << goodStatic() << false << "" << "";
    QTest::newRow("ip") << with([](auto &s) { s.ip = "1.2.3"; s.mask = "x"; }) << false
                        << "IP Address is Invalid" << "editL60IPAddr";
    QTest::newRow("mask all zero") << with([](auto &s) { s.mask = "0.0.0.0"; s.gateway = "x"; })
                                   << false << "SubnetMask Address is Invalid" << "editL60NetMask";
    QTest::newRow("mask all ones") << with([](auto &s) { s.mask = "255.255.255.255"; }) << false
                                   << "SubnetMask Address is Invalid" << "editL60NetMask";
    QTest::newRow("gateway") << with([](auto &s) { s.gateway = ""; s.dns = "x"; }) << false
                             << "Gatway Address is Invalid" << "editL60Gateway";
    QTest::newRow("dns") << with([](auto &s) { s.dns = "300.1.1.1"; s.gateway = "10.0.0.1"; })
                         << false << "Primary DNS Address is Invalid" << "editL60DNSAddr";
    QTest::newRow("empty dns passes") << with([](auto &s) { s.dns.clear(); }) << false << "" << "";
    QTest::newRow("disabled dns unchecked")
        << with([](auto &s) { s.dnsEnabled = false; s.dns = "junk"; }) << false << "" << "";
    QTest::newRow("other network, local")
        << with([](auto &s) { s.gateway = "192.168.2.1"; s.mask = "255.255.0.255"; }) << false
        << kDifferentNetwork << "editL60Gateway";
    QTest::newRow("other network, remote") << with([](auto &s) { s.gateway = "192.168.2.1"; })
                                           << true << "" << "";
    QTest::newRow("mask with a hole")
        << with([](auto &s) { s.mask = "255.255.0.255"; s.gateway = "192.168.2.10"; }) << false
                                      << "The Subnetmask is Invalid." << "editL60NetMask";
    QTest::newRow("network address of the mask")
        << with([](auto &s) { s.ip = "192.168.1.0"; }) << false
        << "IP Address is Invalid\n\n192.168.1.0 is the network address of the mask 255.255.255.0."
        << "editL60IPAddr";
    QTest::newRow("broadcast address of the mask")
        << with([](auto &s) { s.ip = "192.168.1.255"; }) << false
        << "IP Address is Invalid\n\n192.168.1.255 is the broadcast address of the mask 255.255.255.0."
        << "editL60IPAddr";
    QTest::newRow("dhcp has no checks")
        << with([](auto &s) { s.type = L60NetworkType::Dhcp; s.ip = ""; }) << false << "" << "";

    auto ppp = [](auto change) {
        L60NetworkSettings s = goodPppoe();
        change(s);
        return s;
    };
    QTest::newRow("valid pppoe") << goodPppoe() << false << "" << "";
    QTest::newRow("pppoe dns first") << ppp([](auto &s) { s.pppDns = ""; s.pppUser = ""; }) << false
                                     << "Primary DNS Address is Invalid" << "pppL60Dns";
    QTest::newRow("auto dns still needs the text")
        << ppp([](auto &s) { s.pppManualDns = false; s.pppDns = ""; }) << false
        << "Primary DNS Address is Invalid" << "pppL60Dns";
    QTest::newRow("user") << ppp([](auto &s) { s.pppUser = ""; s.pppPassword = ""; }) << false
                          << "User ID is required" << "pppL60UserID";
    QTest::newRow("password") << ppp([](auto &s) { s.pppPassword = ""; s.pppMtu = ""; }) << false
                              << "Password is required" << "pppL60Password";
    QTest::newRow("mtu") << ppp([](auto &s) { s.pppMtu = ""; }) << false << "MTU Value is required"
                         << "pppL60MTU";
    QTest::newRow("mtu not a number") << ppp([](auto &s) { s.pppMtu = "15x"; }) << false
                                      << "'15x' is not a valid integer value" << "pppL60MTU";
    QTest::newRow("mtu 0") << ppp([](auto &s) { s.pppMtu = "0"; }) << false
                           << "MTU must be between 68 and 1500" << "pppL60MTU";
    QTest::newRow("mtu -1") << ppp([](auto &s) { s.pppMtu = "-1"; }) << false
                            << "MTU must be between 68 and 1500" << "pppL60MTU";
    QTest::newRow("user with a line feed") << ppp([](auto &s) { s.pppUser = "user\nroot"; }) << false
                                           << "User ID holds a character the camera cannot store."
                                           << "pppL60UserID";
    QTest::newRow("service with an escape") << ppp([](auto &s) { s.pppService = "isp\x1b"; }) << false
                                            << "Service Name holds a character the camera cannot store."
                                            << "pppL60Service";
    QTest::newRow("octal address") << with([](auto &s) { s.ip = "127.0.0.030"; }) << false
                                   << "IP Address is Invalid" << "editL60IPAddr";
    QTest::newRow("hex address") << with([](auto &s) { s.gateway = "0x7f.0.0.1"; }) << false
                                 << "Gatway Address is Invalid" << "editL60Gateway";
}

void TestL60Settings::networkChecks()
{
    QFETCH(L60NetworkSettings, settings);
    QFETCH(bool, remote);
    QFETCH(QString, text);
    QFETCH(QString, focus);
    const std::optional<CheckFailure> f = L60::CheckNetwork(settings, remote);
    QCOMPARE(f.has_value(), !text.isEmpty());
    if (!f)
        return;
    QCOMPARE(f->text, text);
    QCOMPARE(f->focus, focus);
    const bool box = text == kDifferentNetwork;
    QCOMPARE(f->caption, box ? QString("Configuration Error") : QString());
    QCOMPARE(f->style == Messenger::Style::Error, box || text.contains("integer"));
}

void TestL60Settings::hostChecks_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("text");
    QTest::newRow("fine") << "cam1" << "";
    QTest::newRow("empty") << "" << "Host Name is required";
    QTest::newRow("blank") << "cam 1" << "Host Name has blanks";
    QTest::newRow("32 characters pass") << QString(32, 'h') << "";
    QTest::newRow("66 characters, as the file pages refuse")
        << QString(66, 'h') << "Host Name is TOO Long\n\nMaximum 32 characters";
    for (const char *bad : {"cam\t1", "cam\n1", "cam\x1b[2J"})
        QTest::newRow(qPrintable(QString("control character %1").arg(QString(bad).toUtf8().toHex())))
            << bad << "Camera Host Name holds a character the camera cannot store.";
}

void TestL60Settings::hostChecks()
{
    QFETCH(QString, host);
    QFETCH(QString, text);
    const std::optional<CheckFailure> f = L60::CheckHost({host, {}});
    QCOMPARE(f ? f->text : QString(), text);
    if (f)
        QCOMPARE(f->focus, QString("editL60HostName"));
}

void TestL60Settings::accountChecks_data()
{
    QTest::addColumn<bool>("pageSave");
    QTest::addColumn<L60AccountSettings>("settings");
    QTest::addColumn<QString>("text");
    auto acc = [](bool change, const QString &a, const QString &b) {
        L60AccountSettings s;
        s.changePassword = change;
        s.newPassword = a;
        s.newPasswordAgain = b;
        return s;
    };
    const QString long17(17, 'x');
    QTest::newRow("page: empty") << true << acc(false, "", "") << "New Password is EMPTY";
    QTest::newRow("page: too long") << true << acc(false, long17, "")
                                    << "New Password is Too LONG\n\nMaximum Length : 16";
    QTest::newRow("page: three characters pass") << true << acc(false, "abc", "") << "";
    QTest::newRow("account: unticked sends no password") << false << acc(false, "", "x") << "";
    QTest::newRow("account: mismatch first") << false << acc(true, "", "x")
                                             << "Password does not match";
    QTest::newRow("account: equal but empty") << false << acc(true, "", "")
                                              << "New Password is EMPTY";
    QTest::newRow("account: too short") << false << acc(true, "abc", "abc")
                                        << "New Password is Too Short";
    QTest::newRow("account: too long") << false << acc(true, long17, long17)
                                       << "New Password is Too Long\nMaximum Length : 16";
    QTest::newRow("account: fine") << false << acc(true, "abcd", "abcd") << "";
}

void TestL60Settings::accountChecks()
{
    QFETCH(bool, pageSave);
    QFETCH(L60AccountSettings, settings);
    QFETCH(QString, text);
    const std::optional<CheckFailure> f =
        pageSave ? L60::CheckPageAccount(settings) : L60::CheckAccountSave(settings);
    QCOMPARE(f ? f->text : QString(), text);
    if (f)
        QCOMPARE(f->focus, QString("editL60NewPass"));
}

void TestL60Settings::commands()
{
    // Flags bit 0 without bit 1: a DNS field on the page, but no DNS address on the wire.
    TConfigItem camera = TestCamera(0x01 | Zora::FlagAddress);
    L60NetworkSettings s = goodStatic();
    CommandBytes c = L60::NetworkCommand(camera, "2", s, PinnedSources());
    QVERIFY(c.ok());
    QCOMPARE(c.bytes.size(), 58);
    QCOMPARE(quint8(c.bytes[8]), quint8(1));   // model code in the L60 flows

    // The same settings sent to a file-configured camera leave offset 8 at 0, as its own
    // Network Info and Host Name pages do.
    TConfigItem fileCamera = camera;
    (*fileCamera.Header)[8] = char(2);
    QCOMPARE(quint8(L60::NetworkCommand(fileCamera, "2", s, PinnedSources()).bytes[8]), quint8(0));
    QCOMPARE(quint8(L60::HostCommand(fileCamera, "2", {"cam", "lan"}, PinnedSources()).bytes[8]),
             quint8(0));

    // A camera that takes a DNS address but shows no field keeps the announced one.
    camera = TestCamera(Zora::FlagDns | Zora::FlagAddress);
    camera.AddressBlock = std::array<quint8, 16>{1, 2, 3, 4, 255, 0, 0, 0, 1, 2, 3, 1, 9, 8, 7, 6};
    s.dnsEnabled = false;
    s.dns.clear();
    c = L60::NetworkCommand(camera, "3", s, PinnedSources());
    QVERIFY(c.ok());
    QCOMPARE(c.bytes.size(), 62);
    QCOMPARE(c.bytes.mid(58, 4), TestSupport::fromHex("09 08 07 06"));
    QCOMPARE(quint8(c.bytes[7]), quint8(0x84));

    // The account page's own Save leaves offset 8 at 0 and sends no password unless asked.
    L60AccountSettings a;
    a.allowGuest = true;
    c = L60::AccountSaveCommand(camera, "2", a, PinnedSources());
    QVERIFY(c.ok());
    QCOMPARE(quint8(c.bytes[8]), quint8(0));
    QCOMPARE(c.bytes.mid(47), QByteArray(22, '\0'));
    QCOMPARE(camera.AdminPassword, QString("pass"));
    a.changePassword = true;
    a.newPassword = a.newPasswordAgain = "newpw";
    c = L60::AccountSaveCommand(camera, "2", a, PinnedSources());
    QVERIFY(c.ok());
    QVERIFY(c.bytes.mid(47) != QByteArray(22, '\0'));
    QCOMPARE(camera.AdminPassword, QString("newpw"));
}

void TestL60Settings::enableRules_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("staticOn");
    QTest::addColumn<bool>("dhcpOn");
    QTest::addColumn<bool>("pppoeOn");
    QTest::newRow("all") << 0x1C << 1 << true << true << true;
    QTest::newRow("no address flag") << 0x18 << 1 << false << true << true;
    QTest::newRow("no dhcp flag") << 0x14 << 1 << true << false << true;
    QTest::newRow("model 4 never pppoe") << 0x1C << 4 << true << true << false;
}

void TestL60Settings::enableRules()
{
    QFETCH(int, flags);
    QFETCH(int, model);
    QFETCH(bool, staticOn);
    QFETCH(bool, dhcpOn);
    QFETCH(bool, pppoeOn);
    Fixture f{quint8(flags), quint8(model)};
    f.pages.EnableL60CategoryClick();
    QCOMPARE(f.view.networkTypeEnabled(L60NetworkType::Static), staticOn);
    QCOMPARE(f.view.networkTypeEnabled(L60NetworkType::Dhcp), dhcpOn);
    QCOMPARE(f.view.networkTypeEnabled(L60NetworkType::Pppoe), pppoeOn);
}

void TestL60Settings::networkTypeChoice_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<L60NetworkType>("type");
    QTest::addColumn<bool>("panelsOpen");
    QTest::addColumn<bool>("dnsEnabled");
    QTest::addColumn<QString>("dns");
    QTest::newRow("static with a DNS field") << 0x1D << L60NetworkType::Static << true << true
                                             << "9.9.9.9";
    QTest::newRow("static without one empties it") << 0x1C << L60NetworkType::Static << true
                                                   << false << "";
    // DHCP shows no panel, so it must not undo the reset of DisableL60Category.
    QTest::newRow("dhcp leaves the panels closed") << 0x1D << L60NetworkType::Dhcp << false << true
                                                   << "9.9.9.9";
    QTest::newRow("pppoe opens its panel") << 0x1C << L60NetworkType::Pppoe << true << true
                                           << "9.9.9.9";
}

void TestL60Settings::networkTypeChoice()
{
    QFETCH(int, flags);
    QFETCH(L60NetworkType, type);
    QFETCH(bool, panelsOpen);
    QFETCH(bool, dnsEnabled);
    QFETCH(QString, dns);
    Fixture f{quint8(flags)};
    f.pages.DisableL60Category();
    QVERIFY(!f.view.panelsEnabled);
    f.view.network.dnsEnabled = true;
    f.view.network.dns = "9.9.9.9";
    f.pages.networkTypeClicked(type);
    QCOMPARE(f.view.network.type, type);
    QCOMPARE(f.view.panelsEnabled, panelsOpen);
    QCOMPARE(f.view.network.dnsEnabled, dnsEnabled);
    QCOMPARE(f.view.network.dns, dns);
    QVERIFY(f.view.button(L60Button::Save) && f.view.button(L60Button::Restore));
    QVERIFY(f.pages.changed());
}

void TestL60Settings::miscPageAttach_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("attached");
    QTest::newRow("model 1, version 2") << 2 << 1 << true;
    QTest::newRow("version 1 reply") << 1 << 1 << false;
    QTest::newRow("model 4") << 2 << 4 << false;
}

void TestL60Settings::miscPageAttach()
{
    QFETCH(int, version);
    QFETCH(int, model);
    QFETCH(bool, attached);
    Fixture f{0x1C, quint8(model)};
    (*f.camera.Header)[4] = char(version);
    f.camera.MdSensitivity = 42;
    f.camera.DoSource = 2;
    f.pages.FillL60Pages();
    QCOMPARE(f.view.miscAttached, attached);
    f.pages.L60CategoryChange(L60Pages::MiscPage);
    const int page = attached ? L60Pages::MiscPage : L60Pages::NetworkPage;
    QCOMPARE(f.pages.currentPage(), page);
    QCOMPARE(f.view.currentPage, page);
    if (attached) {
        QCOMPARE(f.view.misc, (L60MiscSettings{"42", 2}));
        QVERIFY(f.view.miscFieldsEnabled);
        QCOMPARE(f.view.arrangement, L60MiscArrangement::Settings);
        // The settings have Save and Restore of their own page, as every other page.
        QCOMPARE(f.view.saveButtonsPage, int(L60Pages::MiscPage));
    }
    QVERIFY(!f.pages.changed());
    QVERIFY(!f.view.button(L60Button::Save));
}

void TestL60Settings::leavingAnEditedPageAsks_data()
{
    QTest::addColumn<int>("edited");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("sent");
    QTest::newRow("host edit saved") << int(L60Pages::HostPage) << int(Messenger::AnswerYes) << 1;
    QTest::newRow("host edit dropped") << int(L60Pages::HostPage) << int(Messenger::AnswerNo) << 0;
    QTest::newRow("misc edit saved") << int(L60Pages::MiscPage) << int(Messenger::AnswerYes) << 1;
    QTest::newRow("host edit, cancel stays") << int(L60Pages::HostPage) << int(Messenger::AnswerCancel) << 0;
    // The camera never answered the save: the edit stays marked and is asked about again.
    QTest::newRow("unanswered save keeps the edit") << int(L60Pages::HostPage) << int(Messenger::AnswerYes) << -1;
}

void TestL60Settings::leavingAnEditedPageAsks()
{
    QFETCH(int, edited);
    QFETCH(int, answer);
    QFETCH(int, sent);
    Fixture f{0x1C, 1};
    (*f.camera.Header)[4] = char(2);
    f.camera.AdminId = "root";
    f.camera.AdminPassword = "pass";
    f.pages.FillL60Pages();
    f.pages.setChanged(false);   // as selecting the camera leaves it
    f.pages.L60CategoryChange(edited);
    if (edited == L60Pages::HostPage)
        f.view.host.host = "renamed";
    else
        f.view.misc.sensitivity = "77";
    f.pages.L60ConfigChanged();
    if (sent < 0)
        f.confirmation.answer = CommandOutcome::NoAnswer;
    f.messenger.queueAnswers({answer, Messenger::AnswerYes});
    if (sent < 0) {
        f.pages.btnL60SaveClick();
        QCOMPARE(f.confirmation.requests.size(), 1);
        QVERIFY(f.pages.changed());
        QVERIFY(f.view.button(L60Button::Save));
        return;
    }
    f.pages.L60CategoryChange(L60Pages::NetworkPage);
    // One question naming the page and the camera; Yes saves without a second one.
    QCOMPARE(f.messenger.shown().size(), 1);
    QCOMPARE(f.messenger.shown().first().text,
             QString("Camera Property Changed:\n%1 page of 192.168.1.10\n\nSave the changes?")
                 .arg(edited == L60Pages::HostPage ? "Host Name" : "Miscellaneous"));
    QCOMPARE(f.confirmation.requests.size(), sent);
    if (answer == Messenger::AnswerCancel) {
        QCOMPARE(f.pages.currentPage(), edited);
        QCOMPARE(f.view.currentPage, edited);
        QVERIFY(f.pages.changed());
        return;
    }
    QCOMPARE(f.pages.currentPage(), int(L60Pages::NetworkPage));
    QVERIFY(!f.pages.changed());
}

void TestL60Settings::sensitivityClamps_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("left");
    QTest::addColumn<int>("messages");
    QTest::newRow("300") << "300" << "255" << 0;
    QTest::newRow("0") << "0" << "1" << 0;
    QTest::newRow("-5") << "-5" << "1" << 0;
    QTest::newRow("in range") << "77" << "77" << 0;
    QTest::newRow("not a number") << "7a" << "7a" << 1;
}

void TestL60Settings::sensitivityClamps()
{
    QFETCH(QString, typed);
    QFETCH(QString, left);
    QFETCH(int, messages);
    Fixture f(0x1C);
    f.view.misc.sensitivity = typed;
    f.pages.L60MDSensitivityChange();
    QCOMPARE(f.view.misc.sensitivity, left);
    QCOMPARE(f.messenger.shown().size(), messages);
    QCOMPARE(f.pages.changed(), messages == 0);
}

void TestL60Settings::changePasswordCancelledKeepsPassword()
{
    Fixture f(0x1C);
    f.prompt.answers = {std::nullopt};
    f.pages.chkL60ChangePasswdClick(true);
    QCOMPARE(f.prompt.calls, 1);   // always asks, even with credentials stored
    // The box unticked again; the page keeps the new-password fields closed with it.
    QVERIFY(!f.view.account.changePassword);
    QCOMPARE(f.camera.AdminPassword, QString("pass"));

    LoginEntry e;
    e.id = "admin";
    e.password = "typed";
    f.prompt.answers = {e};
    f.pages.chkL60ChangePasswdClick(true);
    QCOMPARE(f.view.account.currentPassword, QString("typed"));
    QVERIFY(f.view.account.changePassword);
    f.view.account.newPassword = "";
    f.pages.editL60NewPassChange();
    QCOMPARE(f.view.passwordResult, QString("Password Mismatch."));
    QVERIFY(!f.view.button(L60Button::AccountSave));
}

void TestL60Settings::saveStopsAtFirstFailureAndKeepsInput()
{
    Fixture f(0x1C);
    f.pages.FillL60Pages();
    f.view.network.ip = "192.168.1.300";
    f.pages.L60ConfigChanged();
    f.pages.btnL60SaveClick();
    // The page's own check comes before the question.
    QCOMPARE(f.messenger.shown().size(), 1);
    QCOMPARE(f.messenger.shown()[0].text, QString("IP Address is Invalid"));
    QVERIFY(f.confirmation.requests.isEmpty());
    QCOMPARE(f.view.network.ip, QString("192.168.1.300"));
    QCOMPARE(f.view.focusRequests.last(), QString("editL60IPAddr"));
    QVERIFY(f.pages.changed());

    // No to the question: nothing else happens.
    f.view.network.ip = "192.168.1.30";
    f.messenger.clear();
    f.messenger.queueAnswers({Messenger::AnswerNo});
    f.pages.btnL60SaveClick();
    QCOMPARE(f.messenger.shown().size(), 1);
    QCOMPARE(f.messenger.shown()[0].text, QString("Apply Changes.  Are you sure?"));
    QCOMPARE(f.messenger.shown()[0].caption, QString("Confirm"));
    QVERIFY(f.confirmation.requests.isEmpty());

    // A remote camera gets the command unicast with the remote flag.
    f.kind = "3";
    f.camera.ConnectionKind = Connection::Remote;
    f.view.network.ip = "192.168.1.20";
    f.pages.L60ConfigChanged();
    f.pages.btnL60SaveClick();
    QCOMPARE(f.confirmation.requests.size(), 1);
    QVERIFY(f.confirmation.requests[0].unicast);
    QCOMPARE(quint8(f.confirmation.requests[0].bytes[7]), quint8(0x84));
}

void TestL60Settings::accountSaveStoresNewPassword()
{
    Fixture f(0x3C);
    f.pages.L60CategoryChange(L60Pages::AccountPage);
    QVERIFY(!f.pages.changed());
    f.pages.chkL60UseAccountClick(true);
    QVERIFY(f.view.button(L60Button::AccountSave));
    f.pages.btnL60AccountSaveClick();
    QCOMPARE(f.confirmation.requests.size(), 1);
    const QByteArray bytes = f.confirmation.requests[0].bytes;
    QCOMPARE(bytes.size(), 69);
    QCOMPARE(quint8(bytes[46]), quint8(1));
    QCOMPARE(f.camera.AdminPassword, QString("pass"));

    // Through the page Save the Account page always sends a new password.
    f.view.account.newPassword = "abc";
    f.pages.editL60NewPassChange();
    f.pages.btnL60SaveClick();
    QCOMPARE(f.confirmation.requests.size(), 2);
    QCOMPARE(quint8(f.confirmation.requests[1].bytes[8]), quint8(1));
    QCOMPARE(f.camera.AdminPassword, QString("abc"));
}

QTEST_MAIN(TestL60Settings)
#include "tst_l60_settings.moc"

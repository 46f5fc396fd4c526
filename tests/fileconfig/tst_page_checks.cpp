// The Save checks of a file-configured camera's pages: each row changes one thing in a
// page that passes, and expects the first refusal (or none), its text and its focus.
#include "fileconfig/account_checks.h"
#include "fileconfig/page_checks.h"

#include <QTest>

Q_DECLARE_METATYPE(PageSettings)
Q_DECLARE_METATYPE(PageCheckContext)
Q_DECLARE_METATYPE(AccountPageSettings)

namespace {

NetworkPageSettings goodStatic()
{
    NetworkPageSettings s;
    s.type = L60NetworkType::Static;
    s.ip = "192.168.1.10";
    s.mask = "255.255.255.0";
    s.gateway = "192.168.1.1";
    s.dnsEnabled = true;
    s.dns = "192.168.1.2";
    return s;
}

NetworkPageSettings goodPppoe()
{
    NetworkPageSettings s;
    s.type = L60NetworkType::Pppoe;
    s.pppUser = "user";
    s.pppPassword = "secret";
    s.pppService = "isp";
    s.pppMtu = "1492";
    s.pppDns = "10.0.0.1";
    return s;
}

EventPageSettings goodEvent()
{
    EventPageSettings s;
    EventSettings &v = s.values;
    v.ftpEnabled = true;
    v.ftpServer = "ftp.example";
    v.ftpPort = "21";
    v.ftpUser = "cam";
    v.ftpPassword = "pw";
    v.ftpImageName = "image";
    v.mailEnabled = true;
    v.mailServer = "mail.example";
    v.mailPort = "25";
    v.mailTo = "ops@example";
    v.outputTime = "10";
    v.period = "10";
    return s;
}

CameraControlSettings goodCameraControl()
{
    CameraControlSettings s;
    for (int c = 0; c < CameraControlSettings::Channels; ++c)
        s.channels[c] = {"cam" + QByteArray::number(c + 1), QByteArray::number(c + 1), 0};
    return s;
}

// One settings value from a baseline with one change applied.
template <typename Settings, typename Change>
PageSettings with(Settings s, Change change)
{
    change(s);
    return s;
}

const QString kDifferentNetwork
    = "The IP Address and Gateway is on a different network.\n\nThis will cause the camera to stop "
      "working\n\nPlease check ip, netmask or gateway and correct them.";

QString unstorable(const char *label)
{
    return QString(label) + " holds a character the camera cannot store.";
}

struct Expect {
    Expect(QString t = {}, QString f = {}, QString c = {},
           Messenger::Style st = Messenger::Style::Ok)
        : text(t)
        , focus(f)
        , caption(c)
        , style(st)
    {
    }
    QString text; // empty: the page passes
    QString focus;
    QString caption;
    Messenger::Style style;
};

void row(const char *name, const PageSettings &settings, const Expect &e = {},
         PageCheckContext context = {})
{
    QTest::newRow(name) << settings << context << e.text << e.focus << e.caption << int(e.style);
}

} // namespace

class TestPageChecks : public QObject
{
    Q_OBJECT

private slots:
    void networkStatic_data();
    void networkStatic() { verify(); }
    void networkPppoe_data();
    void networkPppoe() { verify(); }
    void host_data();
    void host() { verify(); }
    void ddns_data();
    void ddns() { verify(); }
    void webServer_data();
    void webServer() { verify(); }
    void streamServer_data();
    void streamServer() { verify(); }
    void eventServer_data();
    void eventServer() { verify(); }
    void cameraControl_data();
    void cameraControl() { verify(); }
    void audio_data();
    void audio() { verify(); }
    void otherPages_data();
    void otherPages() { verify(); }
    void accountSave_data();
    void accountSave();

private:
    static void columns();
    static void verify();
};

void TestPageChecks::columns()
{
    QTest::addColumn<PageSettings>("settings");
    QTest::addColumn<PageCheckContext>("context");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("style");
}

void TestPageChecks::verify()
{
    QFETCH(PageSettings, settings);
    QFETCH(PageCheckContext, context);
    QFETCH(QString, text);
    QFETCH(QString, focus);
    QFETCH(QString, caption);
    QFETCH(int, style);
    const std::optional<CheckFailure> failure = CheckPage(settings, context);
    if (text.isEmpty()) {
        QVERIFY2(!failure, qPrintable(failure ? failure->text : QString()));
        return;
    }
    QVERIFY(failure);
    QCOMPARE(failure->text, text);
    QCOMPARE(failure->focus, focus);
    QCOMPARE(failure->caption, caption);
    QCOMPARE(int(failure->style), style);
}

void TestPageChecks::networkStatic_data()
{
    columns();
    const auto net = [](auto change) { return with(goodStatic(), change); };
    const QString mask = "SubnetMask Address is Invalid";
    row("valid", goodStatic());
    row("ip before mask", net([](auto &s) {
            s.ip = "1.2.3";
            s.mask = "x";
        }),
        {"IP Address is Invalid", "editIPAddr"});
    row("mask 255.255.255.255 is no address", net([](auto &s) { s.mask = "255.255.255.255"; }),
        {mask, "editNetMask"});
    row("mask with a hole, before the gateway rule", net([](auto &s) {
            s.mask = "255.0.255.0";
            s.gateway = "10.0.0.1";
        }),
        {mask, "editNetMask"});
    row("gateway", net([](auto &s) { s.gateway = "0.0.0.0"; }),
        {"Gatway Address is Invalid", "editGateway"});
    row("dns in use must be an address", net([](auto &s) { s.dns.clear(); }),
        {"Primary DNS Address is Invalid", "editDNSAddr"});
    row("dns field not in use is not checked", net([](auto &s) {
            s.dnsEnabled = false;
            s.dns.clear();
        }));
    row("gateway on another network", net([](auto &s) { s.gateway = "192.168.2.1"; }),
        {kDifferentNetwork, "editGateway", "Configuration Error", Messenger::Style::Error});
    row("remote: gateway on another network passes",
        net([](auto &s) { s.gateway = "192.168.2.1"; }), {}, {.remote = true});
    row("address with a tab passes as address, not as text",
        net([](auto &s) { s.ip = "192.168.1.10\t"; }), {unstorable("IP Address"), "editIPAddr"});
    row("network address of the mask", net([](auto &s) {
            s.ip = "127.0.0.0";
            s.mask = "255.0.0.0";
            s.gateway = "127.0.0.1";
        }),
        {"IP Address is Invalid\n\n127.0.0.0 is the network address of the mask 255.0.0.0.",
         "editIPAddr"});
    row("broadcast address of the mask", net([](auto &s) {
            s.ip = "127.255.255.255";
            s.mask = "255.0.0.0";
            s.gateway = "127.0.0.1";
        }),
        {"IP Address is Invalid\n\n127.255.255.255 is the broadcast address of the mask 255.0.0.0.",
         "editIPAddr"});
    row("a 31-bit mask has two hosts", net([](auto &s) {
            s.ip = "192.168.1.0";
            s.mask = "255.255.255.254";
            s.gateway = "192.168.1.1";
        }));
    row("dhcp has no rules", net([](auto &s) {
            s.type = L60NetworkType::Dhcp;
            s.ip = "x";
        }));
}

void TestPageChecks::networkPppoe_data()
{
    columns();
    const auto ppp = [](auto change) { return with(goodPppoe(), change); };
    const QString max22 = "\n\nMaximum 22 characters";
    row("valid", goodPppoe());
    row("dns first", ppp([](auto &s) {
            s.pppDns.clear();
            s.pppUser.clear();
        }),
        {"Primary DNS Address is Invalid", "pppDns"});
    row("provider dns 0.0.0.0 with automatic dns", ppp([](auto &s) {
            s.pppManualDns = false;
            s.pppDns = "0.0.0.0";
        }));
    row("manual dns 0.0.0.0", ppp([](auto &s) { s.pppDns = "0.0.0.0"; }),
        {"Primary DNS Address is Invalid", "pppDns"});
    row("user", ppp([](auto &s) { s.pppUser.clear(); }), {"User ID is required", "pppUserID"});
    row("password", ppp([](auto &s) { s.pppPassword.clear(); }),
        {"Password is required", "pppPassword"});
    row("mtu", ppp([](auto &s) { s.pppMtu.clear(); }), {"MTU Value is required", "pppMTU"});
    row("mtu not a number, before the lengths", ppp([](auto &s) {
            s.pppMtu = "14x";
            s.pppUser = QString(23, 'u');
        }),
        {"'14x' is not a valid integer value", "pppMTU", "", Messenger::Style::Error});
    for (const char *mtu : {"0", "-1", "67", "1501"})
        row(qPrintable(QStringLiteral("mtu %1").arg(mtu)), ppp([mtu](auto &s) { s.pppMtu = mtu; }),
            {"MTU must be between 68 and 1500", "pppMTU"});
    row("mtu 68 passes", ppp([](auto &s) { s.pppMtu = "68"; }));
    row("user of 22 passes", ppp([](auto &s) { s.pppUser = QString(22, 'u'); }));
    row("user of 23", ppp([](auto &s) { s.pppUser = QString(23, 'u'); }),
        {"User id is TOO Long" + max22, "pppUserID"});
    row("password of 23", ppp([](auto &s) { s.pppPassword = QString(23, 'p'); }),
        {"Password is TOO Long" + max22, "pppPassword"});
    row("service of 33", ppp([](auto &s) { s.pppService = QString(33, 's'); }),
        {"Service Name is TOO Long\n\nMaximum 32 characters", "pppService"});
    row("service with a line break", ppp([](auto &s) { s.pppService = "a\nb"; }),
        {unstorable("Service Name"), "pppService"});
}

void TestPageChecks::host_data()
{
    columns();
    const auto host = [](auto change) { return with(HostPageSettings{"cam", "example"}, change); };
    row("valid", HostPageSettings{"cam", "example"});
    row("empty", host([](auto &s) { s.host.clear(); }), {"Host Name is required", "editHostName"});
    row("blank", host([](auto &s) { s.host = "my cam"; }),
        {"Host Name has blanks", "editHostName"});
    row("32 characters pass", host([](auto &s) {
            s.host = QString(32, 'h');
            s.domain = QString(32, 'd');
        }));
    row("host of 33", host([](auto &s) { s.host = QString(33, 'h'); }),
        {"Host Name is TOO Long\n\nMaximum 32 characters", "editHostName"});
    row("domain of 33", host([](auto &s) { s.domain = QString(33, 'd'); }),
        {"Domain Name is TOO Long\n\nMaximum 32 characters", "editDomain"});
    row("character above U+00FF", host([](auto &s) { s.domain = QString::fromUtf8("caf\u20ac"); }),
        {unstorable("Domain Name"), "editDomain"});
}

void TestPageChecks::ddns_data()
{
    columns();
    const DdnsSettings good{true, "id", "pw", "handle"};
    const auto ddns = [good](auto change) { return with(good, change); };
    row("valid", good);
    row("required while switched off", ddns([](auto &s) {
            s.enabled = false;
            s.id.clear();
        }),
        {"ID is Required", "editDDNSID"});
    row("password", ddns([](auto &s) { s.password.clear(); }),
        {"Password is Required", "editDDNSPass"});
    row("handle", ddns([](auto &s) { s.handle.clear(); }),
        {"Handle is Required", "editDDNSHandle"});
    row("double quote", ddns([](auto &s) { s.password = "a\"b"; }),
        {"DDNS Password cannot hold a double quote (\").", "editDDNSPass"});
    row("DEL of an unmapped character", ddns([](auto &s) { s.handle = "h\x7f"; }),
        {unstorable("DDNS Handle"), "editDDNSHandle"});
}

void TestPageChecks::webServer_data()
{
    columns();
    const WebServerSettings good{"Lobby", "80"};
    const auto web = [good](auto change) { return with(good, change); };
    const QString range = "Port must be beteen 1 to 65535";
    row("valid", good);
    row("port 1 passes", web([](auto &s) { s.port = "1"; }));
    row("port 65535 passes", web([](auto &s) { s.port = "65535"; }));
    row("empty port first, focus kept", web([](auto &s) {
            s.port.clear();
            s.title.clear();
        }),
        {"Port is EMPTY", ""});
    row("title before the port's number", web([](auto &s) {
            s.port = "x";
            s.title.clear();
        }),
        {"Display Title is Required", "editWebTitle"});
    row("port not a number", web([](auto &s) { s.port = "8o"; }), {"Port must be a NUMBER", ""});
    row("port with a blank is no number", web([](auto &s) { s.port = " 80"; }),
        {"Port must be a NUMBER", ""});
    row("port 0", web([](auto &s) { s.port = "0"; }), {range, ""});
    row("port 65536", web([](auto &s) { s.port = "65536"; }), {range, ""});
    row("title with a double quote", web([](auto &s) { s.title = "say \"hi\""; }),
        {"Display Title cannot hold a double quote (\").", "editWebTitle"});
}

void TestPageChecks::streamServer_data()
{
    columns();
    const StreamServerSettings good{true, true, "4000", "10", "10"};
    const auto stream = [good](auto change) { return with(good, change); };
    const QString udpRange = "MAX Clients for UDP is out of range ( Min 0 to Max 255 )";
    row("valid", good);
    row("limits 0 and 255 pass", stream([](auto &s) {
            s.udpMaxConnect = "0";
            s.tcpMaxConnect = "255";
        }));
    row("port empty", stream([](auto &s) { s.port.clear(); }),
        {"Stream Server Port is EMPTY", "editStreamPort"});
    row("port 65536", stream([](auto &s) { s.port = "65536"; }),
        {"Stream Server Port must be beteen 1 to 65535", "editStreamPort"});
    row("udp 256", stream([](auto &s) { s.udpMaxConnect = "256"; }),
        {udpRange, "editStreamUdpMax"});
    row("udp -1", stream([](auto &s) { s.udpMaxConnect = "-1"; }), {udpRange, "editStreamUdpMax"});
    row("tcp empty", stream([](auto &s) { s.tcpMaxConnect.clear(); }),
        {"MAX Clients for TCP Server is EMPTY", "editStreamTcpMax"});
    row("both off: field rules first", stream([](auto &s) {
            s.udpEnabled = s.tcpEnabled = false;
            s.tcpMaxConnect = "many";
        }),
        {"MAX Clients for TCP must be a NUMBER", "editStreamTcpMax"});
    row("both off", stream([](auto &s) { s.udpEnabled = s.tcpEnabled = false; }),
        {"You cannot disable both TCP and UDP Server", ""});
}

void TestPageChecks::eventServer_data()
{
    columns();
    const auto event = [](auto change) { return with(goodEvent(), change); };
    row("valid", goodEvent());
    row("ftp server with a blank", event([](auto &s) { s.values.ftpServer = "ftp host"; }),
        {"Server Address has BLANKS", "editEventFtpServer"});
    row("ftp user blanks before the port", event([](auto &s) {
            s.values.ftpUser = "a b";
            s.values.ftpPort.clear();
        }),
        {"User ID has BLANKS", "editEventFtpID"});
    row("ftp port 65536", event([](auto &s) { s.values.ftpPort = "65536"; }),
        {"The Port value must be beteen 1 to 65535", "editEventFtpPort"});
    row("ftp password last", event([](auto &s) { s.values.ftpPassword.clear(); }),
        {"Password is required", "editEventFtpPass"});
    row("mail port not a number", event([](auto &s) { s.values.mailPort = "smtp"; }),
        {"The Port must be a NUMBER", "editEventMailPort"});
    row("mail receiver", event([](auto &s) { s.values.mailTo.clear(); }),
        {"Mail Receiver is required", "editEventMailTo"});
    row("unticked groups are not checked", event([](auto &s) {
            s.values.ftpEnabled = s.values.mailEnabled = false;
            s.values.ftpServer.clear();
            s.values.mailPort = "x";
        }));
    row("output time checked with everything off", event([](auto &s) {
            s.values.ftpEnabled = s.values.mailEnabled = s.values.outputEnabled = false;
            s.values.outputTime.clear();
        }),
        {"Digital Output Time is required", "editDoOutTime"});
    row("output time 0", event([](auto &s) { s.values.outputTime = "0"; }),
        {"The value is too small, input the number more than 1.", "editDoOutTime"});
    row("output time 1 passes", event([](auto &s) { s.values.outputTime = "1"; }));
    row("output time not a number", event([](auto &s) { s.values.outputTime = "ten"; }),
        {"Digital Output Time must be a NUMBER", "editDoOutTime"});
    row("period of the timer", event([](auto &s) {
            s.source = EventSource::Timer;
            s.values.period.clear();
        }),
        {"Input Timer Value must be a NUMBER", "editEventInputPeriod"});
    row("period of another source ignored", event([](auto &s) { s.values.period = "x"; }));
    row("line break in an unticked group", event([](auto &s) {
            s.values.ftpEnabled = false;
            s.values.ftpUser = "a\nb";
        }),
        {unstorable("FTP ID"), "editEventFtpID"});
}

void TestPageChecks::cameraControl_data()
{
    columns();
    const auto cams = [](auto change) { return with(goodCameraControl(), change); };
    const PageCheckContext box{.channelOneModelBox = true};
    const QString idRange = "Camera Control ID must be beteen 0 to 255";
    row("valid", goodCameraControl(), {}, box);
    row("names required before blanks", cams([](auto &s) {
            s.channels[0].alias = "a b";
            s.channels[2].alias.clear();
        }),
        {"Camera Name is required", "editCamConCam3Name"}, box);
    row("name with a blank", cams([](auto &s) { s.channels[1].alias = "a b"; }),
        {"Camera Name has Blanks", "editCamConCam2Name"}, box);
    row("ids required before ranges", cams([](auto &s) {
            s.channels[0].id = "x";
            s.channels[3].id.clear();
        }),
        {"Camera ID is required", "editCamConCam4ID"}, box);
    row("id 256", cams([](auto &s) { s.channels[1].id = "256"; }), {idRange, "editCamConCam2ID"},
        box);
    row("id -1", cams([](auto &s) { s.channels[2].id = "-1"; }), {idRange, "editCamConCam3ID"},
        box);
    row("id 0 and 255 pass", cams([](auto &s) {
            s.channels[0].id = "0";
            s.channels[1].id = "255";
        }),
        {}, box);
    row("id not a number", cams([](auto &s) { s.channels[3].id = "4a"; }),
        {"Camera Control ID must be a NUMBER", "editCamConCam4ID"}, box);
    row("channel 1 id required with the model box", cams([](auto &s) { s.channels[0].id.clear(); }),
        {"Camera ID is required", "editCamConCam1ID"}, box);
    row("channel 1 id skipped without the model box",
        cams([](auto &s) { s.channels[0].id.clear(); }));
    row("name with a tab", cams([](auto &s) { s.channels[1].alias = "a\tb"; }),
        {unstorable("Camera #2 Camera Name"), "editCamConCam2Name"}, box);
}

void TestPageChecks::audio_data()
{
    columns();
    const auto audio = [](auto change) { return with(AudioSettings{}, change); };
    row("defaults", AudioSettings{});
    row("volume limits pass", audio([](auto &s) {
            s.samplingVolume = "-255";
            s.playbackVolume = "256";
            s.maxConnect = "255";
        }));
    row("port 0", audio([](auto &s) { s.port = "0"; }), {"Port must be beteen 1 to 65535", ""});
    row("port not a number", audio([](auto &s) { s.port.clear(); }),
        {"Port : must be a NUMBER", ""});
    row("connections 256", audio([](auto &s) { s.maxConnect = "256"; }),
        {"Max Connection : must be between 0 to 255", ""});
    row("sampling -256", audio([](auto &s) { s.samplingVolume = "-256"; }),
        {"Sampling Volume : be beteen -255 to 256", ""});
    row("playback 257", audio([](auto &s) { s.playbackVolume = "257"; }),
        {"Playback Volume : must be beteen -255 to 256", ""});
    row("playback not a number", audio([](auto &s) { s.playbackVolume = "loud"; }),
        {"Playback Volume : must be a NUMBER", ""});
}

void TestPageChecks::otherPages_data()
{
    columns();
    SystemInfoSettings info;
    info.location = "hall \"B\"";
    row("system info: quotes are fine", info);
    info.email = "a\rb";
    row("system info: e-mail with a carriage return", info,
        {unstorable("Admin Email Address"), "editSysEmail"});
    AccountPageSettings account;
    account.changePassword = true;
    account.newPassword = "x";
    row("account is not saved through the page Save", account);
    row("initial video has no rules", InitialVideoSettings{});
    row("security has no rules", SecuritySettings{});
    row("camera update shows nothing", std::monostate{});
}

void TestPageChecks::accountSave_data()
{
    QTest::addColumn<AccountPageSettings>("settings");
    QTest::addColumn<QString>("text");
    const auto change = [](const QString &a, const QString &b) {
        return AccountPageSettings{true, "old", a, b, false};
    };
    const QString tooLong = "New password is TOO long\n\n\nMaximum 16 characters";
    QTest::newRow("guest only") << AccountPageSettings{} << "";
    QTest::newRow("17 characters refused without a change")
        << AccountPageSettings{false, {}, QString(17, 'n'), {}, true} << tooLong;
    QTest::newRow("mismatch") << change("abcd", "abce") << "Password does not match";
    QTest::newRow("empty") << change("", "") << "New Password is EMPTY";
    QTest::newRow("3 characters") << change("abc", "abc") << "New Password is too SHORT";
    QTest::newRow("4 characters pass") << change("abcd", "abcd") << "";
    QTest::newRow("16 characters pass") << change(QString(16, 'n'), QString(16, 'n')) << "";
    QTest::newRow("17 characters") << change(QString(17, 'n'), QString(17, 'n')) << tooLong;
    QTest::newRow("control character") << change("ab\x01"
                                                 "cd",
                                                 "ab\x01"
                                                 "cd")
                                       << unstorable("New Password");
}

void TestPageChecks::accountSave()
{
    QFETCH(AccountPageSettings, settings);
    QFETCH(QString, text);
    const std::optional<CheckFailure> failure = CheckAccountSave(settings);
    if (text.isEmpty()) {
        QVERIFY2(!failure, qPrintable(failure ? failure->text : QString()));
        return;
    }
    QVERIFY(failure);
    QCOMPARE(failure->text, text);
    QCOMPARE(failure->focus, QString("editNewPass"));
}

QTEST_GUILESS_MAIN(TestPageChecks)
#include "tst_page_checks.moc"

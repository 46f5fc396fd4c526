// The Network Info, Host Name, Account, Web Server and Stream Server tabs.
#include "desktop/ui/fileconfig/account_page.h"
#include "desktop/ui/fileconfig/host_name_page.h"
#include "desktop/ui/fileconfig/network_info_page.h"
#include "desktop/ui/fileconfig/stream_server_page.h"
#include "desktop/ui/fileconfig/web_server_page.h"
#include "protocol/adapter_source.h"
#include "protocol/local_network_info.h"
#include "protocol/program_random.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(PageSettings)
Q_DECLARE_METATYPE(AccountPageSettings)

namespace {

std::unique_ptr<FilePageWidget> makePage(FileTab tab)
{
    switch (tab) {
    case FileTab::NetworkInfo: return std::make_unique<NetworkInfoPage>();
    case FileTab::HostName: return std::make_unique<HostNamePage>();
    case FileTab::Account: return std::make_unique<AccountPage>();
    case FileTab::WebServer: return std::make_unique<WebServerPage>();
    default: return std::make_unique<StreamServerPage>();
    }
}

FileTab tabOf(const PageSettings &s)
{
    if (std::holds_alternative<NetworkPageSettings>(s))
        return FileTab::NetworkInfo;
    if (std::holds_alternative<HostPageSettings>(s))
        return FileTab::HostName;
    if (std::holds_alternative<AccountPageSettings>(s))
        return FileTab::Account;
    if (std::holds_alternative<WebServerSettings>(s))
        return FileTab::WebServer;
    return FileTab::StreamServer;
}

NetworkPageSettings network(L60NetworkType type, bool dns = true, bool manualDns = true)
{
    NetworkPageSettings s;
    s.type = type;
    s.ip = "192.168.1.20";
    s.mask = "255.255.255.0";
    s.gateway = "192.168.1.1";
    s.dnsEnabled = dns;
    s.dns = dns ? "192.168.1.2" : "";
    s.pppUser = "caf\u00e9";
    s.pppPassword = "secret";
    s.pppService = "isp";
    s.pppMtu = "1492";
    s.pppManualDns = manualDns;
    s.pppDns = "10.0.0.53";
    return s;
}

StreamServerSettings stream(bool udp, bool tcp)
{
    return {udp, tcp, "4000", "10", "20"};
}

QWidget *child(QWidget *page, const char *name)
{
    auto *w = page->findChild<QWidget *>(QLatin1String(name));
    if (!w)
        qWarning("no control %s", name);
    return w;
}

struct OneAdapter final : AdapterSource {
    std::optional<QList<AdapterInfo>> adapters() const override
    {
        AdapterInfo a;
        a.index = 1;
        a.gateway = "10.1.2.254";
        a.addresses = {{"10.1.2.3", "255.255.0.0"}};
        return QList<AdapterInfo>{a};
    }
    QString primaryDns(int) const override { return "10.1.2.53"; }
};

} // namespace

class TestNetworkPages : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void userEdit_data();
    void userEdit();
    void fieldRules_data();
    void fieldRules();
    void pageEnabler_data();
    void pageEnabler();
    void setDefault_data();
    void setDefault();
    void autoInput_data();
    void autoInput();
    void maskOnFocus_data();
    void maskOnFocus();
    void domainSwitch();
    void accountSignals_data();
    void accountSignals();
};

void TestNetworkPages::roundTrip_data()
{
    QTest::addColumn<PageSettings>("given");
    QTest::addColumn<PageSettings>("shown");
    const auto same = [](const char *name, const PageSettings &s) {
        QTest::newRow(name) << s << s;
    };
    same("network static", network(L60NetworkType::Static));
    same("network dhcp", network(L60NetworkType::Dhcp));
    same("network pppoe auto dns", network(L60NetworkType::Pppoe, true, false));
    same("network without dns field", network(L60NetworkType::Static, false));
    NetworkPageSettings stale = network(L60NetworkType::Static, false);
    stale.dns = "1.2.3.4";
    QTest::newRow("dns dropped without field") << PageSettings(stale)
                                               << PageSettings(network(L60NetworkType::Static, false));
    same("host", HostPageSettings{"cam1", "example.org"});
    same("account", AccountPageSettings{true, "old", "new1", "new2", true});
    same("account guest only", AccountPageSettings{false, "", "", "", true});
    same("web 8-bit title", WebServerSettings{"Caf\xe9 \xff", "80"});
    same("web empty", WebServerSettings{});
    same("stream udp only", stream(true, false));
    same("stream both", stream(true, true));
    same("stream none, 8-bit", StreamServerSettings{false, false, "4\xe9", "", ""});
}

void TestNetworkPages::roundTrip()
{
    QFETCH(PageSettings, given);
    QFETCH(PageSettings, shown);
    auto page = makePage(tabOf(given));
    QSignalSpy edited(page.get(), &FilePageWidget::edited);
    page->setPageSettings(given);
    QCOMPARE(page->pageSettings() == shown, true);
    QCOMPARE(edited.count(), 0);
}

void TestNetworkPages::userEdit_data()
{
    QTest::addColumn<PageSettings>("start");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed"); // empty: a click
    QTest::newRow("to dhcp") << PageSettings(network(L60NetworkType::Static)) << "btnSelectDhcp" << "";
    QTest::newRow("to pppoe") << PageSettings(network(L60NetworkType::Static)) << "btnSelectPPPOE" << "";
    QTest::newRow("auto dns") << PageSettings(network(L60NetworkType::Pppoe)) << "pppSelectDnsTypeAuto" << "";
    QTest::newRow("ip typed") << PageSettings(network(L60NetworkType::Static)) << "editIPAddr" << "9";
    QTest::newRow("mtu typed") << PageSettings(network(L60NetworkType::Pppoe)) << "pppMTU" << "0";
    QTest::newRow("host typed") << PageSettings(HostPageSettings{"cam", ""}) << "editHostName" << "x";
    QTest::newRow("title typed") << PageSettings(WebServerSettings{"t", "80"}) << "editWebTitle" << "x";
    QTest::newRow("udp box") << PageSettings(stream(false, true)) << "chkStreamUdpEnable" << "";
    QTest::newRow("tcp max typed") << PageSettings(stream(false, true)) << "editStreamTcpMax" << "5";
}

void TestNetworkPages::userEdit()
{
    QFETCH(PageSettings, start);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    auto page = makePage(tabOf(start));
    page->setPageSettings(start);
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    QSignalSpy edited(page.get(), &FilePageWidget::edited);
    QWidget *w = child(page.get(), control.toLatin1());
    QVERIFY(w && w->isEnabled() && w->isVisible());
    if (typed.isEmpty())
        // Near the left end: a check box's hit area is its indicator and text, not its row.
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->height() / 2, w->height() / 2));
    else
        QTest::keyClicks(w, typed);
    QCOMPARE(edited.count(), 1);
    QVERIFY(page->pageSettings() != start);
}

void TestNetworkPages::fieldRules_data()
{
    QTest::addColumn<PageSettings>("settings");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("static with dns")
        << PageSettings(network(L60NetworkType::Static))
        << QStringList{"editIPAddr", "btnStaticPutIP", "editDNSAddr", "btnStaticPutDns", "editMacAddr"}
        << QStringList{"pppUserID", "pppDns"} << QStringList{"PPPOEPanel"};
    QTest::newRow("static without dns field")
        << PageSettings(network(L60NetworkType::Static, false)) << QStringList{"editGateway"}
        << QStringList{"editDNSAddr", "btnStaticPutDns"} << QStringList{"PPPOEPanel"};
    QTest::newRow("dhcp")
        << PageSettings(network(L60NetworkType::Dhcp)) << QStringList{"btnSelectStaticIP"}
        << QStringList{"editIPAddr", "btnStaticPutNetMask", "editDNSAddr", "pppUserID", "pppDns"}
        << QStringList{"PPPOEPanel"};
    QTest::newRow("pppoe manual dns")
        << PageSettings(network(L60NetworkType::Pppoe))
        << QStringList{"pppUserID", "pppPassword", "pppDns", "btnPPPPutDnsAddr"}
        << QStringList{"editIPAddr"} << QStringList{"staticIPPanel"};
    QTest::newRow("pppoe auto dns")
        << PageSettings(network(L60NetworkType::Pppoe, true, false))
        << QStringList{"pppMTU", "pppSelectDnsTypeManual"}
        << QStringList{"pppDns", "btnPPPPutDnsAddr"} << QStringList{"staticIPPanel"};
    QTest::newRow("tcp only") << PageSettings(stream(false, true))
                              << QStringList{"editStreamTcpMax", "lblStreamTcpMax", "editStreamPort"}
                              << QStringList{"editStreamUdpMax", "lblStreamUdpMax"} << QStringList{};
    QTest::newRow("password change")
        << PageSettings(AccountPageSettings{true, "old", "", "", false})
        << QStringList{"editNewPass", "lblNewPassAgain", "chkUseAccount"}
        << QStringList{"editOldPassword", "btnAccountSave"} << QStringList{};
    QTest::newRow("no password change")
        << PageSettings(AccountPageSettings{false, "", "", "", false}) << QStringList{"chkChangePasswd"}
        << QStringList{"editNewPass", "editNewPassAgain", "lblNewPass"} << QStringList{};
}

void TestNetworkPages::fieldRules()
{
    QFETCH(PageSettings, settings);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    QFETCH(QStringList, hidden);
    auto page = makePage(tabOf(settings));
    page->setPageSettings(settings);
    const QColor face = QPalette().color(QPalette::Button);
    for (const QString &name : enabled)
        QVERIFY2(child(page.get(), name.toLatin1())->isEnabled(), qPrintable(name));
    for (const QString &name : disabled) {
        QWidget *w = child(page.get(), name.toLatin1());
        QVERIFY2(!w->isEnabled(), qPrintable(name));
        if (qobject_cast<QLineEdit *>(w))
            QCOMPARE(w->palette().color(QPalette::Base), face);
    }
    for (const QString &name : hidden)
        QVERIFY2(child(page.get(), name.toLatin1())->isHidden(), qPrintable(name));
}

void TestNetworkPages::pageEnabler_data()
{
    QTest::addColumn<PageSettings>("settings");
    QTest::newRow("network") << PageSettings(network(L60NetworkType::Pppoe, true, false));
    QTest::newRow("host") << PageSettings(HostPageSettings{"h", "d"});
    QTest::newRow("account") << PageSettings(AccountPageSettings{false, "", "", "", true});
    QTest::newRow("web") << PageSettings(WebServerSettings{"t", "80"});
    QTest::newRow("stream") << PageSettings(stream(true, false));
}

void TestNetworkPages::pageEnabler()
{
    QFETCH(PageSettings, settings);
    auto page = makePage(tabOf(settings));
    page->setPageSettings(settings);
    if (auto *account = qobject_cast<AccountPage *>(page.get()))
        account->setButtonsEnabled(true);
    QList<QWidget *> controls;
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractButton *>(w)
            || qobject_cast<QLabel *>(w))
            controls.append(w);
    }
    QHash<QWidget *, bool> before;
    for (QWidget *w : controls)
        before.insert(w, w->isEnabled());
    page->setPageEnabled(false);
    for (QWidget *w : controls)
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    // Back on, the page's own rules (boxes, network type) decide again.
    page->setPageEnabled(true);
    for (QWidget *w : controls)
        QVERIFY2(w->isEnabled() == before.value(w), qPrintable(w->objectName()));
}

void TestNetworkPages::setDefault_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("scope");
    QTest::newRow("network shares security's scope") << int(FileTab::NetworkInfo) << "SpeedButton10" << 9;
    QTest::newRow("web") << int(FileTab::WebServer) << "SpeedButton1" << 3;
    QTest::newRow("stream") << int(FileTab::StreamServer) << "SpeedButton2" << 4;
}

void TestNetworkPages::setDefault()
{
    QFETCH(int, tab);
    QFETCH(QString, button);
    QFETCH(int, scope);
    auto page = makePage(FileTab(tab));
    QSignalSpy reset(page.get(), &FilePageWidget::resetRequested);
    QSignalSpy edited(page.get(), &FilePageWidget::edited);
    qobject_cast<QAbstractButton *>(child(page.get(), button.toLatin1()))->click();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(reset.at(0).at(0).toInt(), scope);
    QCOMPARE(edited.count(), 0);
}

void TestNetworkPages::autoInput_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    const int st = int(L60NetworkType::Static);
    QTest::newRow("first suggestion ends in 5") << st << "btnStaticPutIP" << "editIPAddr" << "10.1.2.5";
    QTest::newRow("mask") << st << "btnStaticPutNetMask" << "editNetMask" << "255.255.0.0";
    QTest::newRow("gateway") << st << "btnStaticPutGateway" << "editGateway" << "10.1.2.254";
    QTest::newRow("dns") << st << "btnStaticPutDns" << "editDNSAddr" << "10.1.2.53";
    QTest::newRow("pppoe dns") << int(L60NetworkType::Pppoe) << "btnPPPPutDnsAddr" << "pppDns"
                               << "10.1.2.53";
}

void TestNetworkPages::autoInput()
{
    QFETCH(int, type);
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, value);
    OneAdapter adapters;
    ProgramRandom random;
    LocalNetworkInfo local(adapters, random);
    local.fill();
    NetworkInfoPage page;
    page.setSettings(network(L60NetworkType(type)));
    QSignalSpy edited(&page, &FilePageWidget::edited);
    auto *b = qobject_cast<QAbstractButton *>(child(&page, button.toLatin1()));
    b->click();
    QCOMPARE(edited.count(), 0); // no local network yet: nothing to put
    page.setLocalNetwork(&local);
    b->click();
    QCOMPARE(edited.count(), 1);
    QCOMPARE(qobject_cast<QLineEdit *>(child(&page, field.toLatin1()))->text(), value);
}

void TestNetworkPages::maskOnFocus_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("after");
    QTest::newRow("empty mask filled") << "10.0.0.1" << "" << "255.255.255.0";
    QTest::newRow("mask kept") << "10.0.0.1" << "255.0.0.0" << "255.0.0.0";
    QTest::newRow("seven-character address") << "1.0.0.1" << "" << "255.255.255.0";
    QTest::newRow("six-character address") << "1.0.01" << "" << "";
}

void TestNetworkPages::maskOnFocus()
{
    QFETCH(QString, ip);
    QFETCH(QString, mask);
    QFETCH(QString, after);
    NetworkInfoPage page;
    NetworkPageSettings s = network(L60NetworkType::Static);
    s.ip = ip;
    s.mask = mask;
    page.setSettings(s);
    QSignalSpy edited(&page, &FilePageWidget::edited);
    auto *edit = qobject_cast<QLineEdit *>(child(&page, "editNetMask"));
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(edit, &in);
    QCOMPARE(edit->text(), after);
    QCOMPARE(edited.count(), after == mask ? 0 : 1);
}

void TestNetworkPages::domainSwitch()
{
    HostNamePage page;
    page.setDomainEnabled(false);
    page.setSettings({"cam", "example.org"});
    QCOMPARE(page.settings(), (HostPageSettings{"cam", ""}));
    QVERIFY(!child(&page, "editDomain")->isEnabled());
    page.setDomainEnabled(true);
    page.setSettings({"cam", "example.org"});
    page.setDomainEnabled(false);
    QCOMPARE(page.settings(), (HostPageSettings{"cam", ""}));
}

void TestNetworkPages::accountSignals_data()
{
    QTest::addColumn<AccountPageSettings>("start");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed"); // empty: a click
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<AccountPageSettings>("after");
    const AccountPageSettings plain{false, "old", "n", "n", false};
    const AccountPageSettings changing{true, "old", "n", "n", false};
    QTest::newRow("tick change: old and new emptied")
        << plain << "chkChangePasswd" << "" << QByteArray(SIGNAL(changePasswordClicked(bool)))
        << AccountPageSettings{true, "", "", "", false};
    QTest::newRow("untick change: new kept")
        << changing << "chkChangePasswd" << "" << QByteArray(SIGNAL(changePasswordClicked(bool)))
        << AccountPageSettings{false, "", "n", "n", false};
    QTest::newRow("guest") << plain << "chkUseAccount" << ""
                           << QByteArray(SIGNAL(useAccountClicked(bool)))
                           << AccountPageSettings{false, "old", "n", "n", true};
    QTest::newRow("new typed") << changing << "editNewPass" << "x"
                               << QByteArray(SIGNAL(newPasswordEdited()))
                               << AccountPageSettings{true, "old", "nx", "n", false};
    QTest::newRow("again typed") << changing << "editNewPassAgain" << "x"
                                 << QByteArray(SIGNAL(newPasswordEdited()))
                                 << AccountPageSettings{true, "old", "n", "nx", false};
    QTest::newRow("save") << plain << "btnAccountSave" << "" << QByteArray(SIGNAL(saveClicked()))
                          << plain;
    QTest::newRow("restore") << plain << "btnAccountRestore" << ""
                             << QByteArray(SIGNAL(restoreClicked())) << plain;
}

void TestNetworkPages::accountSignals()
{
    QFETCH(AccountPageSettings, start);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QByteArray, signal);
    QFETCH(AccountPageSettings, after);
    AccountPage page;
    page.setSettings(start);
    page.setButtonsEnabled(true);
    QSignalSpy wanted(&page, signal.constData());
    QSignalSpy edited(&page, &FilePageWidget::edited);
    QWidget *w = child(&page, control.toLatin1());
    QVERIFY(w && w->isEnabled());
    if (typed.isEmpty()) {
        qobject_cast<QAbstractButton *>(w)->click();
    } else {
        qobject_cast<QLineEdit *>(w)->end(false);
        QTest::keyClicks(w, typed);
    }
    QCOMPARE(wanted.count(), 1);
    QCOMPARE(edited.count(), 0);
    QCOMPARE(page.settings(), after);
}

QTEST_MAIN(TestNetworkPages)
#include "tst_network_pages.moc"

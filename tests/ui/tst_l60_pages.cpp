// The L60 page widgets on their own: the rules that follow a page's own controls (the
// open panel, the DNS fields, the new-password fields), filling versus editing, and the
// page control as the flows' view (named controls, moving Save buttons, tab guards).
#include "base/messenger.h"
#include "desktop/ui/protoconfig/l60_account_page.h"
#include "desktop/ui/protoconfig/l60_category.h"
#include "desktop/ui/protoconfig/l60_network_page.h"
#include "protoconfig/l60_pages.h"
#include "test_support.h"

#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(L60NetworkType)

class TestL60Pages : public QObject
{
    Q_OBJECT

private slots:
    void networkPanels_data();
    void networkPanels();
    void fillIsNotAnEdit();
    void manualDnsIsPageLocal();
    void newPasswordFollowsBox();
    void everyControlNamedAndLaidOut();
    void saveButtonsFollowThePage();
};

template <typename T> static T *child(QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QLatin1String(name));
    if (!c)
        qWarning("no %s", name);
    return c;
}

void TestL60Pages::networkPanels_data()
{
    QTest::addColumn<L60NetworkType>("type");
    QTest::addColumn<bool>("panelsOpen");
    QTest::addColumn<bool>("dnsEnabled");
    QTest::addColumn<bool>("manualDns");
    QTest::addColumn<bool>("staticShown");
    QTest::addColumn<bool>("staticOn");
    QTest::addColumn<bool>("pppoeOn");
    QTest::addColumn<bool>("dnsOn");
    QTest::addColumn<bool>("pppDnsOn");
    using T = L60NetworkType;
    QTest::newRow("static with a DNS field") << T::Static << true << true << true
                                             << true << true << false << true << false;
    QTest::newRow("static without one") << T::Static << true << false << true
                                        << true << true << false << false << false;
    QTest::newRow("dhcp keeps the static panel in view")
        << T::Dhcp << true << true << true << true << false << false << false << false;
    QTest::newRow("pppoe, manual dns") << T::Pppoe << true << true << true
                                       << false << false << true << false << true;
    QTest::newRow("pppoe, auto dns") << T::Pppoe << true << true << false
                                     << false << false << true << false << false;
    QTest::newRow("closed panels") << T::Static << false << true << true
                                   << true << false << false << false << false;
}

void TestL60Pages::networkPanels()
{
    QFETCH(L60NetworkType, type);
    QFETCH(bool, panelsOpen);
    QFETCH(bool, dnsEnabled);
    QFETCH(bool, manualDns);
    QFETCH(bool, staticShown);
    QFETCH(bool, staticOn);
    QFETCH(bool, pppoeOn);
    QFETCH(bool, dnsOn);
    QFETCH(bool, pppDnsOn);
    L60NetworkPage page;
    page.show();
    L60NetworkSettings s;
    page.setSettings(s);   // Static in view first
    s.type = type;
    s.dnsEnabled = dnsEnabled;
    s.dns = "10.0.0.2";
    s.pppManualDns = manualDns;
    page.setSettings(s);
    page.setPanelsEnabled(panelsOpen);
    auto *staticPanel = child<QGroupBox>(page, "staticL60IPPanel");
    auto *pppoePanel = child<QGroupBox>(page, "staticL60PPPOEPanel");
    QCOMPARE(staticPanel->isVisible(), staticShown);
    QCOMPARE(pppoePanel->isVisible(), !staticShown);
    QCOMPARE(child<QLineEdit>(page, "editL60IPAddr")->isEnabled(), staticOn);
    QCOMPARE(child<QLineEdit>(page, "pppL60UserID")->isEnabled(), pppoeOn);
    QCOMPARE(child<QLineEdit>(page, "editL60DNSAddr")->isEnabled(), dnsOn);
    QCOMPARE(child<QPushButton>(page, "btnL60StaticPutDns")->isEnabled(), dnsOn);
    QCOMPARE(child<QLineEdit>(page, "pppL60Dns")->isEnabled(), pppDnsOn);
    QCOMPARE(child<QPushButton>(page, "btnL60PPPPutDnsAddr")->isEnabled(), pppDnsOn);
    // A DNS field that is off is not read, whatever it holds.
    QCOMPARE(page.settings().dns, dnsEnabled ? QString("10.0.0.2") : QString());
    QCOMPARE(page.settings().type, type);
}

void TestL60Pages::fillIsNotAnEdit()
{
    L60NetworkPage page;
    QSignalSpy edited(&page, &L60NetworkPage::edited);
    L60NetworkSettings s;
    s.type = L60NetworkType::Pppoe;
    s.ip = "192.168.1.10";
    s.pppUser = "u";
    s.pppMtu = "1492";
    s.pppManualDns = false;
    s.pppDns = "10.0.0.1";
    page.setSettings(s);
    QCOMPARE(edited.size(), 0);
    QCOMPARE(page.settings(), s);

    auto *ip = child<QLineEdit>(page, "editL60IPAddr");
    ip->setText("1.2.3.4");   // as the flows write it, not typed
    QCOMPARE(edited.size(), 0);
    page.setSettings({});
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTest::keyClicks(ip, "12");
    QCOMPARE(edited.size(), 2);
}

void TestL60Pages::manualDnsIsPageLocal()
{
    L60NetworkPage page;
    page.show();
    L60NetworkSettings s;
    s.type = L60NetworkType::Pppoe;
    page.setSettings(s);
    QSignalSpy edited(&page, &L60NetworkPage::edited);
    QSignalSpy typeClicked(&page, &L60NetworkPage::typeClicked);
    auto *dns = child<QLineEdit>(page, "pppL60Dns");
    QVERIFY(dns->isEnabled());
    child<QRadioButton>(page, "pppL60SelectDnsTypeAuto")->click();
    QVERIFY(!dns->isEnabled());
    QVERIFY(!page.settings().pppManualDns);
    QCOMPARE(edited.size(), 1);
    // A network type is the flows' to decide: the page only reports the click.
    child<QRadioButton>(page, "btnL60SelectDhcp")->click();
    QCOMPARE(typeClicked.size(), 1);
    QCOMPARE(typeClicked[0][0].value<L60NetworkType>(), L60NetworkType::Dhcp);
    QVERIFY(child<QGroupBox>(page, "staticL60PPPOEPanel")->isEnabled());
}

void TestL60Pages::newPasswordFollowsBox()
{
    L60AccountPage page;
    page.show();
    auto *fresh = child<QLineEdit>(page, "editL60NewPass");
    auto *again = child<QLineEdit>(page, "editL60NewPassAgain");
    auto *current = child<QLineEdit>(page, "editL60OldPassword");
    QVERIFY(!fresh->isEnabled() && !again->isEnabled());
    L60AccountSettings s;
    s.changePassword = true;
    s.currentPassword = "pass";
    page.setSettings(s);
    QVERIFY(fresh->isEnabled() && again->isEnabled());
    QVERIFY(!current->isEnabled());
    QCOMPARE(current->text(), QString("pass"));
    s.changePassword = false;
    page.setSettings(s);
    QVERIFY(!fresh->isEnabled() && !again->isEnabled());
    QCOMPARE(page.settings(), s);
}

void TestL60Pages::everyControlNamedAndLaidOut()
{
    ScriptedMessenger messenger;
    L60Pages pages(messenger);
    L60Category category(pages);
    QCOMPARE(category.count(), 3);
    for (const char *name :
         {"tabL60NetworkInfo", "btnL60Save", "btnL60Restore", "RadioGroup5", "btnL60SelectStaticIP",
          "btnL60SelectDhcp", "btnL60SelectPPPOE", "staticL60IPPanel", "editL60MacAddr",
          "editL60IPAddr", "editL60NetMask", "editL60Gateway", "editL60DNSAddr",
          "btnL60StaticPutIP", "btnL60StaticPutNetMask", "btnL60StaticPutGateway",
          "btnL60StaticPutDns", "staticL60PPPOEPanel", "pppL60UserID", "pppL60Password",
          "pppL60Service", "pppL60MTU", "pppL60Dns", "pppL60SelectDnsTypeAuto",
          "pppL60SelectDnsTypeManual", "btnL60PPPPutDnsAddr", "groupAudio", "lblL60AudioEnabled",
          "tabL60Hostname", "editL60HostName", "editL60Domain", "editL60Model", "tabL60Account",
          "btnL60AccountSave", "btnL60AccountRestore", "chkL60ChangePasswd",
          "editL60OldPassword", "editL60NewPass", "editL60NewPassAgain",
          "LabelL60PasswordResult", "chkL60UseAccount", "tabL60Miscellanous",
          "grpL60MDSensitivity", "L60MDSensitivity", "UpDownL60MDSensitivity",
          "grpL60DIOSource", "cboL60DoSource", "T50FlashGroup", "btnL60StartUpdate",
          "btnL60SetFactoryDefault"})
        QVERIFY2(category.findChild<QWidget *>(QLatin1String(name)), name);
    // Positions come from layouts, so that sizes follow the platform font.
    for (int i = 0; i < 4; ++i)
        QVERIFY(category.page(i)->layout());
    for (QGroupBox *g : category.findChildren<QGroupBox *>())
        QVERIFY2(g->layout(), qPrintable(g->objectName()));
}

void TestL60Pages::saveButtonsFollowThePage()
{
    ScriptedMessenger messenger;
    L60Pages pages(messenger);
    L60Category category(pages);
    category.show();
    QVERIFY(QTest::qWaitForWindowExposed(&category));
    auto *save = child<QPushButton>(category, "btnL60Save");
    QCOMPARE(save->parentWidget(), category.page(L60Pages::NetworkPage));
    category.placeSaveButtons(L60Pages::HostPage);
    QCOMPARE(save->parentWidget(), category.page(L60Pages::HostPage));
    // The account page has its own; the page-wide ones never go there.
    category.placeSaveButtons(L60Pages::AccountPage);
    QCOMPARE(save->parentWidget(), category.page(L60Pages::NetworkPage));

    // Attaching and detaching page 3 and moving to a page for the flows is no user's page
    // change: the flows' current page stays.
    category.setMiscPageAttached(true);
    QCOMPARE(category.count(), 4);
    category.setCurrentPage(L60Pages::MiscPage);
    QCOMPARE(pages.currentPage(), int(L60Pages::NetworkPage));
    category.setMiscPageAttached(false);
    QCOMPARE(category.count(), 3);
    QCOMPARE(pages.currentPage(), int(L60Pages::NetworkPage));
    // A tab the user picks is one.
    category.setCurrentIndex(L60Pages::HostPage);
    QCOMPARE(pages.currentPage(), int(L60Pages::HostPage));
}

QTEST_MAIN(TestL60Pages)
#include "tst_l60_pages.moc"

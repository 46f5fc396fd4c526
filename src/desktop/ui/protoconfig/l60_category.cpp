#include "desktop/ui/protoconfig/l60_category.h"

#include "desktop/ui/protoconfig/l60_account_page.h"
#include "desktop/ui/protoconfig/l60_host_page.h"
#include "desktop/ui/protoconfig/l60_misc_page.h"
#include "desktop/ui/protoconfig/l60_network_page.h"
#include "desktop/ui/number_fields.h"
#include "protoconfig/l60_pages.h"

#include <QPushButton>
#include <QScopedValueRollback>

namespace {

QString title(int page)
{
    return L60Pages::pageTitle(page);
}

} // namespace

L60Category::L60Category(L60Pages &pages, QWidget *parent)
    : QTabWidget(parent)
    , m_core(pages)
    , m_network(new L60NetworkPage(this))
    , m_host(new L60HostPage(this))
    , m_account(new L60AccountPage(this))
    , m_misc(new L60MiscPage(this))
{
    setObjectName(QStringLiteral("L60Category"));
    addTab(m_network, title(L60Pages::NetworkPage));
    addTab(m_host, title(L60Pages::HostPage));
    addTab(m_account, title(L60Pages::AccountPage));
    m_misc->hide();
    m_save = L60PageWidget::button("btnL60Save", L60PageWidget::caption(3042, "Save"), m_network);
    m_restore = L60PageWidget::button("btnL60Restore", L60PageWidget::caption(3043, "Restore"),
                                      m_network);
    m_save->setEnabled(false);
    m_restore->setEnabled(false);
    m_network->placeSaveButtons(m_save, m_restore);
    connectPages();
    connect(this, &QTabWidget::currentChanged, this, &L60Category::pageChanged);
    NumberFields::restrict(this);
    m_core.setView(this);
}

L60Category::~L60Category()
{
    m_core.setView(nullptr);
}

void L60Category::connectPages()
{
    L60Pages *core = &m_core;
    connect(m_save, &QPushButton::clicked, core, &L60Pages::btnL60SaveClick);
    connect(m_restore, &QPushButton::clicked, core, &L60Pages::btnL60RestoreClick);

    connect(m_network, &L60NetworkPage::typeClicked, core, &L60Pages::networkTypeClicked);
    connect(m_network, &L60NetworkPage::edited, core, &L60Pages::L60ConfigChanged);
    connect(m_network, &L60NetworkPage::autoInputClicked, core, &L60Pages::autoInput);
    connect(m_network, &L60NetworkPage::netMaskEntered, core, &L60Pages::netMaskEntered);

    connect(m_host, &L60HostPage::edited, core, &L60Pages::L60ConfigChanged);

    connect(m_account, &L60AccountPage::changePasswordClicked, core,
            &L60Pages::chkL60ChangePasswdClick);
    connect(m_account, &L60AccountPage::guestAccountClicked, core, &L60Pages::chkL60UseAccountClick);
    connect(m_account, &L60AccountPage::edited, core, &L60Pages::editL60NewPassChange);
    connect(m_account, &L60AccountPage::saveClicked, core, &L60Pages::btnL60AccountSaveClick);
    connect(m_account, &L60AccountPage::restoreClicked, core, &L60Pages::btnL60RestoreClick);

    connect(m_misc, &L60MiscPage::sensitivityEdited, core, &L60Pages::L60MDSensitivityChange);
    connect(m_misc, &L60MiscPage::sensitivityStepped, core, &L60Pages::sensitivityStep);
    connect(m_misc, &L60MiscPage::edited, core, &L60Pages::L60ConfigChanged);
    connect(m_misc, &L60MiscPage::factoryDefaultClicked, core,
            &L60Pages::btnL60SetFactoryDefaultClick);
}

QWidget *L60Category::page(int index) const
{
    switch (index) {
    case L60Pages::NetworkPage:
        return m_network;
    case L60Pages::HostPage:
        return m_host;
    case L60Pages::AccountPage:
        return m_account;
    case L60Pages::MiscPage:
        return m_misc;
    default:
        return nullptr;
    }
}

void L60Category::retitle()
{
    for (int p = L60Pages::NetworkPage; p <= L60Pages::MiscPage; ++p) {
        const int index = indexOf(page(p));
        if (index >= 0)
            setTabText(index, title(p));
    }
}

void L60Category::pageChanged(int index)
{
    if (!m_applying && index >= 0)
        m_core.L60CategoryChange(index);
}

// ---- settings ----

L60NetworkSettings L60Category::shownNetwork() const
{
    return m_network->settings();
}

void L60Category::showNetwork(const L60NetworkSettings &settings)
{
    m_network->setSettings(settings);
}

L60HostSettings L60Category::shownHost() const
{
    return m_host->settings();
}

void L60Category::showHost(const L60HostSettings &settings)
{
    m_host->setSettings(settings);
}

L60AccountSettings L60Category::shownAccount() const
{
    return m_account->settings();
}

void L60Category::showAccount(const L60AccountSettings &settings)
{
    m_account->setSettings(settings);
}

L60MiscSettings L60Category::shownMisc() const
{
    return m_misc->settings();
}

void L60Category::showMisc(const L60MiscSettings &settings)
{
    m_misc->setSettings(settings);
}

void L60Category::showMacAddress(const QString &mac)
{
    m_network->setMacAddress(mac);
}

void L60Category::showModelName(const QString &model)
{
    m_host->setModelName(model);
}

void L60Category::showAudioText(const QString &text)
{
    m_network->setAudioText(text);
}

void L60Category::showPasswordResult(const QString &text)
{
    m_account->setPasswordResult(text);
}

// ---- enablers ----

void L60Category::setNetworkTypeEnabled(L60NetworkType type, bool on)
{
    m_network->setTypeEnabled(type, on);
}

void L60Category::setNetworkPanelsEnabled(bool on)
{
    m_network->setPanelsEnabled(on);
}

void L60Category::setDomainEnabled(bool on)
{
    m_host->setDomainEnabled(on);
}

void L60Category::setAccountPageEnabled(bool on)
{
    m_account->setEnabled(on);
}

void L60Category::setMiscFieldsEnabled(bool on)
{
    m_misc->setFieldsEnabled(on);
}

void L60Category::setStartUpdateEnabled(bool on)
{
    m_misc->setStartUpdateEnabled(on);
}

void L60Category::setButtonEnabled(L60Button button, bool on)
{
    switch (button) {
    case L60Button::Save:
        m_save->setEnabled(on);
        break;
    case L60Button::Restore:
        m_restore->setEnabled(on);
        break;
    case L60Button::AccountSave:
        m_account->setSaveEnabled(on);
        break;
    case L60Button::AccountRestore:
        m_account->setRestoreEnabled(on);
        break;
    }
}

// ---- pages ----

void L60Category::setMiscPageAttached(bool on)
{
    const QScopedValueRollback<bool> applying(m_applying, true);
    const int index = indexOf(m_misc);
    if (on && index < 0)
        addTab(m_misc, title(L60Pages::MiscPage));
    else if (!on && index >= 0)
        removeTab(index);
    if (!on)
        m_misc->hide();
}

void L60Category::setMiscArrangement(L60MiscArrangement arrangement)
{
    m_misc->setArrangement(arrangement);
}

void L60Category::setCurrentPage(int page)
{
    const QScopedValueRollback<bool> applying(m_applying, true);
    if (page < count() && currentIndex() != page)
        setCurrentIndex(page);
}

void L60Category::placeSaveButtons(int page)
{
    // The account page has Save and Restore of its own.
    auto *holder = qobject_cast<L60PageWidget *>(this->page(page));
    if (!holder || holder == m_account)
        holder = m_network;
    holder->placeSaveButtons(m_save, m_restore);
}

void L60Category::focusControl(const QString &name)
{
    QWidget *w = findChild<QWidget *>(name);
    if (w && w->isVisible() && w->isEnabled())
        w->setFocus();
}

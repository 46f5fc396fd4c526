#include "protoconfig/l60_pages.h"

#include <QScopedValueRollback>

#include "base/messenger.h"
#include "base/string_table.h"
#include "protocol/config_item.h"
#include "protocol/local_network_info.h"
#include "protoconfig/credentials.h"
#include "protoconfig/l60_detached_view.h"
#include "protoconfig/leave_question.h"

namespace {

QString confirmCaption()
{
    return GetString(3252, QStringLiteral("Confirm"));
}

} // namespace

L60Pages::L60Pages(Messenger &messenger, QObject *parent)
    : QObject(parent)
    , m_messenger(messenger)
    , m_commands(messenger)
{
}

void L60Pages::setView(L60PagesView *view)
{
    m_view = view;
    if (!m_view)
        return;
    for (int b = 0; b < kL60ButtonCount; ++b)
        m_view->setButtonEnabled(static_cast<L60Button>(b), m_buttons[b]);
    m_view->setMiscPageAttached(m_miscAttached);
    m_view->setMiscArrangement(m_arrangement);
    m_view->setCurrentPage(m_page);
    m_view->placeSaveButtons(m_saveButtonsPage);
}

L60PagesView &L60Pages::view() const
{
    static L60DetachedView detached;
    return m_view ? *m_view : detached;
}

void L60Pages::setButtons(std::initializer_list<L60Button> buttons, bool on)
{
    for (L60Button b : buttons) {
        m_buttons[index(b)] = on;
        view().setButtonEnabled(b, on);
    }
}

void L60Pages::showFailure(const CheckFailure &failure)
{
    m_messenger.tell(failure.text, failure.caption, failure.style);
    view().focusControl(failure.focus);
}

L60Pages::Selection L60Pages::selection() const
{
    return m_commands.selection();
}

// ---- filling ----

void L60Pages::FillL60Pages()
{
    const Selection sel = selection();
    if (!sel.camera)
        return;
    TConfigItem &camera = *sel.camera;
    if (!camera.Header)
        return;
    FillL60NetworkPage(camera, sel.mac);
    FillL60HostPage(camera);
    if (L60::HasMiscPage(camera)) {
        attachMisc(true);
        arrangeMisc(L60MiscArrangement::Settings);
        view().showMisc(L60::MiscFromRecord(camera));
    } else {
        attachMisc(false);
    }
}

void L60Pages::FillL60NetworkPage(const TConfigItem &camera, const QString &mac)
{
    // The announced type is chosen before and after the fields are filled: the first
    // run opens the panel the fields go into, the last decides what stays open.
    const std::optional<L60NetworkType> announced = L60::AnnouncedNetworkType(camera);
    if (announced)
        chooseNetworkType(*announced, &camera);

    const L60NetworkSettings record = L60::NetworkFromRecord(camera);
    // A block the reply lacks leaves its fields as they were and its type unavailable.
    L60NetworkSettings s = view().shownNetwork();
    if (camera.AddressBlock) {
        view().showMacAddress(mac);
        s.ip = record.ip;
        s.mask = record.mask;
        s.gateway = record.gateway;
        s.dnsEnabled = record.dnsEnabled;
        s.dns = record.dns;
    } else {
        view().setNetworkTypeEnabled(L60NetworkType::Static, false);
    }
    if (camera.PppoeBlock) {
        s.pppUser = record.pppUser;
        s.pppPassword = record.pppPassword;
        s.pppService = record.pppService;
        s.pppMtu = record.pppMtu;
        s.pppManualDns = record.pppManualDns;
        s.pppDns = record.pppDns;
    } else {
        view().setNetworkTypeEnabled(L60NetworkType::Pppoe, false);
    }
    view().showNetwork(s);

    if (announced)
        chooseNetworkType(*announced, &camera);
    view().showAudioText(camera.AudioAvailable
                             ? GetString(3041, QStringLiteral("Audio is available"))
                             : GetString(3040, QStringLiteral("Audio is NOT available")));
}

void L60Pages::FillL60HostPage(const TConfigItem &camera)
{
    view().setDomainEnabled(camera.DomainName.has_value());
    view().showHost(L60::HostFromRecord(camera));
    view().showModelName(camera.modelNameText());
}

void L60Pages::EnableL60CategoryClick()
{
    const Selection sel = selection();
    if (!sel.camera || !sel.camera->Header)
        return;
    view().setNetworkTypeEnabled(L60NetworkType::Static, L60::OffersStatic(*sel.camera));
    view().setNetworkTypeEnabled(L60NetworkType::Dhcp, L60::OffersDhcp(*sel.camera));
    view().setNetworkTypeEnabled(L60NetworkType::Pppoe, L60::OffersPppoe(*sel.camera));
}

void L60Pages::disableNetworkChoices()
{
    for (L60NetworkType type : {L60NetworkType::Static, L60NetworkType::Dhcp, L60NetworkType::Pppoe})
        view().setNetworkTypeEnabled(type, false);
}

void L60Pages::DisableL60Category()
{
    m_page = NetworkPage;
    view().setCurrentPage(m_page);
    placeSaveButtons(NetworkPage);
    attachMisc(false);
    view().setNetworkPanelsEnabled(false);
    disableNetworkChoices();
}

void L60Pages::showFirstPage()
{
    m_page = NetworkPage;
    view().setCurrentPage(m_page);
    placeSaveButtons(NetworkPage);
}

void L60Pages::attachMisc(bool on)
{
    m_miscAttached = on;
    view().setMiscPageAttached(on);
    if (!on && m_page == MiscPage) {
        m_page = NetworkPage;
        view().setCurrentPage(m_page);
    }
}

void L60Pages::arrangeMisc(L60MiscArrangement arrangement)
{
    m_arrangement = arrangement;
    view().setMiscArrangement(arrangement);
}

void L60Pages::placeSaveButtons(int page)
{
    m_saveButtonsPage = page;
    view().placeSaveButtons(page);
}

// ---- buttons ----

void L60Pages::setSaveRestoreEnabled(bool on)
{
    setButtons({L60Button::Save, L60Button::Restore}, on);
}

void L60Pages::setAccountSaveRestoreEnabled(bool on)
{
    setButtons({L60Button::AccountSave, L60Button::AccountRestore}, on);
}

void L60Pages::disableAllButtons()
{
    setButtons({L60Button::Save, L60Button::Restore, L60Button::AccountSave,
                L60Button::AccountRestore},
               false);
}

// ---- page change ----

void L60Pages::L60CategoryChange(int page)
{
    if (page == MiscPage && !m_miscAttached)
        page = NetworkPage;
    // Leaving a page with edits: they are offered for saving to this camera first, as
    // leaving the camera does; refilling the page itself asks nothing.
    if (m_changed && page != m_page && !m_leavingPage) {
        const QScopedValueRollback<bool> leaving(m_leavingPage, true);
        // The save reads the page being left: it is shown again while asked, and stays
        // when the user steps back or the save could not go.
        view().setCurrentPage(m_page);
        const LeaveQuestion::Answer answer =
            LeaveQuestion::ask(m_messenger, pageTitle(m_page), selection().camera);
        if (answer == LeaveQuestion::Stay || (answer == LeaveQuestion::Save && !savePending()))
            return;
        m_changed = false;
    }
    m_page = page;
    view().setCurrentPage(page);
    const Selection sel = selection();
    if (!sel.camera || !sel.camera->Header)
        return;
    TConfigItem &camera = *sel.camera;
    const bool upgrade = camera.modelCode() == 4;
    switch (page) {
    case NetworkPage:
        FillL60NetworkPage(camera, sel.mac);
        break;
    case HostPage:
        FillL60HostPage(camera);
        break;
    case AccountPage:
        // The account page keeps its own buttons: the page-wide ones stay where they are.
        tabL60AccountShow();
        m_guestTouched = false;
        setAccountSaveRestoreEnabled(false);
        m_changed = false;
        return;
    case MiscPage:
        tabL60MiscellanousShow();
        arrangeMisc(upgrade ? L60MiscArrangement::Upgrade : L60MiscArrangement::Settings);
        // The settings get the page-wide Save and Restore, as every other page.
        if (upgrade)
            view().setStartUpdateEnabled(false);
        break;
    default:
        break;
    }
    setSaveRestoreEnabled(false);
    m_changed = false;
    placeSaveButtons(page);
}

void L60Pages::refillCurrentPage()
{
    L60CategoryChange(m_page);
}

// ---- network type ----

void L60Pages::networkTypeClicked(L60NetworkType type)
{
    chooseNetworkType(type, selection().camera);
}

void L60Pages::chooseNetworkType(L60NetworkType type, const TConfigItem *camera)
{
    // Static IP needs the camera's flags for the DNS field; without a camera the radio
    // the user clicked is all that changes.
    if (type == L60NetworkType::Static && !camera)
        return;
    L60NetworkSettings s = view().shownNetwork();
    s.type = type;
    if (type == L60NetworkType::Static) {
        s.dnsEnabled = L60::HasDnsField(*camera);
        if (!s.dnsEnabled)
            s.dns.clear();
    }
    view().showNetwork(s);
    // DHCP closes both panels through its type alone and leaves the closed state of
    // DisableL60Category as it is.
    if (type != L60NetworkType::Dhcp)
        view().setNetworkPanelsEnabled(true);
    setSaveRestoreEnabled(true);
    m_changed = true;
}

void L60Pages::L60ConfigChanged()
{
    setSaveRestoreEnabled(true);
    m_changed = true;
}

void L60Pages::L60MDSensitivityChange()
{
    L60MiscSettings s = view().shownMisc();
    const QString text = s.sensitivity;
    // An empty field is what the user sees while retyping the number; the Save refuses
    // it if it stays empty.
    if (text.trimmed().isEmpty())
        return;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) {
        m_messenger.tell(ConversionErrorText(text), {}, Messenger::Style::Error);
        return;
    }
    if (value >= 256 || value <= 0) {
        // The replaced text raises the change event again, as typing it would.
        s.sensitivity = value >= 256 ? QStringLiteral("255") : QStringLiteral("1");
        view().showMisc(s);
        L60MDSensitivityChange();
        return;
    }
    L60ConfigChanged();
}

void L60Pages::sensitivityStep(int delta)
{
    L60MiscSettings s = view().shownMisc();
    bool ok = false;
    int value = s.sensitivity.trimmed().toInt(&ok);
    if (!ok)
        value = 1;
    s.sensitivity = QString::number(qBound(1, value + delta, 255));
    view().showMisc(s);
    L60MDSensitivityChange();
}

// ---- account ----

void L60Pages::tabL60AccountShow()
{
    const Selection sel = selection();
    view().setAccountPageEnabled(sel.camera != nullptr);
    if (!sel.camera)
        return;
    setSaveRestoreEnabled(false);
    m_changed = false;
    L60AccountSettings s;
    s.allowGuest = sel.camera->UseAccount;
    view().showAccount(s);
}

void L60Pages::chkL60ChangePasswdClick(bool ticked)
{
    L60AccountSettings s = view().shownAccount();
    s.currentPassword.clear();
    const Selection sel = selection();
    if (sel.camera && ticked) {
        // The login dialog always opens here, even with credentials stored: the user
        // proves the current password before choosing a new one.
        const QString kept = sel.camera->AdminPassword;
        sel.camera->AdminPassword.clear();
        CredentialPrompt *prompt = m_commands.prompt();
        if (!prompt || !RequireCredentials(*sel.camera, *prompt)) {
            ticked = false;
            sel.camera->AdminPassword = kept;
        }
    }
    s.changePassword = ticked;
    if (sel.camera)
        s.currentPassword = sel.camera->AdminPassword;
    if (ticked) {
        s.newPassword.clear();
        s.newPasswordAgain.clear();
    }
    view().showAccount(s);
    if (!ticked && !m_guestTouched) {
        m_changed = false;
        setButtons({L60Button::AccountSave}, false);
        view().showPasswordResult({});
    }
    view().focusControl(QStringLiteral("editL60NewPass"));
}

void L60Pages::editL60NewPassChange()
{
    const L60AccountSettings s = view().shownAccount();
    if (s.newPassword == s.newPasswordAgain && !s.newPassword.isEmpty()) {
        setAccountSaveRestoreEnabled(true);
        view().showPasswordResult({});
        m_changed = true;
        return;
    }
    view().showPasswordResult(GetString(3255, QStringLiteral("Password Mismatch.")));
    // A guest-account change is still worth saving without a new password.
    if (!m_guestTouched) {
        setAccountSaveRestoreEnabled(false);
        m_changed = false;
    }
}

void L60Pages::chkL60UseAccountClick(bool ticked)
{
    L60AccountSettings s = view().shownAccount();
    if (s.allowGuest != ticked) {
        s.allowGuest = ticked;
        view().showAccount(s);
    }
    m_guestTouched = true;
    setAccountSaveRestoreEnabled(true);
    m_changed = true;
}

// ---- misc ----

void L60Pages::tabL60MiscellanousShow()
{
    setSaveRestoreEnabled(false);
    m_changed = false;
    const Selection sel = selection();
    view().setMiscFieldsEnabled(sel.camera != nullptr);
    if (sel.camera) {
        view().showMisc(L60::MiscFromRecord(*sel.camera));
    } else {
        L60MiscSettings s = view().shownMisc();
        s.sourceIndex = -1;
        view().showMisc(s);
    }
}

void L60Pages::btnL60SetFactoryDefaultClick()
{
    m_commands.resetToDefaults(0);
}

// ---- Auto Input ----

void L60Pages::autoInput(L60AutoInput field)
{
    if (!m_local)
        return;
    L60NetworkSettings s = view().shownNetwork();
    QString focus;
    switch (field) {
    case L60AutoInput::IpAddress:
        s.ip = m_local->suggestedAddress();
        focus = QStringLiteral("editL60IPAddr");
        break;
    case L60AutoInput::NetMask:
        s.mask = m_local->netMask();
        focus = QStringLiteral("editL60NetMask");
        break;
    case L60AutoInput::Gateway:
        s.gateway = m_local->gateway();
        focus = QStringLiteral("editL60Gateway");
        break;
    case L60AutoInput::Dns:
        s.dns = m_local->dns();
        focus = QStringLiteral("editL60DNSAddr");
        break;
    case L60AutoInput::PppoeDns:
        s.pppDns = m_local->dns();
        focus = QStringLiteral("pppL60Dns");
        break;
    }
    view().showNetwork(s);
    L60ConfigChanged();
    view().focusControl(focus);
}

void L60Pages::netMaskEntered()
{
    L60NetworkSettings s = view().shownNetwork();
    const std::optional<QString> mask = LocalNetworkInfo::maskSuggestion(s.ip, s.mask);
    if (!mask)
        return;
    s.mask = *mask;
    view().showNetwork(s);
    L60ConfigChanged();
}

// ---- save flows ----

bool L60Pages::confirmApply()
{
    return m_messenger.ask(GetString(3176, QStringLiteral("Apply Changes.  Are you sure?")),
                           confirmCaption());
}

void L60Pages::submit(const Selection &sel, const CommandBytes &command)
{
    afterSubmit(m_commands.submit(sel, command));
}

void L60Pages::afterSubmit(std::optional<CommandOutcome> outcome)
{
    if (outcome == CommandOutcome::NoAnswer) {
        if (m_page == AccountPage)
            setAccountSaveRestoreEnabled(true);
        else
            setSaveRestoreEnabled(true);
        m_changed = true;
    }
}

void L60Pages::btnL60SaveClick()
{
    saveShownPage(true);
}

bool L60Pages::checkShownPage(const Selection &sel)
{
    std::optional<CheckFailure> f;
    switch (m_page) {
    case NetworkPage:
        f = L60::CheckNetwork(view().shownNetwork(), sel.kind == ConnectionColumnText(Connection::Remote));
        break;
    case HostPage:
        f = L60::CheckHost(view().shownHost());
        break;
    case AccountPage:
        f = L60::CheckPageAccount(view().shownAccount());
        if (f) {
            setSaveRestoreEnabled(true);
            m_changed = true;
        }
        break;
    case MiscPage:
        f = L60::CheckMisc(view().shownMisc());
        break;
    default:
        break;
    }
    if (f)
        showFailure(*f);
    return !f;
}

bool L60Pages::saveShownPage(bool ask)
{
    const Selection sel = selection();
    // What the page can tell by itself is told before the question and the login: a
    // typing error is mended without a password typed in vain.
    if (sel.camera && !checkShownPage(sel))
        return false;
    if (ask && !confirmApply())
        return false;
    if (sel.record < 0 && !sel.camera)
        return true;
    if (!sel.camera) {
        m_messenger.tell(GetString(3256, QStringLiteral("Camera Configuration is Wrong"))
                             + QStringLiteral("\n")
                             + GetString(3257, QStringLiteral("Now Terminating the application")),
                         {}, Messenger::Style::Error);
        emit terminateRequested();
        return true;
    }
    TConfigItem &camera = *sel.camera;
    CredentialPrompt *prompt = m_commands.prompt();
    if (!prompt || !RequireCredentials(camera, *prompt)) {
        refillCurrentPage();
        setSaveRestoreEnabled(true);
        m_changed = true;
        return false;
    }
    switch (m_page) {
    case NetworkPage:
        submit(sel, L60::NetworkCommand(camera, sel.kind, view().shownNetwork(), m_commands.sources()));
        break;
    case HostPage:
        submit(sel, L60::HostCommand(camera, sel.kind, view().shownHost(), m_commands.sources()));
        break;
    case AccountPage:
        submit(sel, L60::PageAccountCommand(camera, sel.kind, view().shownAccount(), m_commands.sources()));
        break;
    case MiscPage:
        submit(sel, L60::MiscCommand(camera, sel.kind, view().shownMisc(), m_commands.sources()));
        break;
    default:
        break;
    }
    return true;
}

void L60Pages::btnL60AccountSaveClick()
{
    saveAccount(true);
}

bool L60Pages::saveAccount(bool ask)
{
    const L60AccountSettings s = view().shownAccount();
    if (auto f = L60::CheckAccountSave(s)) {
        showFailure(*f);
        return false;
    }
    bool cancelled = false;
    PageCommands::AccountSteps steps;
    steps.ask = ask;
    steps.loginCancelled = [this, &cancelled] {
        cancelled = true;
        refillCurrentPage();
        setAccountSaveRestoreEnabled(true);
        m_changed = true;
    };
    steps.loggedIn = [](TConfigItem &camera, L60AccountSettings &settings) {
        // The current-password field shows what the user confirmed when ticking "Change
        // Password"; an empty field must not wipe the password just entered.
        if (settings.changePassword && !settings.currentPassword.isEmpty())
            camera.AdminPassword = settings.currentPassword;
    };
    steps.sending = [this] { chkL60ChangePasswdClick(false); };
    afterSubmit(m_commands.saveAccount(s, steps));
    return !cancelled;
}

void L60Pages::btnL60RestoreClick()
{
    if (!m_messenger.ask(GetString(3239, QStringLiteral("RESTORE changes. Are you sure?")),
                         GetString(3169, QStringLiteral("Warning"))))
        return;
    const Selection sel = selection();
    if (m_page == NetworkPage || m_page == HostPage) {
        FillL60Pages();
    } else if (m_page == AccountPage) {
        if (!sel.camera)
            return;
        sel.camera->AdminPassword.clear();
        tabL60AccountShow();
    } else if (m_page == MiscPage) {
        tabL60MiscellanousShow();
    }
    disableAllButtons();
    m_changed = false;
}

bool L60Pages::savePending()
{
    if (buttonEnabled(L60Button::Save))
        return saveShownPage(false);
    return saveAccount(false);
}

QString L60Pages::pageTitle(int page)
{
    switch (page) {
    case NetworkPage:
        return GetString(3025, QStringLiteral("Network Info"));
    case HostPage:
        return GetString(3044, QStringLiteral("Host Name"));
    case AccountPage:
        return GetString(3049, QStringLiteral("Account"));
    case MiscPage:
        return GetString(3057, QStringLiteral("Miscellaneous"));
    default:
        return {};
    }
}

#include "protoconfig/l60_pages.h"

#include "app/messenger.h"
#include "app/string_table.h"
#include "protocol/config_item.h"
#include "protocol/local_network_info.h"
#include "protoconfig/credentials.h"

namespace {

constexpr const char *kStaticPanel[] = {
    "editL60MacAddr", "editL60IPAddr", "editL60NetMask", "editL60Gateway", "editL60DNSAddr",
    "lblL60DNSAddr", "btnL60StaticPutIP", "btnL60StaticPutNetMask", "btnL60StaticPutGateway",
    "btnL60StaticPutDns"};
constexpr const char *kPppoePanel[] = {
    "pppL60UserID", "pppL60Password", "pppL60Service", "pppL60MTU", "pppL60Dns",
    "pppL60SelectDnsTypeAuto", "pppL60SelectDnsTypeManual", "btnL60PPPPutDnsAddr"};
constexpr const char *kOthers[] = {
    "btnL60Save", "btnL60Restore", "RadioGroup5", "btnL60SelectStaticIP", "btnL60SelectDhcp",
    "btnL60SelectPPPOE", "staticL60IPPanel", "staticL60PPPOEPanel", "groupAudio",
    "lblL60AudioEnabled", "tabL60NetworkInfo", "tabL60Hostname", "editL60HostName",
    "editL60Domain", "editL60Model", "tabL60Account", "btnL60AccountSave",
    "btnL60AccountRestore", "chkL60ChangePasswd", "editL60OldPassword", "lblL60OldPassword",
    "editL60NewPass", "lblL60NewPass", "editL60NewPassAgain", "lblL60NewPassAgain",
    "LabelL60PasswordResult", "chkL60UseAccount", "tabL60Miscellanous",
    "grpL60MDSensitivity", "L60MDSensitivity", "UpDownL60MDSensitivity", "grpL60DIOSource",
    "cboL60DoSource", "T50FlashGroup", "btnL60StartUpdate", "btnL60SetFactoryDefault"};

QString confirmCaption()
{
    return GetString(3252, QStringLiteral("Confirm"));
}

} // namespace

L60Pages::L60Pages(Messenger &messenger, QObject *parent)
    : QObject(parent)
    , m_messenger(messenger)
{
    for (const QString &name : controlNames())
        m_controls.insert(name, {});
    c("btnL60Save").enabled = false;
    c("btnL60Restore").enabled = false;
    c("btnL60AccountSave").enabled = false;
    c("btnL60AccountRestore").enabled = false;
    c("btnL60SelectStaticIP").checked = true;
    c("staticL60PPPOEPanel").visible = false;
    c("pppL60SelectDnsTypeManual").checked = true;
    c("lblL60AudioEnabled").text = GetString(3040, QStringLiteral("Audio is NOT avilable"));
    c("L60MDSensitivity").text = QStringLiteral("1");
    c("tabL60Miscellanous").visible = false;
}

QStringList L60Pages::controlNames()
{
    QStringList names;
    for (const char *n : kStaticPanel)
        names << QLatin1String(n);
    for (const char *n : kPppoePanel)
        names << QLatin1String(n);
    for (const char *n : kOthers)
        names << QLatin1String(n);
    return names;
}

const L60Control &L60Pages::control(const QString &name) const
{
    static const L60Control none;
    const auto it = m_controls.constFind(name);
    return it == m_controls.constEnd() ? none : *it;
}

L60Control &L60Pages::c(const char *name)
{
    return m_controls[QLatin1String(name)];
}

void L60Pages::setText(const char *name, const QString &text)
{
    c(name).text = text;
}

void L60Pages::setEnabled(std::initializer_list<const char *> names, bool on)
{
    for (const char *n : names)
        c(n).enabled = on;
}

void L60Pages::focus(const QString &name)
{
    emit stateChanged();
    const L60Control &ctl = control(name);
    if (ctl.enabled && ctl.visible)
        emit focusRequested(name);
}

void L60Pages::showFailure(const CheckFailure &failure)
{
    emit stateChanged();
    m_messenger.tell(failure.text, failure.caption, failure.style);
    focus(failure.focus);
}

L60Pages::Selection L60Pages::selection() const
{
    return m_selection ? m_selection() : Selection{};
}

// ---- settings ----

L60NetworkSettings L60Pages::networkSettings() const
{
    L60NetworkSettings s;
    if (control(QStringLiteral("btnL60SelectDhcp")).checked)
        s.type = L60NetworkType::Dhcp;
    else if (control(QStringLiteral("btnL60SelectPPPOE")).checked)
        s.type = L60NetworkType::Pppoe;
    auto text = [this](const char *n) { return control(QLatin1String(n)).text; };
    s.ip = text("editL60IPAddr");
    s.mask = text("editL60NetMask");
    s.gateway = text("editL60Gateway");
    s.dnsEnabled = control(QStringLiteral("editL60DNSAddr")).enabled;
    s.dns = s.dnsEnabled ? text("editL60DNSAddr") : QString();
    s.pppUser = text("pppL60UserID");
    s.pppPassword = text("pppL60Password");
    s.pppService = text("pppL60Service");
    s.pppMtu = text("pppL60MTU");
    s.pppManualDns = control(QStringLiteral("pppL60SelectDnsTypeManual")).checked;
    s.pppDns = text("pppL60Dns");
    return s;
}

L60HostSettings L60Pages::hostSettings() const
{
    return {control(QStringLiteral("editL60HostName")).text,
            control(QStringLiteral("editL60Domain")).text};
}

L60AccountSettings L60Pages::accountSettings() const
{
    L60AccountSettings s;
    s.changePassword = control(QStringLiteral("chkL60ChangePasswd")).checked;
    s.currentPassword = control(QStringLiteral("editL60OldPassword")).text;
    s.newPassword = control(QStringLiteral("editL60NewPass")).text;
    s.newPasswordAgain = control(QStringLiteral("editL60NewPassAgain")).text;
    s.allowGuest = control(QStringLiteral("chkL60UseAccount")).checked;
    return s;
}

L60MiscSettings L60Pages::miscSettings() const
{
    return {control(QStringLiteral("L60MDSensitivity")).text,
            control(QStringLiteral("cboL60DoSource")).index};
}

// ---- filling ----

void L60Pages::FillL60Pages()
{
    const Selection sel = selection();
    if (!sel.camera)
        return;
    TConfigItem &camera = *sel.camera;
    if (camera.Header) {
        FillL60NetworkPage(camera, sel.mac);
        FillL60HostPage(camera);
        if (L60::HasMiscPage(camera)) {
            attachMisc(true);
            arrangeMisc(MiscArrangement::Settings);
            const L60MiscSettings misc = L60::MiscFromRecord(camera);
            setText("L60MDSensitivity", misc.sensitivity);
            c("cboL60DoSource").index = misc.sourceIndex;
        } else {
            attachMisc(false);
        }
    }
    emit stateChanged();
}

void L60Pages::FillL60NetworkPage(const TConfigItem &camera, const QString &mac)
{
    auto chooseAnnounced = [this, &camera] {
        if (const std::optional<L60NetworkType> type = L60::AnnouncedNetworkType(camera))
            networkTypeClicked(*type);
    };
    chooseAnnounced();

    const L60NetworkSettings s = L60::NetworkFromRecord(camera);
    if (camera.AddressBlock) {
        setText("editL60MacAddr", mac);
        setText("editL60IPAddr", s.ip);
        setText("editL60NetMask", s.mask);
        setText("editL60Gateway", s.gateway);
        if (L60::HasDnsField(camera)) {
            if (c("editL60IPAddr").enabled) {
                setEnabled({"editL60DNSAddr", "btnL60StaticPutDns"}, true);
                c("editL60DNSAddr").paint = L60Paint::Window;
            }
            setText("editL60DNSAddr", camera.addressWord(3));
        } else {
            setEnabled({"editL60DNSAddr", "btnL60StaticPutDns"}, false);
            c("editL60DNSAddr").paint = L60Paint::InactiveBorder;
            setText("editL60DNSAddr", {});
        }
    } else {
        c("btnL60SelectStaticIP").enabled = false;
    }

    if (camera.PppoeBlock) {
        setText("pppL60UserID", s.pppUser);
        setText("pppL60Password", s.pppPassword);
        setText("pppL60Service", s.pppService);
        setText("pppL60MTU", s.pppMtu);
        c("pppL60SelectDnsTypeManual").checked = s.pppManualDns;
        c("pppL60SelectDnsTypeAuto").checked = !s.pppManualDns;
        setText("pppL60Dns", s.pppDns);
    } else {
        c("btnL60SelectPPPOE").enabled = false;
    }

    chooseAnnounced();
    setText("lblL60AudioEnabled", camera.AudioAvailable
                                      ? GetString(3041, QStringLiteral("Audio is available"))
                                      : GetString(3040, QStringLiteral("Audio is NOT available")));
    emit stateChanged();
}

void L60Pages::FillL60HostPage(const TConfigItem &camera)
{
    if (camera.DomainName) {
        c("editL60Domain").enabled = true;
        c("editL60Domain").paint = L60Paint::Window;
        setText("editL60Domain", camera.domainNameText());
    } else {
        c("editL60Domain").paint = L60Paint::InactiveBorder;
        c("editL60Domain").enabled = false;
        setText("editL60Domain", {});
    }
    setText("editL60HostName", camera.hostNameText());
    setText("editL60Model", camera.modelNameText());
    emit stateChanged();
}

void L60Pages::EnableL60CategoryClick()
{
    const Selection sel = selection();
    if (!sel.camera || !sel.camera->Header)
        return;
    c("btnL60SelectStaticIP").enabled = L60::OffersStatic(*sel.camera);
    c("btnL60SelectDhcp").enabled = L60::OffersDhcp(*sel.camera);
    c("btnL60SelectPPPOE").enabled = L60::OffersPppoe(*sel.camera);
    emit stateChanged();
}

void L60Pages::disableNetworkChoices()
{
    setEnabled({"btnL60SelectStaticIP", "btnL60SelectDhcp", "btnL60SelectPPPOE"}, false);
    emit stateChanged();
}

void L60Pages::DisableL60Category()
{
    m_page = NetworkPage;
    m_saveButtonsPage = NetworkPage;
    attachMisc(false);
    SetStaticPanelEnabled(false);
    SetPppoePanelEnabled(false);
    disableNetworkChoices();
}

void L60Pages::SetStaticPanelEnabled(bool on)
{
    for (const char *n : kStaticPanel)
        c(n).enabled = on;
    c("staticL60IPPanel").enabled = on;
}

void L60Pages::SetPppoePanelEnabled(bool on)
{
    for (const char *n : kPppoePanel)
        c(n).enabled = on;
    c("staticL60PPPOEPanel").enabled = on;
}

void L60Pages::showFirstPage()
{
    m_page = NetworkPage;
    m_saveButtonsPage = NetworkPage;
    emit stateChanged();
}

void L60Pages::attachMisc(bool on)
{
    m_miscAttached = on;
    c("tabL60Miscellanous").visible = on;
    if (!on && m_page == MiscPage)
        m_page = NetworkPage;
}

void L60Pages::arrangeMisc(MiscArrangement arrangement)
{
    m_arrangement = arrangement;
    const bool settings = arrangement == MiscArrangement::Settings;
    c("grpL60MDSensitivity").visible = settings;
    c("grpL60DIOSource").visible = settings;
    c("T50FlashGroup").visible = !settings;
}

// ---- buttons ----

void L60Pages::setSaveRestoreEnabled(bool on)
{
    setEnabled({"btnL60Save", "btnL60Restore"}, on);
    emit stateChanged();
}

void L60Pages::setAccountSaveRestoreEnabled(bool on)
{
    setEnabled({"btnL60AccountSave", "btnL60AccountRestore"}, on);
    emit stateChanged();
}

void L60Pages::disableAllButtons()
{
    setEnabled({"btnL60Save", "btnL60Restore", "btnL60AccountSave", "btnL60AccountRestore"},
               false);
    emit stateChanged();
}

// ---- page change ----

void L60Pages::L60CategoryChange(int page)
{
    if (page == MiscPage && !m_miscAttached)
        page = NetworkPage;
    m_page = page;
    const Selection sel = selection();
    if (!sel.camera || !sel.camera->Header) {
        emit stateChanged();
        return;
    }
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
        tabL60AccountShow();
        c("chkL60ChangePasswd").checked = false;
        setEnabled({"editL60OldPassword", "lblL60OldPassword"}, false);
        c("editL60OldPassword").paint = L60Paint::ButtonFace;
        m_guestTouched = false;
        setEnabled({"btnL60AccountSave", "btnL60AccountRestore"}, false);
        m_changed = false;
        setText("editL60OldPassword", {});
        setEnabled({"editL60NewPass", "lblL60NewPass", "editL60NewPassAgain", "lblL60NewPassAgain"},
                   false);
        emit stateChanged();
        return;
    case MiscPage:
        tabL60MiscellanousShow();
        arrangeMisc(upgrade ? MiscArrangement::Upgrade : MiscArrangement::Settings);
        if (!upgrade) {
            emit stateChanged();
            return;
        }
        c("btnL60StartUpdate").enabled = false;
        break;
    default:
        break;
    }
    setEnabled({"btnL60Save", "btnL60Restore"}, false);
    m_changed = false;
    m_saveButtonsPage = page;
    emit stateChanged();
}

void L60Pages::refillCurrentPage()
{
    L60CategoryChange(m_page);
}

// ---- network type ----

void L60Pages::networkTypeClicked(L60NetworkType type)
{
    c("btnL60SelectStaticIP").checked = type == L60NetworkType::Static;
    c("btnL60SelectDhcp").checked = type == L60NetworkType::Dhcp;
    c("btnL60SelectPPPOE").checked = type == L60NetworkType::Pppoe;
    switch (type) {
    case L60NetworkType::Static:
        btnL60SelectStaticIPClick();
        break;
    case L60NetworkType::Dhcp:
        btnL60SelectDhcpClick();
        break;
    case L60NetworkType::Pppoe:
        btnL60SelectPPPOEClick();
        break;
    }
}

void L60Pages::btnL60SelectStaticIPClick()
{
    const Selection sel = selection();
    if (!sel.camera)
        return;
    c("staticL60PPPOEPanel").visible = false;
    SetStaticPanelEnabled(true);
    c("staticL60IPPanel").visible = true;
    setEnabled({"btnL60Save", "btnL60Restore"}, true);
    m_changed = true;
    const bool dns = L60::HasDnsField(*sel.camera);
    setEnabled({"editL60DNSAddr", "btnL60StaticPutDns", "lblL60DNSAddr"}, dns);
    c("editL60DNSAddr").paint = dns ? L60Paint::Window : L60Paint::InactiveBorder;
    if (!dns)
        setText("editL60DNSAddr", {});
    emit stateChanged();
}

void L60Pages::btnL60SelectDhcpClick()
{
    SetStaticPanelEnabled(false);
    SetPppoePanelEnabled(false);
    setEnabled({"btnL60Save", "btnL60Restore"}, true);
    m_changed = true;
    emit stateChanged();
}

void L60Pages::btnL60SelectPPPOEClick()
{
    c("staticL60PPPOEPanel").visible = true;
    SetPppoePanelEnabled(true);
    const bool manual = c("pppL60SelectDnsTypeManual").checked;
    setEnabled({"pppL60Dns", "btnL60PPPPutDnsAddr"}, manual);
    c("staticL60IPPanel").visible = false;
    setEnabled({"btnL60Save", "btnL60Restore"}, true);
    m_changed = true;
    emit stateChanged();
}

void L60Pages::pppL60SelectDnsTypeManualClick()
{
    c("pppL60SelectDnsTypeManual").checked = true;
    c("pppL60SelectDnsTypeAuto").checked = false;
    setEnabled({"pppL60Dns", "btnL60PPPPutDnsAddr"}, true);
    L60ConfigChanged();
}

void L60Pages::pppL60SelectDnsTypeAutoClick()
{
    c("pppL60SelectDnsTypeManual").checked = false;
    c("pppL60SelectDnsTypeAuto").checked = true;
    setEnabled({"pppL60Dns", "btnL60PPPPutDnsAddr"}, false);
    L60ConfigChanged();
}

void L60Pages::L60ConfigChanged()
{
    setEnabled({"btnL60Save", "btnL60Restore"}, true);
    m_changed = true;
    emit stateChanged();
}

void L60Pages::L60MDSensitivityChange()
{
    const QString text = c("L60MDSensitivity").text;
    // An empty field is what the user sees while retyping the number; the Save refuses
    // it if it stays empty.
    if (text.trimmed().isEmpty())
        return;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) {
        emit stateChanged();
        m_messenger.tell(ConversionErrorText(text), {}, Messenger::Style::Error);
        return;
    }
    if (value >= 256) {
        setText("L60MDSensitivity", QStringLiteral("255"));
        L60MDSensitivityChange();
    } else if (value <= 0) {
        setText("L60MDSensitivity", QStringLiteral("1"));
        L60MDSensitivityChange();
    } else {
        L60ConfigChanged();
    }
}

void L60Pages::sensitivityStep(int delta)
{
    bool ok = false;
    int value = c("L60MDSensitivity").text.trimmed().toInt(&ok);
    if (!ok)
        value = 1;
    setText("L60MDSensitivity", QString::number(qBound(1, value + delta, 255)));
    L60MDSensitivityChange();
}

// ---- account ----

void L60Pages::tabL60AccountShow()
{
    const Selection sel = selection();
    if (!sel.camera) {
        c("tabL60Account").enabled = false;
        emit stateChanged();
        return;
    }
    c("tabL60Account").enabled = true;
    c("chkL60UseAccount").checked = sel.camera->UseAccount;
    setEnabled({"btnL60Save", "btnL60Restore"}, false);
    m_changed = false;
    for (const char *n : {"editL60OldPassword", "editL60NewPass", "editL60NewPassAgain"})
        setText(n, {});
    setEnabled({"editL60NewPass", "lblL60NewPass", "editL60NewPassAgain", "lblL60NewPassAgain"},
               false);
    c("editL60NewPass").paint = L60Paint::ButtonFace;
    c("editL60NewPassAgain").paint = L60Paint::ButtonFace;
    c("chkL60ChangePasswd").checked = false;
    emit stateChanged();
}

void L60Pages::chkL60ChangePasswdClick(bool ticked)
{
    c("chkL60ChangePasswd").checked = ticked;
    setEnabled({"editL60OldPassword", "lblL60OldPassword"}, false);
    c("editL60OldPassword").paint = L60Paint::ButtonFace;
    setText("editL60OldPassword", {});
    const Selection sel = selection();
    if (sel.camera && ticked) {
        const QString kept = sel.camera->AdminPassword;
        sel.camera->AdminPassword.clear();
        emit stateChanged();
        if (!m_prompt || !RequireCredentials(*sel.camera, *m_prompt)) {
            ticked = false;
            c("chkL60ChangePasswd").checked = false;
            sel.camera->AdminPassword = kept;
        }
    }
    if (sel.camera)
        setText("editL60OldPassword", sel.camera->AdminPassword);
    setEnabled({"editL60NewPass", "lblL60NewPass", "editL60NewPassAgain", "lblL60NewPassAgain"},
               ticked);
    if (ticked) {
        c("editL60NewPass").paint = L60Paint::Window;
        c("editL60NewPassAgain").paint = L60Paint::Window;
        setText("editL60NewPass", {});
        setText("editL60NewPassAgain", {});
    } else {
        c("editL60NewPass").paint = L60Paint::ButtonFace;
        c("editL60NewPassAgain").paint = L60Paint::ButtonFace;
        if (!m_guestTouched) {
            m_changed = false;
            c("btnL60AccountSave").enabled = false;
            setText("LabelL60PasswordResult", {});
        }
    }
    focus(QStringLiteral("editL60NewPass"));
}

void L60Pages::editL60NewPassChange()
{
    const QString a = c("editL60NewPass").text;
    const QString b = c("editL60NewPassAgain").text;
    if (a == b && !a.isEmpty()) {
        setEnabled({"btnL60AccountSave", "btnL60AccountRestore"}, true);
        setText("LabelL60PasswordResult", {});
        m_changed = true;
    } else {
        setText("LabelL60PasswordResult", GetString(3255, QStringLiteral("Password Mismatch.")));
        if (!m_guestTouched) {
            setEnabled({"btnL60AccountSave", "btnL60AccountRestore"}, false);
            m_changed = false;
        }
    }
    emit stateChanged();
}

void L60Pages::chkL60UseAccountClick(bool ticked)
{
    c("chkL60UseAccount").checked = ticked;
    m_guestTouched = true;
    setEnabled({"btnL60AccountSave", "btnL60AccountRestore"}, true);
    m_changed = true;
    emit stateChanged();
}

// ---- misc ----

void L60Pages::tabL60MiscellanousShow()
{
    setEnabled({"btnL60Save", "btnL60Restore"}, false);
    m_changed = false;
    const Selection sel = selection();
    const bool on = sel.camera != nullptr;
    setEnabled({"L60MDSensitivity", "UpDownL60MDSensitivity", "cboL60DoSource"}, on);
    const L60Paint paint = on ? L60Paint::Window : L60Paint::ButtonFace;
    c("L60MDSensitivity").paint = paint;
    c("cboL60DoSource").paint = paint;
    if (on) {
        const L60MiscSettings misc = L60::MiscFromRecord(*sel.camera);
        setText("L60MDSensitivity", misc.sensitivity);
        c("cboL60DoSource").index = misc.sourceIndex;
    } else {
        c("cboL60DoSource").index = -1;
    }
    emit stateChanged();
}

void L60Pages::btnL60SetFactoryDefaultClick()
{
    const Selection sel = selection();
    if (!m_prompt || !m_confirmation)
        return;
    CommandEnvironment env{m_messenger, *m_prompt, *m_confirmation, m_sources};
    SendResetToDefaults(sel.camera, sel.camera ? sel.record : -1, sel.kind, false, 0, env);
}

// ---- Auto Input ----

void L60Pages::autoInput(const QString &button)
{
    if (!m_local)
        return;
    const char *field = nullptr;
    QString value;
    if (button == QLatin1String("btnL60StaticPutIP")) {
        field = "editL60IPAddr";
        value = m_local->suggestedAddress();
    } else if (button == QLatin1String("btnL60StaticPutNetMask")) {
        field = "editL60NetMask";
        value = m_local->netMask();
    } else if (button == QLatin1String("btnL60StaticPutGateway")) {
        field = "editL60Gateway";
        value = m_local->gateway();
    } else if (button == QLatin1String("btnL60StaticPutDns")) {
        field = "editL60DNSAddr";
        value = m_local->dns();
    } else if (button == QLatin1String("btnL60PPPPutDnsAddr")) {
        field = "pppL60Dns";
        value = m_local->dns();
    } else {
        return;
    }
    setText(field, value);
    L60ConfigChanged();
    focus(QLatin1String(field));
}

void L60Pages::netMaskEntered()
{
    const std::optional<QString> mask =
        LocalNetworkInfo::maskSuggestion(c("editL60IPAddr").text, c("editL60NetMask").text);
    if (!mask)
        return;
    setText("editL60NetMask", *mask);
    L60ConfigChanged();
}

// ---- user input ----

void L60Pages::textEdited(const QString &name, const QString &text)
{
    if (!m_controls.contains(name))
        return;
    m_controls[name].text = text;
    if (name == QLatin1String("L60MDSensitivity"))
        L60MDSensitivityChange();
    else if (name == QLatin1String("editL60NewPass") || name == QLatin1String("editL60NewPassAgain"))
        editL60NewPassChange();
    else if (name == QLatin1String("editL60OldPassword"))
        emit stateChanged();
    else
        L60ConfigChanged();
}

void L60Pages::entryChosen(const QString &name, int index)
{
    if (!m_controls.contains(name))
        return;
    m_controls[name].index = index;
    L60ConfigChanged();
}

// ---- save flows ----

bool L60Pages::confirmApply()
{
    return m_messenger.ask(GetString(3176, QStringLiteral("Apply Changes.  Are you sure?")),
                           confirmCaption());
}

void L60Pages::submit(TConfigItem &camera, int record, const CommandBytes &command)
{
    if (!command.ok()) {
        m_messenger.tell(command.error, L60::ErrorCaption(), Messenger::Style::Error);
        return;
    }
    if (!m_confirmation)
        return;
    emit stateChanged();
    Commands::Submit(camera, record, L60::Unicast(camera), command.bytes, Commands::kCapacity,
                     *m_confirmation);
    emit stateChanged();
}

void L60Pages::btnL60SaveClick()
{
    if (!confirmApply())
        return;
    const Selection sel = selection();
    if (sel.record < 0 && !sel.camera)
        return;
    if (!sel.camera) {
        m_messenger.tell(GetString(3256, QStringLiteral("Camera Configuration is Wrong"))
                             + QStringLiteral("\n")
                             + GetString(3257, QStringLiteral("Now Terminating the application")),
                         {}, Messenger::Style::Error);
        emit terminateRequested();
        return;
    }
    TConfigItem &camera = *sel.camera;
    if (!m_prompt || !RequireCredentials(camera, *m_prompt)) {
        refillCurrentPage();
        setSaveRestoreEnabled(true);
        m_changed = true;
        return;
    }
    switch (m_page) {
    case NetworkPage: {
        const L60NetworkSettings s = networkSettings();
        if (auto f = L60::CheckNetwork(s, sel.kind == QLatin1String("3"))) {
            showFailure(*f);
            return;
        }
        submit(camera, sel.record, L60::NetworkCommand(camera, sel.kind, s, m_sources));
        return;
    }
    case HostPage: {
        const L60HostSettings s = hostSettings();
        if (auto f = L60::CheckHost(s)) {
            showFailure(*f);
            return;
        }
        submit(camera, sel.record, L60::HostCommand(camera, sel.kind, s, m_sources));
        return;
    }
    case AccountPage: {
        const L60AccountSettings s = accountSettings();
        if (auto f = L60::CheckPageAccount(s)) {
            setSaveRestoreEnabled(true);
            m_changed = true;
            showFailure(*f);
            return;
        }
        submit(camera, sel.record, L60::PageAccountCommand(camera, sel.kind, s, m_sources));
        return;
    }
    case MiscPage: {
        const L60MiscSettings s = miscSettings();
        if (auto f = L60::CheckMisc(s)) {
            showFailure(*f);
            return;
        }
        submit(camera, sel.record, L60::MiscCommand(camera, sel.kind, s, m_sources));
        return;
    }
    default:
        return;
    }
}

void L60Pages::btnL60AccountSaveClick()
{
    const L60AccountSettings s = accountSettings();
    if (auto f = L60::CheckAccountSave(s)) {
        showFailure(*f);
        return;
    }
    if (!confirmApply())
        return;
    const Selection sel = selection();
    if (!sel.camera)
        return;
    TConfigItem &camera = *sel.camera;
    if (camera.AdminPassword.isEmpty()) {
        if (!m_prompt || !RequireCredentials(camera, *m_prompt)) {
            refillCurrentPage();
            setAccountSaveRestoreEnabled(true);
            m_changed = true;
            return;
        }
        // The current-password field shows what the user confirmed when ticking "Change
        // Password"; an empty field must not wipe the password just entered.
        if (s.changePassword && !s.currentPassword.isEmpty())
            camera.AdminPassword = s.currentPassword;
    }
    const CommandBytes command = L60::AccountSaveCommand(camera, sel.kind, s, m_sources);
    if (!command.ok()) {
        m_messenger.tell(command.error, L60::ErrorCaption(), Messenger::Style::Error);
        return;
    }
    chkL60ChangePasswdClick(false);
    submit(camera, sel.record, command);
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
    }
    disableAllButtons();
    m_changed = false;
    emit stateChanged();
}

void L60Pages::savePending()
{
    if (c("btnL60Save").enabled)
        btnL60SaveClick();
    else
        btnL60AccountSaveClick();
}

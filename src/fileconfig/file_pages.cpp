#include "fileconfig/file_pages.h"

#include "fileconfig/camera_update.h"

#include "base/messenger.h"
#include "base/shared_routines.h"
#include "base/string_table.h"
#include "fileconfig/account_checks.h"
#include "fileconfig/config_runner.h"
#include "fileconfig/file_pages_view.h"
#include "fileconfig/page_checks.h"
#include "protocol/config_item.h"
#include "protocol/local_network_info.h"
#include "protoconfig/credentials.h"
#include "protoconfig/l60_settings.h"

#include <QHostAddress>

namespace {

QString warningCaption()
{
    return GetString(3169, QStringLiteral("Warning"));
}

CameraTraits traitsOf(const TConfigItem &camera)
{
    CameraTraits t;
    t.motionDetection = PageFiles::HasMotionDetection(camera.modelCode());
    t.channelOneModelBox = !t.motionDetection;
    t.audio = camera.AudioAvailable != 0;
    return t;
}

bool isFileTab(FileTab tab)
{
    return int(tab) >= int(FileTab::Ddns);
}

} // namespace

FilePages::FilePages(Messenger &messenger, QObject *parent)
    : QObject(parent)
    , m_messenger(messenger)
{
}

QString FilePages::localFolder() const
{
    return m_folder.isEmpty() ? LocalTempFolder() : m_folder;
}

FilePages::Selection FilePages::selection() const
{
    return m_selection ? m_selection() : Selection{};
}

bool FilePages::changed() const
{
    if (m_tab == FileTab::Account)
        return m_accountButtons;
    if (!m_view || !m_loaded || m_tab == FileTab::CameraUpdate)
        return false;
    return m_view->shownSettings(m_tab) != *m_loaded;
}

void FilePages::updateButtons()
{
    if (!m_view)
        return;
    m_view->setAccountButtonsEnabled(m_tab == FileTab::Account && m_accountButtons);
    m_view->setSaveButtonsEnabled(m_tab != FileTab::Account && changed());
}

void FilePages::failed(const QString &text, const QString &caption, int style, const QString &focus)
{
    m_messenger.tell(text, caption, Messenger::Style(style));
    if (m_view && !focus.isEmpty())
        m_view->focusControl(focus);
}

// ---- entering ----

void FilePages::CategoryChange(FileTab tab)
{
    if (tab != m_tab)
        leavePage();
    enter(tab);
}

void FilePages::enterFirstPage()
{
    m_tab = FileTab::NetworkInfo;
    if (m_view)
        m_view->setCurrentTab(m_tab);
    enter(m_tab);
}

void FilePages::reenterCurrentPage()
{
    enter(m_tab);
}

void FilePages::refreshFromRecord()
{
    // A reply of the selected camera refreshes the pages shown from its record; edits
    // the user has not saved yet stay.
    if (changed())
        return;
    if (m_tab == FileTab::NetworkInfo || m_tab == FileTab::HostName)
        enter(m_tab);
}

void FilePages::clear()
{
    m_loaded.reset();
    m_accountButtons = false;
    m_useAccountChanged = false;
    updateButtons();
}

void FilePages::enter(FileTab tab)
{
    m_tab = tab;
    m_loaded.reset();
    m_accountButtons = false;
    if (tab == FileTab::CameraUpdate && m_update)
        m_update->enter();
    const Selection sel = selection();
    if (!m_view || !sel.camera || !sel.camera->Header) {
        updateButtons();
        return;
    }
    switch (tab) {
    case FileTab::CameraUpdate:
        break;
    case FileTab::Account:
        enterAccountPage(sel);
        break;
    case FileTab::NetworkInfo:
    case FileTab::HostName:
        loadRecordPages(sel);
        break;
    default:
        enterFilePage(sel);
        break;
    }
    updateButtons();
}

void FilePages::showLoaded(const PageSettings &settings)
{
    m_view->showSettings(m_tab, settings);
    // What the controls make of the values is what counts as unchanged.
    m_loaded = m_view->shownSettings(m_tab);
}

void FilePages::loadRecordPages(const Selection &sel)
{
    const TConfigItem &camera = *sel.camera;
    m_view->setCameraTraits(traitsOf(camera));
    m_view->setRecordDetails({sel.mac, camera.modelNameText(), (camera.flags() & 0x01) != 0});
    m_view->setPageEnabled(FileTab::NetworkInfo, true);
    m_view->setPageEnabled(FileTab::HostName, true);
    m_view->showSettings(FileTab::NetworkInfo, L60::NetworkFromRecord(camera));
    m_view->showSettings(FileTab::HostName, L60::HostFromRecord(camera));
    m_loaded = m_view->shownSettings(m_tab);
}

void FilePages::enterAccountPage(const Selection &sel)
{
    AccountPageSettings s;
    s.allowGuest = sel.camera->UseAccount;
    m_view->setPageEnabled(FileTab::Account, true);
    m_view->showSettings(FileTab::Account, s);
    m_view->setPasswordResult({});
    m_useAccountChanged = false;
    m_accountButtons = false;
    m_loaded = m_view->shownSettings(FileTab::Account);
}

bool FilePages::reachable(const TConfigItem &camera) const
{
    // A camera on the loopback network is this machine's own (a simulated one).
    if (!m_local || (InetAddr(camera.Address) >> 24) == 127)
        return true;
    return SameNetwork(camera.Address, m_local->netMask(), m_local->selectedAddress());
}

bool FilePages::enterFilePage(const Selection &sel)
{
    TConfigItem &camera = *sel.camera;
    const FileTab tab = m_tab;
    const CameraTraits traits = traitsOf(camera);
    m_view->setCameraTraits(traits);
    // Until the camera's files arrived the page shows nothing of this camera: a page
    // left enabled with the last camera's values would upload them to this one.
    m_view->setPageEnabled(tab, false);
    if (tab == FileTab::Audio && !traits.audio)
        return false;

    // The login must not go to an address that may be another device's.
    if (!Commands::ChooseAddress(camera, &m_messenger))
        return false;
    if (!camera.FtpSettings)
        camera.FtpSettings = FtpConnectionSetting();
    if (!m_prompt || !RequireCredentials(camera, *m_prompt, &*camera.FtpSettings, &m_messenger))
        return false;

    if (camera.ConnectionKind != Connection::Remote && !reachable(camera)) {
        const quint32 net = InetAddr(m_local->selectedAddress()) & InetAddr(m_local->netMask());
        const QString text =
            GetString(3245, QStringLiteral("ERROR : Cannot connect to the camera"))
            + QStringLiteral("\n\n") + GetString(3246, QStringLiteral("Camera IP Address ["))
            + camera.Address + GetString(3247, QStringLiteral("] is on a different network."))
            + QStringLiteral("\n") + GetString(3248, QStringLiteral("Valid Network is "))
            + QHostAddress(net).toString() + QStringLiteral("\n\n")
            + GetString(3249, QStringLiteral("Change it to the same network"));
        m_messenger.tell(text, QStringLiteral("ERROR"), Messenger::Style::Error);
        return false;
    }

    if (!m_runner)
        return false;
    const int set = PageFiles::SetOf(tab, camera.modelCode());
    const ConfigTransfer transfer =
        ConfigTransfer::forCamera(camera, sel.record, sel.kind, set, TransferMode::Download);
    if (m_runner->run(transfer) != ConfigRunner::Ok) {
        camera.AdminId.clear();
        camera.AdminPassword.clear();
        if (m_runner->credentialsRejected()) {
            // The login was refused: the page is entered again, which asks anew.
            enter(tab);
        }
        return false;
    }
    m_listing = m_runner->listing();
    if (!readLocalPage(tab, EventSource::DigitalInput))
        return false;
    m_view->setPageEnabled(tab, true);
    return true;
}

bool FilePages::readLocalPage(FileTab tab, EventSource source)
{
    PageSettings settings;
    const ConfigError error = PageFiles::Read(tab, localFolder(), m_listing, source, settings);
    if (error != ConfigError::None) {
        m_loaded.reset();
        m_view->setPageEnabled(tab, false);
        m_messenger.tell(ConfigErrorText(error));
        return false;
    }
    showLoaded(settings);
    return true;
}

// ---- editing ----

void FilePages::ConfigChanged()
{
    updateButtons();
}

void FilePages::eventSourceChosen(EventSource source)
{
    // Each source shows its own file: what was typed for another source is dropped.
    if (m_tab != FileTab::EventServer || !m_loaded || !m_view)
        return;
    readLocalPage(FileTab::EventServer, source);
    updateButtons();
}

// ---- saving ----

void FilePages::btnSaveClick()
{
    if (!m_view || m_tab == FileTab::Account || m_tab == FileTab::CameraUpdate)
        return;
    if (!m_messenger.ask(GetString(3176, QStringLiteral("Apply Changes.  Are you sure?")),
                         warningCaption()))
        return;
    const Selection sel = selection();
    if (!sel.camera || !m_loaded)
        return;
    // A cancelled login keeps the edits on screen for another try.
    if (!m_prompt || !RequireCredentials(*sel.camera, *m_prompt)) {
        updateButtons();
        return;
    }
    const PageSettings shown = m_view->shownSettings(m_tab);
    PageCheckContext context;
    context.remote = sel.camera->ConnectionKind == Connection::Remote;
    context.channelOneModelBox = traitsOf(*sel.camera).channelOneModelBox;
    if (const std::optional<CheckFailure> f = CheckPage(shown, context)) {
        failed(f->text, f->caption, int(f->style), f->focus);
        updateButtons();
        return;
    }
    if (isFileTab(m_tab))
        saveFilePage(sel);
    else
        saveCommandPage(sel);
    updateButtons();
}

void FilePages::saveCommandPage(const Selection &sel)
{
    TConfigItem &camera = *sel.camera;
    const PageSettings shown = m_view->shownSettings(m_tab);
    CommandBytes command;
    if (const auto *n = std::get_if<NetworkPageSettings>(&shown))
        command = L60::NetworkCommand(camera, sel.kind, *n, m_sources);
    else if (const auto *h = std::get_if<HostPageSettings>(&shown))
        command = L60::HostCommand(camera, sel.kind, *h, m_sources);
    else
        return;
    submitCommand(sel, command);
}

void FilePages::submitCommand(const Selection &sel, const CommandBytes &command)
{
    if (!command.ok()) {
        m_messenger.tell(command.error, L60::ErrorCaption(), Messenger::Style::Error);
        return;
    }
    if (!m_confirmation)
        return;
    const CommandOutcome outcome =
        Commands::Submit(*sel.camera, sel.record, L60::Unicast(*sel.camera), command.bytes,
                         Commands::kCapacity, *m_confirmation, &m_messenger);
    if (outcome == CommandOutcome::Success)
        markSaved();
}

void FilePages::saveFilePage(const Selection &sel)
{
    TConfigItem &camera = *sel.camera;
    const QString folder = localFolder();
    const int set = PageFiles::SetOf(m_tab, camera.modelCode());
    // The fetched files as the camera holds them: put back unless the camera took the
    // new ones, so that Restore never shows unsent edits as the camera's.
    const PageFiles::Snapshot before = PageFiles::Take(folder, set);
    const ConfigError error = PageFiles::Write(folder, m_view->shownSettings(m_tab));
    if (error != ConfigError::None) {
        PageFiles::PutBack(folder, before);
        m_messenger.tell(ConfigErrorText(error));
        return;
    }
    if (!m_runner) {
        PageFiles::PutBack(folder, before);
        return;
    }
    const ConfigTransfer transfer =
        ConfigTransfer::forCamera(camera, sel.record, sel.kind, set, TransferMode::Upload);
    if (m_runner->run(transfer) == ConfigRunner::Ok) {
        markSaved();
        return;
    }
    camera.AdminId.clear();
    camera.AdminPassword.clear();
    PageFiles::PutBack(folder, before);
}

void FilePages::markSaved()
{
    if (m_view && m_loaded)
        m_loaded = m_view->shownSettings(m_tab);
    m_accountButtons = false;
    m_useAccountChanged = false;
    updateButtons();
}

void FilePages::offerSaveAgain()
{
    if (!m_view)
        return;
    if (m_tab == FileTab::Account) {
        m_accountButtons = true;
        updateButtons();
    } else {
        m_view->setSaveButtonsEnabled(true);
    }
}

void FilePages::btnRestoreClick()
{
    if (!m_view)
        return;
    if (!m_messenger.ask(GetString(3239, QStringLiteral("RESTORE changes. Are you sure?")),
                         warningCaption()))
        return;
    const Selection sel = selection();
    if (sel.camera && sel.camera->Header) {
        switch (m_tab) {
        case FileTab::NetworkInfo:
        case FileTab::HostName:
            loadRecordPages(sel);
            break;
        case FileTab::Account:
            sel.camera->AdminPassword.clear();
            enterAccountPage(sel);
            break;
        case FileTab::CameraUpdate:
            break;
        default:
            // Only the local copies are read again; the camera is not asked.
            if (m_loaded)
                readLocalPage(m_tab, EventSource::DigitalInput);
            break;
        }
    }
    m_accountButtons = false;
    m_view->setAccountButtonsEnabled(false);
    m_view->setSaveButtonsEnabled(false);
    updateButtons();
}

void FilePages::setDefaultClick(int scope)
{
    if (!m_prompt || !m_confirmation)
        return;
    const Selection sel = selection();
    CommandEnvironment env{m_messenger, *m_prompt, *m_confirmation, m_sources};
    const CommandOutcome outcome = SendResetToDefaults(
        sel.camera, sel.camera ? sel.record : -1, sel.kind, false, quint8(scope), env);
    // Only a reset the camera took reloads the page when it answers again: a cancelled
    // one must not throw away what the page shows.
    if (outcome == CommandOutcome::Success)
        emit resetPendingRaised();
}

// ---- the account page ----

void FilePages::chkChangePasswdClick(bool ticked)
{
    if (!m_view)
        return;
    const Selection sel = selection();
    PageSettings shown = m_view->shownSettings(FileTab::Account);
    auto *s = std::get_if<AccountPageSettings>(&shown);
    if (!s)
        return;
    s->changePassword = ticked;
    s->currentPassword.clear();
    if (sel.camera && ticked) {
        // The current password must be entered again before a new one is set.
        const QString kept = sel.camera->AdminPassword;
        sel.camera->AdminPassword.clear();
        if (!m_prompt || !RequireCredentials(*sel.camera, *m_prompt)) {
            ticked = false;
            s->changePassword = false;
            sel.camera->AdminPassword = kept;
        }
    }
    if (sel.camera)
        s->currentPassword = sel.camera->AdminPassword;
    if (ticked) {
        s->newPassword.clear();
        s->newPasswordAgain.clear();
    }
    m_view->showSettings(FileTab::Account, shown);
    if (ticked) {
        m_view->focusControl(QStringLiteral("editNewPass"));
    } else if (!m_useAccountChanged) {
        m_accountButtons = false;
        m_view->setPasswordResult({});
    }
    updateButtons();
}

void FilePages::chkUseAccountClick(bool ticked)
{
    Q_UNUSED(ticked);
    m_useAccountChanged = true;
    m_accountButtons = true;
    updateButtons();
}

void FilePages::editNewPasswordChange()
{
    if (!m_view)
        return;
    const PageSettings shown = m_view->shownSettings(FileTab::Account);
    const auto *s = std::get_if<AccountPageSettings>(&shown);
    if (!s)
        return;
    if (s->newPassword == s->newPasswordAgain && !s->newPassword.isEmpty()) {
        m_accountButtons = true;
        m_view->setPasswordResult({});
    } else {
        m_view->setPasswordResult(GetString(3255, QStringLiteral("Password does not match")));
        if (!m_useAccountChanged)
            m_accountButtons = false;
    }
    updateButtons();
}

void FilePages::btnAccountSaveClick()
{
    if (!m_view)
        return;
    PageSettings shown = m_view->shownSettings(FileTab::Account);
    auto *s = std::get_if<AccountPageSettings>(&shown);
    if (!s)
        return;
    if (const std::optional<CheckFailure> f = CheckAccountSave(*s)) {
        failed(f->text, f->caption, int(f->style), f->focus);
        return;
    }
    if (!m_messenger.ask(GetString(3176, QStringLiteral("Apply Changes.  Are you sure?")),
                         GetString(3252, QStringLiteral("Confirm"))))
        return;
    const Selection sel = selection();
    if (!sel.camera)
        return;
    TConfigItem &camera = *sel.camera;
    if (camera.AdminPassword.isEmpty()) {
        if (!m_prompt || !RequireCredentials(camera, *m_prompt)) {
            m_accountButtons = true;
            updateButtons();
            return;
        }
        s->currentPassword = camera.AdminPassword;
        m_view->showSettings(FileTab::Account, shown);
    }
    const CommandBytes command = L60::AccountSaveCommand(camera, sel.kind, *s, m_sources);
    submitCommand(sel, command);
}

// ---- leaving ----

void FilePages::saveEdits()
{
    if (m_tab == FileTab::Account)
        btnAccountSaveClick();
    else
        btnSaveClick();
}

void FilePages::leavePage()
{
    if (m_leaving || !changed())
        return;
    m_leaving = true;
    if (m_messenger.ask(UnsavedChangesQuestion(), warningCaption()))
        saveEdits();
    m_loaded.reset();
    m_accountButtons = false;
    updateButtons();
    m_leaving = false;
}

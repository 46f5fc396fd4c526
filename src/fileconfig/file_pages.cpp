#include "fileconfig/file_pages.h"

#include "fileconfig/camera_update.h"

#include "base/messenger.h"
#include "base/shared_routines.h"
#include "base/string_table.h"
#include "fileconfig/account_checks.h"
#include "fileconfig/config_runner.h"
#include "fileconfig/file_page_table.h"
#include "fileconfig/file_pages_view.h"
#include "fileconfig/page_checks.h"
#include "protocol/config_item.h"
#include "protocol/local_network_info.h"
#include "protoconfig/credentials.h"
#include "protoconfig/l60_settings.h"
#include "protoconfig/leave_question.h"

#include <QHostAddress>
#include <QScopedValueRollback>

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

using Kind = FilePageRow::Kind;

// A value that is no tab shows nothing, as Camera Update.
Kind kindOf(FileTab tab)
{
    const FilePageRow *row = FilePageTable::of(tab);
    return row ? row->kind : Kind::Update;
}

} // namespace

FilePages::FilePages(Messenger &messenger, QObject *parent)
    : QObject(parent)
    , m_messenger(messenger)
    , m_commands(messenger)
{
}

QString FilePages::localFolder() const
{
    return m_folder.isEmpty() ? LocalTempFolder() : m_folder;
}

FilePages::Selection FilePages::selection() const
{
    return m_commands.selection();
}

bool FilePages::changed() const
{
    const Kind kind = kindOf(m_tab);
    if (kind == Kind::Account)
        return m_accountButtons;
    if (!m_view || !m_loaded || kind == Kind::Update)
        return false;
    return m_view->shownSettings(m_tab) != *m_loaded;
}

void FilePages::updateButtons()
{
    if (!m_view)
        return;
    const bool account = kindOf(m_tab) == Kind::Account;
    m_view->setAccountButtonsEnabled(account && m_accountButtons);
    m_view->setSaveButtonsEnabled(!account && changed());
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
    if (tab != m_tab && changed()) {
        // Asked on the page being left, which the save reads; a Cancel stays there.
        if (m_view)
            m_view->setCurrentTab(m_tab);
        if (!leavePage())
            return;
        if (m_view)
            m_view->setCurrentTab(tab);
    }
    enter(tab);
}

QString FilePages::currentTitle() const
{
    const FilePageRow *row = FilePageTable::of(m_tab);
    return row ? row->titleText() : QString();
}

void FilePages::enterFirstPage()
{
    m_tab = FileTab::NetworkInfo;
    if (m_view)
        m_view->setCurrentTab(m_tab);
    enter(m_tab);
}

void FilePages::enterKeptPage()
{
    const FilePageRow *row = FilePageTable::of(m_tab);
    const Selection sel = selection();
    if (row && row->needsAudio && (!sel.camera || !traitsOf(*sel.camera).audio))
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
    if (kindOf(m_tab) == Kind::Record)
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
    const Kind kind = kindOf(tab);
    if (kind == Kind::Update && m_update)
        m_update->enter();
    const Selection sel = selection();
    if (!m_view || !sel.camera || !sel.camera->Header) {
        updateButtons();
        return;
    }
    switch (kind) {
    case Kind::Update:
        break;
    case Kind::Account:
        enterAccountPage(sel);
        break;
    case Kind::Record:
        loadRecordPages(sel);
        break;
    case Kind::Files:
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
    // The firmware page names the version a camera had before an update.
    if (const auto *info = std::get_if<SystemInfoSettings>(&settings); info && m_update)
        m_update->noteVersion(selection().mac, QString::fromLatin1(info->softwareVersion));
}

void FilePages::loadRecordPages(const Selection &sel)
{
    const TConfigItem &camera = *sel.camera;
    m_view->setCameraTraits(traitsOf(camera));
    m_view->setRecordDetails({sel.mac, camera.modelNameText(), (camera.flags() & 0x01) != 0});
    // Every page shown from the reply follows it at once: one reply fills them all.
    for (const FilePageRow &row : FilePageTable::rows()) {
        if (row.kind == Kind::Record)
            m_view->setPageEnabled(row.tab, true);
    }
    for (const FilePageRow &row : FilePageTable::rows()) {
        if (row.kind == Kind::Record)
            m_view->showSettings(row.tab, row.fromRecord(camera));
    }
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
    const FilePageRow &row = *FilePageTable::of(tab);
    const CameraTraits traits = traitsOf(camera);
    m_view->setCameraTraits(traits);
    // Until the camera's files arrived the page shows nothing of this camera: a page
    // left enabled with the last camera's values would upload them to this one.
    m_view->setPageEnabled(tab, false);
    if (row.needsAudio && !traits.audio)
        return false;

    // The login must not go to an address that may be another device's.
    if (!Commands::ChooseAddress(camera, &m_messenger))
        return false;
    if (!camera.FtpSettings)
        camera.FtpSettings = FtpConnectionSetting();
    CredentialPrompt *prompt = m_commands.prompt();
    if (!prompt || !RequireCredentials(camera, *prompt, &*camera.FtpSettings, &m_messenger))
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
    const int set = row.setOf(camera.modelCode());
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
    save(true);
}

bool FilePages::save(bool ask)
{
    const FilePageRow *row = FilePageTable::of(m_tab);
    if (!m_view || !row || !row->pageSave())
        return true;
    const Selection sel = selection();
    if (!sel.camera || !m_loaded)
        return true;
    // What the page can tell by itself is told before the question and the login: a
    // typing error is mended without a password typed in vain.
    const PageSettings shown = m_view->shownSettings(m_tab);
    PageCheckContext context;
    context.remote = sel.camera->ConnectionKind == Connection::Remote;
    context.channelOneModelBox = traitsOf(*sel.camera).channelOneModelBox;
    if (const std::optional<CheckFailure> f = CheckPage(shown, context)) {
        failed(f->text, f->caption, int(f->style), f->focus);
        updateButtons();
        return false;
    }
    if (ask && !m_messenger.ask(GetString(3176, QStringLiteral("Apply Changes.  Are you sure?")),
                                warningCaption()))
        return false;
    // A cancelled login keeps the edits on screen for another try.
    CredentialPrompt *prompt = m_commands.prompt();
    if (!prompt || !RequireCredentials(*sel.camera, *prompt)) {
        updateButtons();
        return false;
    }
    if (row->kind == Kind::Files)
        saveFilePage(sel);
    else
        saveCommandPage(sel);
    updateButtons();
    return true;
}

void FilePages::saveCommandPage(const Selection &sel)
{
    const PageSettings shown = m_view->shownSettings(m_tab);
    const FilePageRow *row = FilePageTable::holding(shown);
    if (!row || !row->command)
        return;
    const CommandBytes command = row->command(*sel.camera, sel.kind, shown, m_commands.sources());
    afterSubmit(m_commands.submit(sel, command));
}

void FilePages::afterSubmit(std::optional<CommandOutcome> outcome)
{
    if (outcome == CommandOutcome::Success)
        markSaved();
}

void FilePages::saveFilePage(const Selection &sel)
{
    TConfigItem &camera = *sel.camera;
    const QString folder = localFolder();
    const int set = FilePageTable::of(m_tab)->setOf(camera.modelCode());
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
    if (kindOf(m_tab) == Kind::Account) {
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
        switch (kindOf(m_tab)) {
        case Kind::Record:
            loadRecordPages(sel);
            break;
        case Kind::Account:
            sel.camera->AdminPassword.clear();
            enterAccountPage(sel);
            break;
        case Kind::Update:
            break;
        case Kind::Files:
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
    // Only a reset the camera took reloads the page when it answers again: a cancelled
    // one must not throw away what the page shows.
    if (m_commands.resetToDefaults(quint8(scope)) == CommandOutcome::Success)
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
        CredentialPrompt *prompt = m_commands.prompt();
        if (!prompt || !RequireCredentials(*sel.camera, *prompt)) {
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
    saveAccount(true);
}

bool FilePages::saveAccount(bool ask)
{
    if (!m_view)
        return true;
    PageSettings shown = m_view->shownSettings(FileTab::Account);
    auto *s = std::get_if<AccountPageSettings>(&shown);
    if (!s)
        return true;
    if (const std::optional<CheckFailure> f = CheckAccountSave(*s)) {
        failed(f->text, f->caption, int(f->style), f->focus);
        return false;
    }
    bool cancelled = false;
    PageCommands::AccountSteps steps;
    steps.ask = ask;
    steps.loginCancelled = [this, &cancelled] {
        cancelled = true;
        m_accountButtons = true;
        updateButtons();
    };
    steps.loggedIn = [this](TConfigItem &camera, AccountPageSettings &settings) {
        settings.currentPassword = camera.AdminPassword;
        m_view->showSettings(FileTab::Account, settings);
    };
    afterSubmit(m_commands.saveAccount(*s, steps));
    return !cancelled;
}

// ---- leaving ----

bool FilePages::saveEdits()
{
    if (kindOf(m_tab) == Kind::Account)
        return saveAccount(false);
    return save(false);
}

bool FilePages::leavePage()
{
    if (m_leaving || !changed())
        return true;
    const QScopedValueRollback<bool> leaving(m_leaving, true);
    const LeaveQuestion::Answer answer = LeaveQuestion::ask(m_messenger, currentTitle(), selection().camera);
    if (answer == LeaveQuestion::Stay || (answer == LeaveQuestion::Save && !saveEdits()))
        return false;
    m_loaded.reset();
    m_accountButtons = false;
    updateButtons();
    return true;
}

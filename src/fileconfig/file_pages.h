#pragma once

#include "fileconfig/page_files.h"
#include "fileconfig/page_settings.h"
#include "protoconfig/page_commands.h"

#include <QObject>
#include <QString>

#include <optional>

class CameraUpdate;
class CommandConfirmation;
class ConfigRunner;
class CredentialPrompt;
class FilePagesView;
class LocalNetworkInfo;
class Messenger;
struct TConfigItem;

// The settings pages of a file-configured camera without their widgets: entering a tab
// (login, reachability, fetch, reading the files), the changed mark, Save (checks, then
// the command or the files' upload), Restore, the account page, the Set Default buttons
// and the question when a page with edits is left. The window binds the widgets through
// FilePagesView and forwards their signals here.
class FilePages final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FilePages)

public:
    using Selection = SelectedRow;
    using SelectionSource = SelectedRowSource;

    explicit FilePages(Messenger &messenger, QObject *parent = nullptr);

    void setView(FilePagesView *view) { m_view = view; }
    void setSelectionSource(SelectionSource source)
    {
        m_commands.setSelectionSource(std::move(source));
    }
    void setCredentialPrompt(CredentialPrompt *prompt) { m_commands.setCredentialPrompt(prompt); }
    void setConfirmation(CommandConfirmation *confirmation)
    {
        m_commands.setConfirmation(confirmation);
    }
    void setConfigRunner(ConfigRunner *runner) { m_runner = runner; }
    // The Camera Update page, entered with the others.
    void setCameraUpdate(CameraUpdate *update) { m_update = update; }
    void setLocalNetwork(LocalNetworkInfo *info) { m_local = info; }
    void setCommandSources(CommandSources sources)
    {
        m_commands.setCommandSources(std::move(sources));
    }
    // Where the working copies of the camera files live; LocalTempFolder() unless set.
    void setLocalFolder(const QString &folder) { m_folder = folder; }
    QString localFolder() const;

    FileTab currentTab() const { return m_tab; }
    // The shown page holds edits that were not saved.
    bool changed() const;
    // The shown page's settings as they were loaded; nothing while the page shows no
    // camera's values (not entered, or its fetch failed).
    const std::optional<PageSettings> &loaded() const { return m_loaded; }

    // Page control change: the page is entered (after the question when the page left
    // holds edits).
    void CategoryChange(FileTab tab);
    // The selected camera changed, or it came back after a command: the first page, or
    // the current one again, entered without asking.
    void enterFirstPage();
    // The page shown is kept for the next camera when the camera has it (the audio page
    // needs audio); the first page otherwise.
    void enterKeptPage();
    void reenterCurrentPage();
    // The selected camera answered discovery again: the pages shown from its record
    // follow it, unless they hold edits.
    void refreshFromRecord();
    // Nothing selected: no page shows a camera.
    void clear();

    // A control of the current page was edited.
    void ConfigChanged();
    void btnSaveClick();
    void btnRestoreClick();
    // The Event Server page's source buttons.
    void eventSourceChosen(EventSource source);
    // A Set Default button with its scope.
    void setDefaultClick(int scope);

    // The account page.
    void chkChangePasswdClick(bool ticked);
    void chkUseAccountClick(bool ticked);
    void editNewPasswordChange();
    void btnAccountSaveClick();

    // The user leaves the page, the camera or the window: when the page holds edits,
    // the question; Yes saves them to the camera that holds them. False when the user
    // stays (Cancel, or the page's checks or the login stopped the save).
    bool leavePage();
    // Saves the shown page's edits without asking first whether to (the user already
    // answered the question). False when the page's checks or a cancelled login keep
    // the edits on the page.
    bool saveEdits();
    // The title of the page shown, as its tab says it.
    QString currentTitle() const;
    // A command or upload for the camera succeeded: the shown values are the camera's.
    void markSaved();
    // Buttons after a refused login on a command: edits stay, Save offered again.
    void offerSaveAgain();

signals:
    // A reset to defaults was sent: the page fetches again when the camera answers.
    void resetPendingRaised();

private:
    Selection selection() const;
    void enter(FileTab tab);
    bool enterFilePage(const Selection &sel);
    void showLoaded(const PageSettings &settings);
    void loadRecordPages(const Selection &sel);
    void enterAccountPage(const Selection &sel);
    void updateButtons();
    void failed(const QString &text, const QString &caption, int style, const QString &focus);
    bool reachable(const TConfigItem &camera) const;
    bool save(bool ask);
    bool saveAccount(bool ask);
    void saveCommandPage(const Selection &sel);
    void saveFilePage(const Selection &sel);
    // A confirmed command leaves the page clean.
    void afterSubmit(std::optional<CommandOutcome> outcome);
    bool readLocalPage(FileTab tab, EventSource source);

    Messenger &m_messenger;
    FilePagesView *m_view = nullptr;
    PageCommands m_commands;
    ConfigRunner *m_runner = nullptr;
    CameraUpdate *m_update = nullptr;
    LocalNetworkInfo *m_local = nullptr;
    QString m_folder;

    FileTab m_tab = FileTab::NetworkInfo;
    std::optional<PageSettings> m_loaded;
    QStringList m_listing;
    bool m_accountButtons = false;
    bool m_useAccountChanged = false;
    bool m_leaving = false;
};

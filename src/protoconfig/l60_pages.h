#pragma once

#include "protoconfig/l60_pages_view.h"
#include "protoconfig/l60_settings.h"
#include "protoconfig/page_commands.h"

#include <QObject>
#include <QString>

#include <array>
#include <initializer_list>

class CommandConfirmation;
class CredentialPrompt;
class LocalNetworkInfo;
class Messenger;
struct TConfigItem;

// The flows of the four pages of a protocol-configured camera: filling them from the
// camera's record, the page enablers, the changed mark, the handlers of their controls
// and the two Save flows. The pages' widgets are reached through L60PagesView only; the
// flows also run without one: the window's logic holds them before its page control
// exists and after it went, and the tests of the core run them on their own.
class L60Pages final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60Pages)

public:
    enum Page { NetworkPage = 0, HostPage, AccountPage, MiscPage };

    using Selection = SelectedRow;
    using SelectionSource = SelectedRowSource;

    explicit L60Pages(Messenger &messenger, QObject *parent = nullptr);

    // The widgets; null detaches them. The states the flows keep are handed over at once.
    void setView(L60PagesView *view);
    void setSelectionSource(SelectionSource source)
    {
        m_commands.setSelectionSource(std::move(source));
    }
    void setCredentialPrompt(CredentialPrompt *prompt) { m_commands.setCredentialPrompt(prompt); }
    void setConfirmation(CommandConfirmation *confirmation)
    {
        m_commands.setConfirmation(confirmation);
    }
    void setLocalNetwork(LocalNetworkInfo *info) { m_local = info; }
    void setCommandSources(CommandSources sources)
    {
        m_commands.setCommandSources(std::move(sources));
    }

    int currentPage() const { return m_page; }
    // The L60Changed mark: the pages hold edits that have not been sent. It follows the
    // pages' events, not a comparison with the loaded settings: a clamped sensitivity
    // counts as an edit even when it lands on the loaded value, a refused one does not,
    // and a mismatched new-password pair clears it.
    bool changed() const { return m_changed; }
    void setChanged(bool on) { m_changed = on; }
    bool buttonEnabled(L60Button button) const { return m_buttons[index(button)]; }

    // Filling and resetting.
    void FillL60Pages();
    void FillL60NetworkPage(const TConfigItem &camera, const QString &mac);
    void FillL60HostPage(const TConfigItem &camera);
    void EnableL60CategoryClick();
    void DisableL60Category();
    void disableNetworkChoices();
    // Page 0 current with the Save buttons on it, without filling.
    void showFirstPage();

    // The buttons of the pages.
    void setSaveRestoreEnabled(bool on);          // btnL60Save, btnL60Restore
    void setAccountSaveRestoreEnabled(bool on);   // btnL60AccountSave, btnL60AccountRestore
    void disableAllButtons();

    // Handlers.
    void L60CategoryChange(int page);
    void btnL60SaveClick();
    void btnL60AccountSaveClick();
    void btnL60RestoreClick();
    // A network-type radio clicked: it becomes the chosen one and its panel opens. Static
    // IP needs a selected camera (its flags decide the DNS field); without one the radio
    // the user clicked is all that changes.
    void networkTypeClicked(L60NetworkType type);
    // The change event of every edit of pages 0 and 1, of the DNS-type radios and of
    // cboL60DoSource.
    void L60ConfigChanged();
    void L60MDSensitivityChange();
    void tabL60AccountShow();
    void tabL60MiscellanousShow();
    void chkL60ChangePasswdClick(bool ticked);
    void chkL60UseAccountClick(bool ticked);
    void editL60NewPassChange();
    void btnL60SetFactoryDefaultClick();
    void autoInput(L60AutoInput field);
    // editL60NetMask took the focus.
    void netMaskEntered();
    // The up-down control beside the sensitivity edit.
    void sensitivityStep(int delta);
    // The user leaves the camera and answered Yes to saving its edits: the Save without
    // its own question. False when the page's checks or a cancelled login keep the
    // edits on the page.
    bool savePending();
    // The page's title, as its tab shows it.
    static QString pageTitle(int page);

signals:
    // A selected row without its record: the program cannot go on.
    void terminateRequested();

private:
    static constexpr int index(L60Button b) { return static_cast<int>(b); }
    L60PagesView &view() const;
    void setButtons(std::initializer_list<L60Button> buttons, bool on);
    void showFailure(const CheckFailure &failure);
    Selection selection() const;
    bool confirmApply();
    // The page's own checks, which need nothing from the camera; false after the message.
    bool checkShownPage(const Selection &sel);
    bool saveShownPage(bool ask);
    bool saveAccount(bool ask);
    void submit(const Selection &sel, const CommandBytes &command);
    // Nothing reached the camera: the edit stays, marked, to be saved again.
    void afterSubmit(std::optional<CommandOutcome> outcome);
    void chooseNetworkType(L60NetworkType type, const TConfigItem *camera);
    void arrangeMisc(L60MiscArrangement arrangement);
    void attachMisc(bool on);
    void placeSaveButtons(int page);
    void refillCurrentPage();

    Messenger &m_messenger;
    L60PagesView *m_view = nullptr;
    PageCommands m_commands;
    LocalNetworkInfo *m_local = nullptr;
    std::array<bool, kL60ButtonCount> m_buttons{};
    int m_page = NetworkPage;
    int m_saveButtonsPage = NetworkPage;
    bool m_miscAttached = false;
    bool m_leavingPage = false;
    L60MiscArrangement m_arrangement = L60MiscArrangement::Settings;
    bool m_changed = false;
    bool m_guestTouched = false;
};

#pragma once

#include "protoconfig/commands.h"
#include "protoconfig/l60_settings.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class CommandConfirmation;
class CredentialPrompt;
class LocalNetworkInfo;
class Messenger;
struct TConfigItem;

// How an optional field is painted: the window colour while it is in use, a greyed
// colour while it is not.
enum class L60Paint { Default, Window, InactiveBorder, ButtonFace };

// What one control of the L60 pages shows, by its object name. The widgets copy it.
struct L60Control {
    QString text;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    int index = -1;          // the chosen entry of a list
    L60Paint paint = L60Paint::Default;
};

// The four pages of a protocol-configured camera without their widgets: what every
// control shows and allows, the changed mark, and the handlers of every control. The
// widgets forward user input to the handlers and copy the controls back after
// stateChanged().
class L60Pages final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60Pages)

public:
    enum Page { NetworkPage = 0, HostPage, AccountPage, MiscPage };
    enum class MiscArrangement { Settings, Upgrade };

    // The selected camera-list row as the pages need it.
    struct Selection {
        TConfigItem *camera = nullptr;
        int record = -1;
        QString mac;       // column 0
        QString kind;      // column 4
    };
    using SelectionSource = std::function<Selection()>;

    explicit L60Pages(Messenger &messenger, QObject *parent = nullptr);

    void setSelectionSource(SelectionSource source) { m_selection = std::move(source); }
    void setCredentialPrompt(CredentialPrompt *prompt) { m_prompt = prompt; }
    void setConfirmation(CommandConfirmation *confirmation) { m_confirmation = confirmation; }
    void setLocalNetwork(LocalNetworkInfo *info) { m_local = info; }
    void setCommandSources(CommandSources sources) { m_sources = std::move(sources); }

    const L60Control &control(const QString &name) const;
    static QStringList controlNames();

    int currentPage() const { return m_page; }
    bool miscAttached() const { return m_miscAttached; }
    MiscArrangement miscArrangement() const { return m_arrangement; }
    // The page that carries btnL60Save and btnL60Restore.
    int saveButtonsPage() const { return m_saveButtonsPage; }
    bool changed() const { return m_changed; }
    void setChanged(bool on) { m_changed = on; }
    bool guestAccountTouched() const { return m_guestTouched; }

    // What the pages hold now.
    L60NetworkSettings networkSettings() const;
    L60HostSettings hostSettings() const;
    L60AccountSettings accountSettings() const;
    L60MiscSettings miscSettings() const;

    // Filling and resetting.
    void FillL60Pages();
    void FillL60NetworkPage(const TConfigItem &camera, const QString &mac);
    void FillL60HostPage(const TConfigItem &camera);
    void EnableL60CategoryClick();
    void DisableL60Category();
    void disableNetworkChoices();
    void SetStaticPanelEnabled(bool on);
    void SetPppoePanelEnabled(bool on);
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
    // A network-type radio clicked: it becomes the chosen one, then its handler runs.
    void networkTypeClicked(L60NetworkType type);
    void btnL60SelectStaticIPClick();
    void btnL60SelectDhcpClick();
    void btnL60SelectPPPOEClick();
    void pppL60SelectDnsTypeManualClick();
    void pppL60SelectDnsTypeAutoClick();
    void L60ConfigChanged();
    void L60MDSensitivityChange();
    void tabL60AccountShow();
    void tabL60MiscellanousShow();
    void chkL60ChangePasswdClick(bool ticked);
    void chkL60UseAccountClick(bool ticked);
    void editL60NewPassChange();
    void btnL60SetFactoryDefaultClick();
    // One of the five "Auto Input" buttons, by name.
    void autoInput(const QString &button);
    // editL60NetMask took the focus.
    void netMaskEntered();
    // The up-down control beside the sensitivity edit.
    void sensitivityStep(int delta);
    // The user leaves the camera and answered Yes to saving its edits.
    void savePending();

    // User input from a widget: the text of an edit or the entry of the source list,
    // followed by that control's change handler.
    void textEdited(const QString &name, const QString &text);
    void entryChosen(const QString &name, int index);

signals:
    void stateChanged();
    void focusRequested(const QString &name);
    // A selected row without its record: the program cannot go on.
    void terminateRequested();

private:
    L60Control &c(const char *name);
    void setText(const char *name, const QString &text);
    void setEnabled(std::initializer_list<const char *> names, bool on);
    void focus(const QString &name);
    void showFailure(const CheckFailure &failure);
    Selection selection() const;
    bool confirmApply();
    void submit(TConfigItem &camera, int record, const CommandBytes &command);
    void arrangeMisc(MiscArrangement arrangement);
    void attachMisc(bool on);
    void refillCurrentPage();

    Messenger &m_messenger;
    CredentialPrompt *m_prompt = nullptr;
    CommandConfirmation *m_confirmation = nullptr;
    LocalNetworkInfo *m_local = nullptr;
    CommandSources m_sources;
    SelectionSource m_selection;
    QHash<QString, L60Control> m_controls;
    int m_page = NetworkPage;
    int m_saveButtonsPage = NetworkPage;
    bool m_miscAttached = false;
    MiscArrangement m_arrangement = MiscArrangement::Settings;
    bool m_changed = false;
    bool m_guestTouched = false;
    bool m_inSensitivityChange = false;
};

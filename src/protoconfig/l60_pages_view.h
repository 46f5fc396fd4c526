#pragma once

#include "protoconfig/l60_settings.h"

#include <QString>

// The page-wide Save and Restore (btnL60Save, btnL60Restore) and the account page's own
// (btnL60AccountSave, btnL60AccountRestore).
enum class L60Button { Save, Restore, AccountSave, AccountRestore };
inline constexpr int kL60ButtonCount = 4;

// What the Miscellaneous page shows: its settings groups, or the software upgrade.
enum class L60MiscArrangement { Settings, Upgrade };

// The "Auto Input" buttons of the Network Info page, by the field each fills.
enum class L60AutoInput { IpAddress, NetMask, Gateway, Dns, PppoeDns };

// What the logic of the L60 pages asks of their widgets. The window's L60 page control
// implements it; tests give a recording one. Enabling that follows a page's own
// controls (the panel of the chosen network type, the DNS field of "Manual DNS", the
// new-password fields of "Change Password", the colour of a field that is off) belongs
// to the widgets; every state decided from the camera or by a flow is set here.
class L60PagesView
{
public:
    virtual ~L60PagesView() = default;

    // What the pages hold now, and filling them; filling is not an edit.
    virtual L60NetworkSettings shownNetwork() const = 0;
    virtual void showNetwork(const L60NetworkSettings &settings) = 0;
    virtual L60HostSettings shownHost() const = 0;
    virtual void showHost(const L60HostSettings &settings) = 0;
    virtual L60AccountSettings shownAccount() const = 0;
    virtual void showAccount(const L60AccountSettings &settings) = 0;
    virtual L60MiscSettings shownMisc() const = 0;
    virtual void showMisc(const L60MiscSettings &settings) = 0;

    // Read-only texts: editL60MacAddr, editL60Model, lblL60AudioEnabled and the account
    // page's LabelL60PasswordResult.
    virtual void showMacAddress(const QString &mac) = 0;
    virtual void showModelName(const QString &model) = 0;
    virtual void showAudioText(const QString &text) = 0;
    virtual void showPasswordResult(const QString &text) = 0;

    // Network Info: which types may be chosen, and whether the chosen type's panel is
    // open at all (DisableL60Category closes both).
    virtual void setNetworkTypeEnabled(L60NetworkType type, bool on) = 0;
    virtual void setNetworkPanelsEnabled(bool on) = 0;
    // editL60Domain: only for a camera that announced a domain name.
    virtual void setDomainEnabled(bool on) = 0;
    // The whole Account page (tabL60Account).
    virtual void setAccountPageEnabled(bool on) = 0;
    // The sensitivity edit, its up-down control and the output-source list.
    virtual void setMiscFieldsEnabled(bool on) = 0;
    virtual void setStartUpdateEnabled(bool on) = 0;
    virtual void setButtonEnabled(L60Button button, bool on) = 0;

    // The pages: page 3 attached or not, its arrangement, the current page and the page
    // that carries btnL60Save and btnL60Restore (indices as L60Pages::Page).
    virtual void setMiscPageAttached(bool on) = 0;
    virtual void setMiscArrangement(L60MiscArrangement arrangement) = 0;
    virtual void setCurrentPage(int page) = 0;
    virtual void placeSaveButtons(int page) = 0;
    // Focuses the named control when it is visible and enabled.
    virtual void focusControl(const QString &name) = 0;
};

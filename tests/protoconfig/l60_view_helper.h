#pragma once

#include "protoconfig/l60_pages_view.h"

#include <QMap>
#include <QStringList>

#include <array>

// The L60 pages without widgets: keeps what the flows show and set, so that a test
// plays the user by changing the shown settings and calling the control's handler.
class RecordingL60View final : public L60PagesView
{
public:
    L60NetworkSettings shownNetwork() const override { return network; }
    void showNetwork(const L60NetworkSettings &s) override { network = s; }
    L60HostSettings shownHost() const override { return host; }
    void showHost(const L60HostSettings &s) override { host = s; }
    L60AccountSettings shownAccount() const override { return account; }
    void showAccount(const L60AccountSettings &s) override { account = s; }
    L60MiscSettings shownMisc() const override { return misc; }
    void showMisc(const L60MiscSettings &s) override { misc = s; }
    void showMacAddress(const QString &text) override { mac = text; }
    void showModelName(const QString &text) override { model = text; }
    void showAudioText(const QString &text) override { audio = text; }
    void showPasswordResult(const QString &text) override { passwordResult = text; }
    void setNetworkTypeEnabled(L60NetworkType type, bool on) override { typeEnabled[type] = on; }
    void setNetworkPanelsEnabled(bool on) override { panelsEnabled = on; }
    void setDomainEnabled(bool on) override { domainEnabled = on; }
    void setAccountPageEnabled(bool on) override { accountPageEnabled = on; }
    void setMiscFieldsEnabled(bool on) override { miscFieldsEnabled = on; }
    void setStartUpdateEnabled(bool on) override { startUpdateEnabled = on; }
    void setButtonEnabled(L60Button b, bool on) override { buttons[static_cast<int>(b)] = on; }
    void setMiscPageAttached(bool on) override { miscAttached = on; }
    void setMiscArrangement(L60MiscArrangement a) override { arrangement = a; }
    void setCurrentPage(int page) override { currentPage = page; }
    void placeSaveButtons(int page) override { saveButtonsPage = page; }
    void focusControl(const QString &name) override { focusRequests << name; }

    bool button(L60Button b) const { return buttons[static_cast<int>(b)]; }
    // Unset types are enabled, as the radios are at creation.
    bool networkTypeEnabled(L60NetworkType type) const { return typeEnabled.value(type, true); }

    L60NetworkSettings network;
    L60HostSettings host;
    L60AccountSettings account;
    L60MiscSettings misc;
    QString mac, model, audio, passwordResult;
    QMap<L60NetworkType, bool> typeEnabled;
    bool panelsEnabled = true;
    bool domainEnabled = true;
    bool accountPageEnabled = true;
    bool miscFieldsEnabled = true;
    bool startUpdateEnabled = true;
    std::array<bool, kL60ButtonCount> buttons{};
    bool miscAttached = false;
    L60MiscArrangement arrangement = L60MiscArrangement::Settings;
    int currentPage = 0;
    int saveButtonsPage = 0;
    QStringList focusRequests;
};

#pragma once

#include "protoconfig/l60_pages_view.h"

// Stands in for the widgets when there are none: the flows still keep their own states
// (buttons, pages, the changed mark), and what the pages would hold is the empty page.
class L60DetachedView final : public L60PagesView
{
public:
    L60NetworkSettings shownNetwork() const override { return {}; }
    void showNetwork(const L60NetworkSettings &) override {}
    L60HostSettings shownHost() const override { return {}; }
    void showHost(const L60HostSettings &) override {}
    L60AccountSettings shownAccount() const override { return {}; }
    void showAccount(const L60AccountSettings &) override {}
    L60MiscSettings shownMisc() const override { return {}; }
    void showMisc(const L60MiscSettings &) override {}
    void showMacAddress(const QString &) override {}
    void showModelName(const QString &) override {}
    void showAudioText(const QString &) override {}
    void showPasswordResult(const QString &) override {}
    void setNetworkTypeEnabled(L60NetworkType, bool) override {}
    void setNetworkPanelsEnabled(bool) override {}
    void setDomainEnabled(bool) override {}
    void setAccountPageEnabled(bool) override {}
    void setMiscFieldsEnabled(bool) override {}
    void setStartUpdateEnabled(bool) override {}
    void setButtonEnabled(L60Button, bool) override {}
    void setMiscPageAttached(bool) override {}
    void setMiscArrangement(L60MiscArrangement) override {}
    void setCurrentPage(int) override {}
    void placeSaveButtons(int) override {}
    void focusControl(const QString &) override {}
};

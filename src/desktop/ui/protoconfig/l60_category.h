#pragma once

#include "protoconfig/l60_pages_view.h"

#include <QTabWidget>

class L60AccountPage;
class L60HostPage;
class L60MiscPage;
class L60NetworkPage;
class L60PageWidget;
class L60Pages;
class QPushButton;

// The page control of protocol-configured cameras ("L60Category"): the four pages and
// the Save and Restore buttons that move to the current page. It is the view of
// L60Pages: user input goes to its handlers, and it shows what the flows decide.
class L60Category final : public QTabWidget, public L60PagesView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60Category)

public:
    explicit L60Category(L60Pages &pages, QWidget *parent = nullptr);
    ~L60Category() override;

    // The page widget by page index (0..3), attached or not.
    QWidget *page(int index) const;
    // The pages' titles again, in the language now loaded.
    void retitle();

    // L60PagesView
    L60NetworkSettings shownNetwork() const override;
    void showNetwork(const L60NetworkSettings &settings) override;
    L60HostSettings shownHost() const override;
    void showHost(const L60HostSettings &settings) override;
    L60AccountSettings shownAccount() const override;
    void showAccount(const L60AccountSettings &settings) override;
    L60MiscSettings shownMisc() const override;
    void showMisc(const L60MiscSettings &settings) override;
    void showMacAddress(const QString &mac) override;
    void showModelName(const QString &model) override;
    void showAudioText(const QString &text) override;
    void showPasswordResult(const QString &text) override;
    void setNetworkTypeEnabled(L60NetworkType type, bool on) override;
    void setNetworkPanelsEnabled(bool on) override;
    void setDomainEnabled(bool on) override;
    void setAccountPageEnabled(bool on) override;
    void setMiscFieldsEnabled(bool on) override;
    void setStartUpdateEnabled(bool on) override;
    void setButtonEnabled(L60Button button, bool on) override;
    void setMiscPageAttached(bool on) override;
    void setMiscArrangement(L60MiscArrangement arrangement) override;
    void setCurrentPage(int page) override;
    void placeSaveButtons(int page) override;
    void focusControl(const QString &name) override;

private:
    void connectPages();
    void pageChanged(int index);

    L60Pages &m_core;
    L60NetworkPage *m_network = nullptr;
    L60HostPage *m_host = nullptr;
    L60AccountPage *m_account = nullptr;
    L60MiscPage *m_misc = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_restore = nullptr;
    // Tab changes made for the flows are not the user's page changes.
    bool m_applying = false;
};

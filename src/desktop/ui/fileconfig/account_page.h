#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The Account tab (TabSheet1): the administrator's password change and the guest
// account, with the page's own Save and Restore. Its controls report through their own
// signals rather than edited(), because the account flow decides when there is
// something to save.
class AccountPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AccountPage)

public:
    explicit AccountPage(QWidget *parent = nullptr);

    // Every field, the three password texts included; no signal.
    void setSettings(const AccountPageSettings &settings);
    AccountPageSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;

    // The text under the new-password edits (a mismatch, or nothing).
    void setPasswordResult(const QString &text);
    // btnAccountSave and btnAccountRestore.
    void setButtonsEnabled(bool on);

signals:
    void changePasswordClicked(bool ticked);
    void useAccountClicked(bool ticked);
    // The user typed in either new-password edit.
    void newPasswordEdited();
    void saveClicked();
    void restoreClicked();

private:
    QLineEdit *passwordEdit(const char *name);
    QPushButton *button(const char *name, const QString &text);
    void follow();

    QCheckBox *m_change = nullptr, *m_useAccount = nullptr;
    QLabel *m_oldLabel = nullptr, *m_newLabel = nullptr, *m_againLabel = nullptr,
           *m_result = nullptr;
    QLineEdit *m_old = nullptr, *m_new = nullptr, *m_again = nullptr;
    QPushButton *m_save = nullptr, *m_restore = nullptr;
    bool m_pageEnabled = true;
    bool m_buttonsEnabled = false;
};

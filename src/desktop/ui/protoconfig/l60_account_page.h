#pragma once

#include "desktop/ui/protoconfig/l60_page_widget.h"
#include "protoconfig/l60_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Page 2 (tabL60Account): the administrator's password and the guest account, with the
// page's own Save and Restore. The new-password fields are open exactly while "Change
// Password" is ticked; the current password is only shown.
class L60AccountPage final : public L60PageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60AccountPage)

public:
    explicit L60AccountPage(QWidget *parent = nullptr);

    // Fills the controls; no signal is emitted for it.
    void setSettings(const L60AccountSettings &settings);
    L60AccountSettings settings() const;
    // LabelL60PasswordResult.
    void setPasswordResult(const QString &text);
    void setSaveEnabled(bool on);
    void setRestoreEnabled(bool on);

signals:
    // edited(): one of the new-password fields was typed into.
    void changePasswordClicked(bool ticked);
    void guestAccountClicked(bool ticked);
    void saveClicked();
    void restoreClicked();

private:
    void followChangePassword();

    QPushButton *m_save = nullptr, *m_restore = nullptr;
    QCheckBox *m_change = nullptr, *m_guest = nullptr;
    QLabel *m_newLabel = nullptr, *m_againLabel = nullptr, *m_result = nullptr;
    QLineEdit *m_current = nullptr, *m_new = nullptr, *m_again = nullptr;
};

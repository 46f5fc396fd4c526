#include "desktop/ui/fileconfig/account_page.h"
#include "desktop/ui/theme_colours.h"

#include "desktop/ui/focus_control.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AccountPage::AccountPage(QWidget *parent)
    : FilePageWidget(FileTab::Account, "TabSheet1", parent)
{
    m_save = button("btnAccountSave", caption(3042, "Save"));
    m_restore = button("btnAccountRestore", caption(3043, "Restore"));
    connect(m_save, &QPushButton::clicked, this, &AccountPage::saveClicked);
    connect(m_restore, &QPushButton::clicked, this, &AccountPage::restoreClicked);

    auto *admin = new QGroupBox(caption(3050, "Admin Account"), this);
    admin->setObjectName(QStringLiteral("grpAdminAccount"));
    m_change = new QCheckBox(caption(3051, "Change Password"), this);
    m_change->setObjectName(QStringLiteral("chkChangePasswd"));
    m_oldLabel = label("lblOldPassword", caption(3052, "Current Password", true));
    m_old = passwordEdit("editOldPassword");
    m_newLabel = label("lblNewPass", caption(3053, "New Password", true));
    m_new = passwordEdit("editNewPass");
    m_againLabel = label("lblNewPassAgain", caption(3054, "Type Again", true));
    m_again = passwordEdit("editNewPassAgain");
    m_result = label("LabelPasswordResult", {});
    QPalette warning = m_result->palette();
    warning.setColor(QPalette::WindowText, ThemeColours::errorText(warning));
    m_result->setPalette(warning);

    auto *form = new QFormLayout(admin);
    form->addRow(m_change);
    form->addRow(m_oldLabel, m_old);
    form->addRow(m_newLabel, m_new);
    form->addRow(m_againLabel, m_again);
    form->addRow(QString(), m_result);

    auto *guest = new QGroupBox(caption(3055, "Guest Account"), this);
    guest->setObjectName(QStringLiteral("grpGuestAccount"));
    m_useAccount = new QCheckBox(caption(3056, "Allow Guest Account"), this);
    m_useAccount->setObjectName(QStringLiteral("chkUseAccount"));
    auto *guestBox = new QVBoxLayout(guest);
    guestBox->addWidget(m_useAccount);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_restore);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(admin);
    layout->addWidget(guest);
    layout->addStretch(1);

    connect(m_change, &QCheckBox::clicked, this, [this](bool ticked) {
        // The current password is shown again only once the flow has asked for it.
        m_old->clear();
        if (ticked) {
            m_new->clear();
            m_again->clear();
        }
        follow();
        emit changePasswordClicked(ticked);
        // The flow may have unticked the box again (credentials refused).
        if (m_change->isChecked())
            FocusControl(m_new);
    });
    connect(m_useAccount, &QCheckBox::clicked, this, &AccountPage::useAccountClicked);
    follow();
}

QLineEdit *AccountPage::passwordEdit(const char *name)
{
    // Not edit(): typing here is the account flow's business, not a page edit.
    auto *e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    e->setEchoMode(QLineEdit::Password);
    connect(e, &QLineEdit::textEdited, this, &AccountPage::newPasswordEdited);
    return e;
}

QPushButton *AccountPage::button(const char *name, const QString &text)
{
    auto *b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    return b;
}

void AccountPage::setSettings(const AccountPageSettings &s)
{
    m_change->setChecked(s.changePassword);
    m_old->setText(s.currentPassword);
    m_new->setText(s.newPassword);
    m_again->setText(s.newPasswordAgain);
    m_useAccount->setChecked(s.allowGuest);
    follow();
}

AccountPageSettings AccountPage::settings() const
{
    AccountPageSettings s;
    s.changePassword = m_change->isChecked();
    s.currentPassword = m_old->text();
    s.newPassword = m_new->text();
    s.newPasswordAgain = m_again->text();
    s.allowGuest = m_useAccount->isChecked();
    return s;
}

void AccountPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<AccountPageSettings>(&settings))
        setSettings(*s);
}

void AccountPage::setPageEnabled(bool on)
{
    m_pageEnabled = on;
    follow();
}

void AccountPage::setPasswordResult(const QString &text)
{
    m_result->setText(text);
}

void AccountPage::setButtonsEnabled(bool on)
{
    m_buttonsEnabled = on;
    follow();
}

void AccountPage::follow()
{
    enableAll({m_change, m_useAccount, m_result}, m_pageEnabled);
    // The current password is only ever shown, never typed.
    enableAll({m_oldLabel, m_old}, false);
    enableAll({m_newLabel, m_new, m_againLabel, m_again}, m_pageEnabled && m_change->isChecked());
    enableAll({m_save, m_restore}, m_pageEnabled && m_buttonsEnabled);
}

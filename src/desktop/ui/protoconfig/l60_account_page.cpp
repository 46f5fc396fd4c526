#include "desktop/ui/protoconfig/l60_account_page.h"
#include "desktop/ui/theme_colours.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

L60AccountPage::L60AccountPage(QWidget *parent)
    : L60PageWidget("tabL60Account", parent)
{
    m_save = button("btnL60AccountSave", caption(3042, "Save"), this);
    m_restore = button("btnL60AccountRestore", caption(3043, "Restore"), this);
    m_save->setEnabled(false);
    m_restore->setEnabled(false);
    buttonRow()->addWidget(m_save);
    buttonRow()->addWidget(m_restore);

    QGroupBox *admin = group("grpL60AdminAccount", caption(3050, "Admin Account"), this);
    m_change = new QCheckBox(caption(3051, "Change Password"), admin);
    m_change->setObjectName(QStringLiteral("chkL60ChangePasswd"));
    QLabel *currentLabel =
        label("lblL60OldPassword", caption(3052, "Current Password", true), admin);
    m_current = edit("editL60OldPassword", admin, true);
    m_newLabel = label("lblL60NewPass", caption(3053, "New Password", true), admin);
    m_new = edit("editL60NewPass", admin, true);
    m_againLabel = label("lblL60NewPassAgain", caption(3054, "Type Again", true), admin);
    m_again = edit("editL60NewPassAgain", admin, true);
    m_result = label("LabelL60PasswordResult", {}, admin);
    QPalette error = m_result->palette();
    error.setColor(QPalette::WindowText, ThemeColours::errorText(error));
    m_result->setPalette(error);
    auto *form = new QFormLayout(admin);
    form->addRow(m_change);
    form->addRow(currentLabel, m_current);
    form->addRow(m_newLabel, m_new);
    form->addRow(m_againLabel, m_again);
    form->addRow(QString(), m_result);
    // The current password is the one the login dialog confirmed: shown, never typed.
    currentLabel->setEnabled(false);
    m_current->setEnabled(false);
    paint(m_current, Colour::ButtonFace);

    QGroupBox *guest = group("grpL60GuestAccount", caption(3055, "Guest Account"), this);
    m_guest = new QCheckBox(caption(3056, "Allow Guest Account"), guest);
    m_guest->setObjectName(QStringLiteral("chkL60UseAccount"));
    (new QVBoxLayout(guest))->addWidget(m_guest);

    body()->addWidget(admin);
    body()->addWidget(guest);
    body()->addStretch(1);

    connect(m_save, &QPushButton::clicked, this, &L60AccountPage::saveClicked);
    connect(m_restore, &QPushButton::clicked, this, &L60AccountPage::restoreClicked);
    connect(m_change, &QCheckBox::clicked, this, &L60AccountPage::changePasswordClicked);
    connect(m_guest, &QCheckBox::clicked, this, &L60AccountPage::guestAccountClicked);
    for (QLineEdit *e : {m_new, m_again})
        connect(e, &QLineEdit::textEdited, this, &L60AccountPage::edited);
    followChangePassword();
}

void L60AccountPage::setSettings(const L60AccountSettings &s)
{
    m_change->setChecked(s.changePassword);
    fill(m_current, s.currentPassword);
    fill(m_new, s.newPassword);
    fill(m_again, s.newPasswordAgain);
    m_guest->setChecked(s.allowGuest);
    followChangePassword();
}

L60AccountSettings L60AccountPage::settings() const
{
    L60AccountSettings s;
    s.changePassword = m_change->isChecked();
    s.currentPassword = m_current->text();
    s.newPassword = m_new->text();
    s.newPasswordAgain = m_again->text();
    s.allowGuest = m_guest->isChecked();
    return s;
}

void L60AccountPage::setPasswordResult(const QString &text)
{
    m_result->setText(text);
}

void L60AccountPage::setSaveEnabled(bool on)
{
    m_save->setEnabled(on);
}

void L60AccountPage::setRestoreEnabled(bool on)
{
    m_restore->setEnabled(on);
}

void L60AccountPage::followChangePassword()
{
    const bool on = m_change->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(m_newLabel), static_cast<QWidget *>(m_new),
                       static_cast<QWidget *>(m_againLabel), static_cast<QWidget *>(m_again)})
        w->setEnabled(on);
    for (QLineEdit *e : {m_new, m_again})
        paint(e, on ? Colour::Window : Colour::ButtonFace);
}

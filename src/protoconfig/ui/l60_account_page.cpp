#include "protoconfig/ui/l60_account_page.h"

#include "protoconfig/ui/l60_page_builder.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace L60Ui;

L60AccountPage::L60AccountPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("tabL60Account"));
    button(this, "btnL60AccountSave", caption(3042, "Save"), 362, 16)->setEnabled(false);
    button(this, "btnL60AccountRestore", caption(3043, "Restore"), 450, 16)->setEnabled(false);

    QGroupBox *admin = group(this, "grpL60AdminAccount", caption(3050, "Admin Account"), 8, 60,
                             530, 170);
    auto *change = new QCheckBox(caption(3051, "Change Password"), admin);
    change->setObjectName(QStringLiteral("chkL60ChangePasswd"));
    change->setGeometry(12, 22, 200, 22);
    label(admin, "lblL60OldPassword", caption(3052, "Current Password", true), 12, 52, 160);
    edit(admin, "editL60OldPassword", 180, 52, 170, true);
    label(admin, "lblL60NewPass", caption(3053, "New Password", true), 12, 82, 160);
    edit(admin, "editL60NewPass", 180, 82, 170, true);
    label(admin, "lblL60NewPassAgain", caption(3054, "Type Again", true), 12, 112, 160);
    edit(admin, "editL60NewPassAgain", 180, 112, 170, true);
    QLabel *result = label(admin, "LabelL60PasswordResult", {}, 180, 140, 300);
    result->setStyleSheet(QStringLiteral("color: red"));

    QGroupBox *guest = group(this, "grpL60GuestAccount", caption(3055, "Guest Account"), 8, 240,
                             530, 56);
    auto *use = new QCheckBox(caption(3056, "Allow Guest Account"), guest);
    use->setObjectName(QStringLiteral("chkL60UseAccount"));
    use->setGeometry(12, 22, 240, 22);
}

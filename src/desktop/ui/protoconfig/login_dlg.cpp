#include "desktop/ui/protoconfig/login_dlg.h"

#include "base/string_table.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

constexpr int kHeight = 120;

QLabel *label(const QString &text, QWidget *parent, int x, int y)
{
    auto *l = new QLabel(text + QStringLiteral(" : "), parent);
    l->setGeometry(x, y, 70, 22);
    return l;
}

} // namespace

TLoginDlg::TLoginDlg(Messenger &messenger, QWidget *parent)
    : QDialog(parent)
    , m_form(messenger)
    , m_login(new QLineEdit(this))
    , m_pass(new QLineEdit(this))
    , m_btnSubmit(new QPushButton(GetString(3300, QStringLiteral("OK")), this))
    , m_btnCancel(new QPushButton(GetString(3301, QStringLiteral("Cancel")), this))
    , m_speedButton1(new QToolButton(this))
    , m_groupBox1(new QGroupBox(GetString(3285, QStringLiteral("FTP Setting")), this))
    , m_editPort(new QLineEdit(m_groupBox1))
    , m_chkPassive(new QCheckBox(QStringLiteral("Passive"), m_groupBox1))
{
    setWindowTitle(GetString(3284, QStringLiteral("Authentication")));
    m_login->setObjectName(QStringLiteral("login"));
    m_pass->setObjectName(QStringLiteral("pass"));
    m_btnSubmit->setObjectName(QStringLiteral("BtnSubmit"));
    m_btnCancel->setObjectName(QStringLiteral("BtnCancel"));
    m_speedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    m_groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    m_editPort->setObjectName(QStringLiteral("editPort"));
    m_chkPassive->setObjectName(QStringLiteral("chkPassive"));

    // Fixed positions: narrowing the dialog is what hides the FTP group on its right.
    label(GetString(3136, QStringLiteral("ID")), this, 8, 10);
    m_login->setGeometry(80, 10, 130, 22);
    label(GetString(3137, QStringLiteral("Password")), this, 8, 40);
    m_pass->setGeometry(80, 40, 130, 22);
    m_pass->setEchoMode(QLineEdit::Password);
    m_pass->setStyleSheet(QStringLiteral("lineedit-password-character: 35"));
    m_btnSubmit->setGeometry(30, 78, 75, 26);
    m_btnSubmit->setDefault(true);
    m_btnCancel->setGeometry(115, 78, 75, 26);
    m_speedButton1->setGeometry(216, 10, 18, 52);
    m_speedButton1->setAutoRaise(true);
    m_speedButton1->setText(m_form.toggleCaption());
    m_groupBox1->setGeometry(244, 4, 126, 100);
    label(GetString(3135, QStringLiteral("Port")), m_groupBox1, 8, 24)->setFixedWidth(40);
    m_editPort->setGeometry(50, 24, 66, 22);
    m_chkPassive->setGeometry(8, 56, 100, 22);

    connect(m_btnSubmit, &QPushButton::clicked, this, &TLoginDlg::BtnSubmitClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &TLoginDlg::BtnCancelClick);
    connect(m_speedButton1, &QToolButton::clicked, this, &TLoginDlg::SpeedButton1Click);
    prepare(nullptr);
}

TLoginDlg::~TLoginDlg() = default;

void TLoginDlg::prepare(const FtpConnectionSetting *ftp)
{
    m_form.attachFtp(ftp);
    m_login->clear();
    m_pass->clear();
    m_form.show();
    m_speedButton1->setVisible(m_form.toggleVisible());
    m_editPort->setText(m_form.portText());
    m_chkPassive->setChecked(m_form.passive());
    applyWidth();
}

std::optional<LoginEntry> TLoginDlg::askCredentials(const FtpConnectionSetting *ftp)
{
    prepare(ftp);
    const int result = exec();
    const LoginEntry e = entry();
    m_form.detachFtp();
    m_login->clear();
    m_pass->clear();
    if (result != QDialog::Accepted)
        return std::nullopt;
    return e;
}

LoginEntry TLoginDlg::entry() const
{
    return {m_login->text(), m_pass->text(), m_editPort->text(), m_chkPassive->isChecked()};
}

void TLoginDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    applyWidth();
    m_login->setFocus();
}

void TLoginDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        BtnSubmitClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TLoginDlg::BtnSubmitClick()
{
    const LoginForm::Verdict v = m_form.submit(m_login->text(), m_pass->text());
    if (v.accepted) {
        accept();
        return;
    }
    QLineEdit *field = v.focus == LoginForm::Field::Id ? m_login : m_pass;
    if (v.selectAll)
        field->selectAll();
    field->setFocus();
}

void TLoginDlg::BtnCancelClick()
{
    m_form.detachFtp();
    reject();
}

void TLoginDlg::SpeedButton1Click()
{
    m_form.toggle();
    m_speedButton1->setText(m_form.toggleCaption());
    applyWidth();
}

void TLoginDlg::applyWidth()
{
    setFixedSize(m_form.width(), kHeight);
}

#include "desktop/ui/protoconfig/login_dlg.h"

#include "base/string_table.h"
#include "site/report_text.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

// The top line names the camera; the window title alone is cut by a narrow dialog.
constexpr int kTop = 24;
constexpr int kHeight = 120 + kTop;

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
    , m_camera(new QLabel(this))
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
    m_camera->setObjectName(QStringLiteral("LoginCamera"));
    m_camera->setGeometry(8, 4, 362, 20);
    m_login->setObjectName(QStringLiteral("login"));
    m_pass->setObjectName(QStringLiteral("pass"));
    m_btnSubmit->setObjectName(QStringLiteral("BtnSubmit"));
    m_btnCancel->setObjectName(QStringLiteral("BtnCancel"));
    m_speedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    m_groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    m_editPort->setObjectName(QStringLiteral("editPort"));
    m_chkPassive->setObjectName(QStringLiteral("chkPassive"));

    // Fixed positions: narrowing the dialog is what hides the FTP group on its right.
    label(GetString(3136, QStringLiteral("ID")), this, 8, kTop + 10);
    m_login->setGeometry(80, kTop + 10, 130, 22);
    label(GetString(3137, QStringLiteral("Password")), this, 8, kTop + 40);
    m_pass->setGeometry(80, kTop + 40, 130, 22);
    m_pass->setEchoMode(QLineEdit::Password);
    m_pass->setStyleSheet(QStringLiteral("lineedit-password-character: 35"));
    m_btnSubmit->setGeometry(30, kTop + 78, 75, 26);
    m_btnSubmit->setDefault(true);
    m_btnCancel->setGeometry(115, kTop + 78, 75, 26);
    m_speedButton1->setGeometry(216, kTop + 10, 18, 52);
    m_speedButton1->setAutoRaise(true);
    m_speedButton1->setText(m_form.toggleCaption());
    m_groupBox1->setGeometry(244, kTop + 4, 126, 100);
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

void TLoginDlg::setCameraName(const QString &name)
{
    CredentialPrompt::setCameraName(name);
    // A camera's host name may hold anything: shown escaped, as the list shows it.
    const QString shown = ReportText::escaped(name);
    m_camera->setText(shown.isEmpty() ? QString() : tr("Camera: %1").arg(shown));
    m_camera->setToolTip(shown);
    setWindowTitle(shown.isEmpty() ? GetString(3284, QStringLiteral("Authentication"))
                                   : GetString(3284, QStringLiteral("Authentication")) + QStringLiteral(" — ") + shown);
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
    const QString full = m_camera->toolTip().isEmpty() ? QString() : tr("Camera: %1").arg(m_camera->toolTip());
    m_camera->setFixedWidth(m_form.width() - 16);
    m_camera->setText(m_camera->fontMetrics().elidedText(full, Qt::ElideMiddle, m_camera->width()));
}

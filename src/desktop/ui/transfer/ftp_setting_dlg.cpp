#include "desktop/ui/transfer/ftp_setting_dlg.h"

#include "base/string_table.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFTPSettingDlg::TFTPSettingDlg(Messenger &messenger, QWidget *parent)
    : QDialog(parent)
    , m_form(messenger)
    , m_editPort(new QLineEdit(this))
    , m_chkPassive(new QCheckBox(QStringLiteral("Passive Mode"), this))
    , m_groupBox1(new QGroupBox(GetString(3274, QStringLiteral("Transfer Type")), this))
    , m_radioBinary(new QRadioButton(GetString(3275, QStringLiteral("Binary")), m_groupBox1))
    , m_radioAscii(new QRadioButton(GetString(3276, QStringLiteral("Ascii")), m_groupBox1))
    , m_btnOK(new QPushButton(GetString(3300, QStringLiteral("OK")), this))
    , m_btnCancel(new QPushButton(GetString(3301, QStringLiteral("Cancel")), this))
{
    setObjectName(QStringLiteral("TFTPSettingDlg"));
    setWindowTitle(GetString(3273, QStringLiteral("FTP Connection Setting")));
    m_editPort->setObjectName(QStringLiteral("editPort"));
    m_chkPassive->setObjectName(QStringLiteral("chkPassive"));
    m_groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    m_radioBinary->setObjectName(QStringLiteral("radioBinary"));
    m_radioAscii->setObjectName(QStringLiteral("radioAscii"));
    m_btnOK->setObjectName(QStringLiteral("BtnOK"));
    m_btnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto *portLabel =
        new QLabel(GetString(3135, QStringLiteral("Port")) + QStringLiteral(" : "), this);
    portLabel->setBuddy(m_editPort);
    auto *portRow = new QHBoxLayout;
    portRow->addWidget(portLabel);
    portRow->addWidget(m_editPort);

    auto *types = new QHBoxLayout(m_groupBox1);
    types->addWidget(m_radioBinary);
    types->addWidget(m_radioAscii);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);

    auto *top = new QVBoxLayout(this);
    top->addLayout(portRow);
    top->addWidget(m_chkPassive);
    top->addWidget(m_groupBox1);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    m_radioBinary->setChecked(true);
    m_btnOK->setDefault(true);
    m_btnOK->setEnabled(m_form.okEnabled());

    // Programmatic changes count as well: filling the controls at show enables OK.
    connect(m_editPort, &QLineEdit::textChanged, this, &TFTPSettingDlg::editPortChange);
    connect(m_chkPassive, &QCheckBox::toggled, this, &TFTPSettingDlg::chkPassiveClick);
    connect(m_radioBinary, &QRadioButton::toggled, this, &TFTPSettingDlg::radioBinaryClick);
    connect(m_radioAscii, &QRadioButton::toggled, this, &TFTPSettingDlg::radioBinaryClick);
    connect(m_btnOK, &QPushButton::clicked, this, &TFTPSettingDlg::BtnOKClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &TFTPSettingDlg::reject);
}

TFTPSettingDlg::~TFTPSettingDlg() = default;

int TFTPSettingDlg::ShowModal()
{
    FormShow();
    return exec();
}

void TFTPSettingDlg::reject()
{
    done(FtpSettingsForm::kResultCancel);
}

void TFTPSettingDlg::FormShow()
{
    const std::optional<FtpSettingsForm::Controls> shown = m_form.FormShow();
    if (shown) {
        m_editPort->setText(shown->portText);
        m_chkPassive->setChecked(shown->passive);
        (shown->ascii ? m_radioAscii : m_radioBinary)->setChecked(true);
    }
    enableOk();
    m_editPort->setFocus();
}

void TFTPSettingDlg::editPortChange()
{
    m_form.controlChanged();
    enableOk();
}

void TFTPSettingDlg::chkPassiveClick()
{
    m_form.controlChanged();
    enableOk();
}

void TFTPSettingDlg::radioBinaryClick()
{
    m_form.controlChanged();
    enableOk();
}

void TFTPSettingDlg::BtnOKClick()
{
    const FtpSettingsForm::Verdict verdict = m_form.BtnOKClick(
        {m_editPort->text(), m_chkPassive->isChecked(), m_radioAscii->isChecked()});
    if (verdict.close) {
        done(verdict.result);
        return;
    }
    if (verdict.focusPort)
        m_editPort->setFocus();
}

void TFTPSettingDlg::enableOk()
{
    m_btnOK->setEnabled(m_form.okEnabled());
}

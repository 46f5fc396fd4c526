#pragma once

#include "transfer/ftp_settings_form.h"

#include <QDialog>

class Messenger;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The FTP connection settings of one camera: port, passive mode and transfer type. Its
// behaviour comes from FtpSettingsForm; this binds the controls.
class TFTPSettingDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFTPSettingDlg)

public:
    explicit TFTPSettingDlg(Messenger &messenger, QWidget *parent = nullptr);
    ~TFTPSettingDlg() override;

    // The setting OK stores into; none until attached. Not owned.
    void attach(FtpConnectionSetting *setting) { m_form.attach(setting); }
    const FtpSettingsForm &form() const { return m_form; }

    // Fills the controls from the attached setting and runs the dialog modally.
    // Returns FtpSettingsForm::kResultOk or kResultCancel.
    int ShowModal();

    // Escape and the close box end the dialog as Cancel does.
    void reject() override;

private:
    void FormShow();
    void editPortChange();
    void chkPassiveClick();
    void radioBinaryClick();
    void BtnOKClick();
    void enableOk();

    FtpSettingsForm m_form;
    QLineEdit *m_editPort;
    QCheckBox *m_chkPassive;
    QGroupBox *m_groupBox1;
    QRadioButton *m_radioBinary;
    QRadioButton *m_radioAscii;
    QPushButton *m_btnOK;
    QPushButton *m_btnCancel;
};

#pragma once

#include "protoconfig/credentials.h"
#include "protoconfig/login_form.h"

#include <QDialog>

class Messenger;
class QCheckBox;
class QLabel;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;

// The login dialog: ID, password and, when FTP settings are attached, the camera's FTP
// port and passive mode. Its checks and widths come from LoginForm.
class TLoginDlg final : public QDialog, public CredentialPrompt
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLoginDlg)

public:
    explicit TLoginDlg(Messenger &messenger, QWidget *parent = nullptr);
    ~TLoginDlg() override;

    // CredentialPrompt: shows the dialog modally.
    std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *ftp) override;
    void setCameraName(const QString &name) override;

    // Prepares the dialog for ftp (or none) without showing it; askCredentials does this.
    void prepare(const FtpConnectionSetting *ftp);
    LoginEntry entry() const;
    const LoginForm &form() const { return m_form; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void BtnSubmitClick();
    void BtnCancelClick();
    void SpeedButton1Click();
    void applyWidth();

    LoginForm m_form;
    QLabel *m_camera;
    QLineEdit *m_login;
    QLineEdit *m_pass;
    QPushButton *m_btnSubmit;
    QPushButton *m_btnCancel;
    QToolButton *m_speedButton1;
    QGroupBox *m_groupBox1;
    QLineEdit *m_editPort;
    QCheckBox *m_chkPassive;
};

#pragma once

#include "protocol/register_camera_session.h"

#include <QDialog>

class Messenger;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

// "Camera Registration": a camera asked by its address or host name. Its behaviour is
// RegisterCameraSession's; this binds the controls. Kept from one use to the next, with
// the tick counter and the address last entered.
class TRegCamDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TRegCamDlg)

public:
    TRegCamDlg(UdpEndpoint &endpoint, Discovery &discovery, Messenger &messenger,
               QWidget *parent = nullptr);
    ~TRegCamDlg() override;

    RegisterCameraSession &session() { return m_session; }
    // Shows the dialog modally; 1 the camera answered, 2 cancelled or no answer.
    int ShowModal();

    void FormShow();
    void RadioIPAddressClick();
    void RadioDomainAddressClick();
    void EditDomainNameEnter();
    void BtnOKClick();
    void startSession(const QString &target);
    void timerTimer();
    void Return(int result);
    // The endpoint's offer while the dialog waits: -1 not a reply, 1 the camera's answer.
    int OnUDPServerData(const ReceivedDatagram &datagram) { return m_session.offer(datagram); }

    // Escape and the close box: result 2, the wait stops.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setBusy(bool busy);
    void sessionFinished(int result);

    RegisterCameraSession m_session;
    Messenger &m_messenger;
    QRadioButton *m_radioIp;
    QRadioButton *m_radioDomain;
    QLineEdit *m_ipEdit;
    QLineEdit *m_editDomain;
    QLabel *m_label1;
    QLineEdit *m_editPort;
    QPushButton *m_btnOK;
    QPushButton *m_btnCancel;
    QTimer *m_timer;
};

#pragma once

#include "protocol/remote_search_session.h"

#include <QDialog>

class Messenger;
class QLineEdit;
class QPushButton;
class QTimer;

// "Search Remote Camera": asks one listed camera at its row's address every 2 s until it
// answers or the user cancels. Its behaviour is RemoteSearchSession's; this binds the
// controls. No close box; kept from one use to the next.
class TSrchRemoteCamDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSrchRemoteCamDlg)

public:
    TSrchRemoteCamDlg(UdpEndpoint &endpoint, Discovery &discovery, Messenger &messenger,
                      QWidget *parent = nullptr);
    ~TSrchRemoteCamDlg() override;

    RemoteSearchSession &session() { return m_session; }
    void setTarget(const QString &address) { m_session.setTarget(address); }
    // Shows the dialog modally; 1 the camera answered, 2 cancelled.
    int ShowModal();

    void FormShow();
    void Button1Click();
    void srchTimerTimer();
    void Button2Click();
    void FormClose();

    void reject() override;

private:
    void closeWith(int result);

    RemoteSearchSession m_session;
    Messenger &m_messenger;
    QLineEdit *m_port;
    QPushButton *m_button1;
    QPushButton *m_button2;
    QTimer *m_timer;
};

#pragma once

#include "protocol/command_confirmation.h"
#include "protocol/save_config_session.h"

#include <QDialog>

class CommandResultSink;
class QLabel;
class QPushButton;
class QTimer;
class UdpEndpoint;

// The waiting dialog of a command, bound to its SaveConfigSession; Timer1 drives the
// session's resending. Shown modally; replies arrive through the endpoint meanwhile.
class TSaveConfigDlg final : public QDialog, public CommandConfirmation
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSaveConfigDlg)

public:
    TSaveConfigDlg(UdpEndpoint &endpoint, CommandResultSink *results, QWidget *parent = nullptr);
    ~TSaveConfigDlg() override;

    SaveConfigSession &session() { return m_session; }
    // CommandConfirmation: the four setters, then shown modally until it closes.
    CommandOutcome confirm(const ConfirmRequest &request) override;

public slots:
    void reject() override;

private:
    void refresh();
    void sessionFinished();

    SaveConfigSession m_session;
    QLabel *m_staticText1;
    QLabel *m_stcErrorMsg;
    QPushButton *m_button1;
    QTimer *m_timer1;
};

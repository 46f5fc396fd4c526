#pragma once

#include "fileconfig/config_runner.h"
#include "fileconfig/config_transfer_session.h"

#include <QDialog>

class CommandResultSink;
class Messenger;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class UdpEndpoint;

// The small modal window of a configuration run, bound to its ConfigTransferSession.
// Created once and reused; datagrams and the worker's notices arrive while it runs.
class TGetConfDlg final : public QDialog, public ConfigRunner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TGetConfDlg)

public:
    TGetConfDlg(UdpEndpoint &endpoint, Messenger &messenger, CommandResultSink *results,
                QWidget *parent = nullptr);
    ~TGetConfDlg() override;

    ConfigTransferSession &session() { return m_session; }
    // Configures the run, shows the window modally until the run ends; 1 OK, 2 Cancel.
    int run(const ConfigTransfer &transfer) override;
    QStringList listing() const override { return m_session.listing(); }
    bool credentialsRejected() const override { return m_session.credentialsRejected(); }

public slots:
    void reject() override;

private:
    void refresh();
    void sessionFinished(ConfigTransferSession::Result result);

    ConfigTransferSession m_session;
    QLabel *m_label1;
    QProgressBar *m_progress;
    QPushButton *m_button1;
    QTimer *m_timeoutTimer;
    QTimer *m_sendRebootTimer;
};

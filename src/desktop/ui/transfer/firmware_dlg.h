#pragma once

#include "transfer/firmware_runner.h"
#include "transfer/firmware_upload_session.h"

#include <QDialog>

class Messenger;
class QLabel;
class QProgressBar;
class QTimer;
class UdpEndpoint;

// The modal progress window of a firmware or picture upload, bound to its
// FirmwareUploadSession. It has no close box and ignores the close command: only the
// session closes it. The messages of a failed upload are worded here.
class TFirmwareDlg final : public QDialog, public FirmwareRunner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFirmwareDlg)

public:
    TFirmwareDlg(Messenger &messenger, UdpEndpoint *activity, QWidget *parent = nullptr);
    ~TFirmwareDlg() override;

    FirmwareUploadSession &session() { return m_session; }
    int run(const FlashJob &job, FirmwareUploadSession::Kind kind) override;

    // The label's text for the session's phase.
    static QString phaseText(const FirmwareUploadSession &session);
    // The message the window tells when the session closed, empty for none.
    static QString noticeText(const FirmwareUploadSession &session);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void refresh();
    void sessionFinished(int result);

    Messenger &m_messenger;
    FirmwareUploadSession m_session;
    QLabel *m_processMessage;
    QProgressBar *m_updateProgress;
    QTimer *m_uploadEndTimer;
};

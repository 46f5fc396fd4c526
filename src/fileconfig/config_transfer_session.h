#pragma once

#include "fileconfig/config_transfer.h"
#include "fileconfig/get_conf_thread.h"
#include "protocol/udp_endpoint.h"
#include "protoconfig/commands.h"
#include "transfer/ftp_client.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class CommandResultSink;
class FtpSession;
class Messenger;
class QTimer;

// The logic of the configuration dialog: one run moves a set's files between the camera
// and the local folder on a worker thread, and after an upload asks the camera to apply
// them and waits for its answer. The whole run is bounded by TimeoutTimer; the apply
// command is repeated by SendRebootTimer. A window binds its controls to the progress
// and calls show(); tests call the tick methods instead of waiting for the timers.
class ConfigTransferSession final : public QObject, public DatagramSink
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConfigTransferSession)

public:
    static constexpr int kTimeoutMs = 10000;
    static constexpr int kSendRebootMs = 2000;

    enum class State { Hidden, Transferring, AwaitingApply };
    // The dialog's modal result.
    enum Result { None = 0, Ok = 1, Cancel = 2 };

    ConfigTransferSession(UdpEndpoint &endpoint, Messenger &messenger, CommandResultSink *results,
                       QObject *parent = nullptr);
    ~ConfigTransferSession() override;

    void setResultSink(CommandResultSink *results) { m_results = results; }
    // The timers that drive timeoutTick() and sendRebootTick(); without them, whoever
    // runs the session calls the ticks.
    void attachTimers(QTimer *timeoutTimer, QTimer *sendRebootTimer);
    // Where local names resolve; LocalTempFolder() unless set.
    void setLocalFolder(const QString &folder) { m_folder = folder; }
    void setFtpLimits(const FtpClient::Limits &limits) { m_limits = limits; }
    void setCommandSources(const CommandSources &sources) { m_sources = sources; }
    // The runs move their files on this one login of the camera (each logs in on its own
    // without).
    void setFtpSession(std::shared_ptr<FtpSession> session) { m_ftpSession = std::move(session); }

    // Before show().
    void configure(const ConfigTransfer &transfer) { m_transfer = transfer; }
    const ConfigTransfer &transfer() const { return m_transfer; }

    // FormShow: timeout armed, worker started.
    void show();
    // TimeoutTimer, Button1 and the window's close command.
    void timeoutTick();
    void abort();
    // SendRebootTimer: the apply command again.
    void sendRebootTick();
    // The worker's completion notice; notices of abandoned runs are ignored.
    void WMThreadDone(quint64 runId, const TGetConfThread::Result &result);

    // DatagramSink: the camera's answer to the apply command.
    bool active() const override { return m_state != State::Hidden; }
    int offer(const ReceivedDatagram &datagram) override;

    State state() const { return m_state; }
    bool visible() const { return m_state != State::Hidden; }
    Result modalResult() const { return m_modalResult; }
    // The outcome code of the last run's worker (0, 1, 2), -1 when none reported.
    int threadResult() const { return m_threadResult; }
    // The daemon folder's listing of the last run (sets 5, 10, 11, 12), unfiltered.
    QStringList listing() const { return m_listing; }
    // The login was refused: the caller clears the camera's credentials and enters the
    // page again.
    bool credentialsRejected() const { return m_credentialsRejected; }

    bool progressVisible() const { return m_progressVisible; }
    int progressPosition() const { return m_progressPosition; }
    bool timeoutTimerActive() const { return m_timeoutActive; }
    bool sendRebootTimerActive() const { return m_sendRebootActive; }
    int applySends() const { return m_applySends; }

signals:
    // The progress bar changed.
    void changed();
    // The run is over; the dialog closes with this result.
    void finished(ConfigTransferSession::Result result);
    // Emitted after finished() when the login was refused (posted to the main window).
    void loginRejected(int row);

private:
    void workerProgress(quint64 runId, qint64 done, qint64 total);
    void sendApply(quint8 action);
    void setTimeoutTimer(bool on);
    void setSendRebootTimer(bool on);
    void abandonWorker();
    // The run is over; finished() follows unless announce is false (then the caller
    // emits it once its messages are out).
    void close(Result result, bool announce = true);

    UdpEndpoint &m_endpoint;
    Messenger &m_messenger;
    CommandResultSink *m_results = nullptr;
    QTimer *m_timeoutTimer = nullptr;
    QTimer *m_sendRebootTimer = nullptr;
    QString m_folder;
    FtpClient::Limits m_limits;
    CommandSources m_sources;
    std::shared_ptr<FtpSession> m_ftpSession;
    ConfigTransfer m_transfer;

    State m_state = State::Hidden;
    Result m_modalResult = None;
    quint64 m_runId = 0;
    QPointer<TGetConfThread> m_worker;
    QList<QPointer<TransferWorker>> m_workers;   // every worker not yet deleted
    int m_threadResult = -1;
    QStringList m_listing;
    bool m_credentialsRejected = false;
    bool m_progressVisible = false;
    int m_progressPosition = 0;
    bool m_timeoutActive = false;
    bool m_sendRebootActive = false;
    quint8 m_applyAction = 0;
    int m_applySends = 0;
};

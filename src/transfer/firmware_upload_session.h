#pragma once

#include "transfer/flash_job.h"
#include "transfer/transfer_result.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QTimer;
class TFlashThread;
class TransferWorker;
class UdpEndpoint;

// The logic of the upload progress window: it starts the upload worker, follows its
// bytes, then counts the camera's flash clearing and writing and its restart in ticks of
// UploadEndTimer, and closes with the result. A picture closes when the camera has
// answered its store. The window binds its label to phase(), its bar to the progress and
// words the notice; tests call the tick and notice methods directly.
class FirmwareUploadSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FirmwareUploadSession)

public:
    enum Kind { UpdateAll = 0, KernelOnly = 1, Picture = 2 };
    // The window's result. StoreFailed: the camera refused or lost the file; its login
    // was good, so the credentials stay.
    enum Result { None = 0, Done = 1, Failed = 2, StoreFailed = 3, FileMissing = 4 };
    enum class Phase { Hidden, Connecting, Preparing, Uploading, Clearing, Writing, Restarting };
    // What the window tells when it closed.
    enum class Notice { None, FileMissing, InvalidImage, LoginFailed, StoreFailed };

    static constexpr int kTickMs = 100;
    static constexpr int kKernelTicks = 650;
    static constexpr int kAllTicks = 900;
    static constexpr int kRestartTicks = 200;
    // The worker waits this much longer than the window for the camera's answer to a
    // firmware store, so a camera still writing its flash is never cut off.
    static constexpr int kFinalReplyMarginMs = 30000;

    // How long the worker waits for the camera's answer to a firmware store: as long as
    // the window counts the flash being cleared and written, and the margin beyond.
    static constexpr int finalReplyMs(Kind kind)
    {
        return (kind == UpdateAll ? kAllTicks : kKernelTicks) * kTickMs + kFinalReplyMarginMs;
    }

    explicit FirmwareUploadSession(QObject *parent = nullptr);
    // Waits for every worker still running; one whose image is with the camera gets the
    // camera's answer first.
    ~FirmwareUploadSession() override;

    void attachTimer(QTimer *uploadEndTimer);
    // The activity lamps: send before connecting and storing, receive with progress.
    void setActivity(UdpEndpoint *endpoint) { m_activity = endpoint; }

    // Showing the window: the worker starts. kind 0 and 1 are firmware, 2 a picture.
    void show(const FlashJob &job, Kind kind);
    // UploadEndTimer.
    void UploadEndTimerTimer();
    // The worker's notices; those of an earlier run or after the window closed are
    // dropped.
    void WMLoggedIn(quint64 runId);
    void WMProgress(quint64 runId, qint64 done, qint64 total);
    void WMUploadEnd(quint64 runId);
    void WMThreadDone(quint64 runId, const TransferResult &result);

    bool visible() const { return m_phase != Phase::Hidden; }
    Phase phase() const { return m_phase; }
    Kind kind() const { return m_kind; }
    QString host() const { return m_job.connection.host; }
    int port() const { return m_job.connection.port; }
    int progressMaximum() const { return m_maximum; }
    int progressPosition() const { return m_position; }
    bool progressVisible() const { return m_progressVisible; }
    bool timerActive() const { return m_timerActive; }
    Result result() const { return m_result; }
    Notice notice() const { return m_notice; }
    // The worker's result of the last run (empty until it reported).
    const TransferResult &transferResult() const { return m_transfer; }
    quint64 runId() const { return m_runId; }

signals:
    void changed();
    void finished(int result);

private:
    void setTimer(bool on);
    void close(Result result, Notice notice);
    int clearingTicks() const { return m_kind == UpdateAll ? kAllTicks : kKernelTicks; }

    QTimer *m_timer = nullptr;
    UdpEndpoint *m_activity = nullptr;
    FlashJob m_job;
    Kind m_kind = KernelOnly;
    Phase m_phase = Phase::Hidden;
    int m_maximum = 100;
    int m_position = 0;
    bool m_progressVisible = false;
    bool m_timerActive = false;
    Result m_result = None;
    Notice m_notice = Notice::None;
    TransferResult m_transfer;
    quint64 m_runId = 0;
    QList<QPointer<TransferWorker>> m_workers;
};

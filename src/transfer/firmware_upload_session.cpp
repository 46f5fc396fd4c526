#include "transfer/firmware_upload_session.h"

#include "protocol/udp_endpoint.h"
#include "transfer/flash_thread.h"

#include <QTimer>

#include <algorithm>
#include <limits>

FirmwareUploadSession::FirmwareUploadSession(QObject *parent)
    : QObject(parent)
{
}

FirmwareUploadSession::~FirmwareUploadSession()
{
    TransferWorker::stopAll(m_workers, this);
}

void FirmwareUploadSession::attachTimer(QTimer *uploadEndTimer)
{
    if (m_timer)
        disconnect(m_timer, &QTimer::timeout, this, &FirmwareUploadSession::UploadEndTimerTimer);
    m_timer = uploadEndTimer;
    if (m_timer) {
        m_timer->setInterval(kTickMs);
        connect(m_timer, &QTimer::timeout, this, &FirmwareUploadSession::UploadEndTimerTimer);
    }
    setTimer(m_timerActive);
}

void FirmwareUploadSession::setTimer(bool on)
{
    m_timerActive = on;
    if (!m_timer)
        return;
    if (on)
        m_timer->start();
    else
        m_timer->stop();
}

void FirmwareUploadSession::show(const FlashJob &job, Kind kind)
{
    if (visible())
        return;
    ++m_runId;
    m_job = job;
    m_kind = kind;
    if (kind != Picture)
        m_job.finalReplyMs = finalReplyMs(kind);
    m_phase = Phase::Connecting;
    m_maximum = 100;
    m_position = 0;
    m_progressVisible = false;
    m_result = None;
    m_notice = Notice::None;
    m_transfer = TransferResult();
    setTimer(false);

    m_workers.removeAll(QPointer<TransferWorker>());
    auto *worker = new TFlashThread(m_runId, m_job);
    connect(worker, &TFlashThread::loggedIn, this, &FirmwareUploadSession::WMLoggedIn);
    connect(worker, &TFlashThread::progress, this, &FirmwareUploadSession::WMProgress);
    connect(worker, &TFlashThread::uploadEnd, this, &FirmwareUploadSession::WMUploadEnd);
    connect(worker, &TFlashThread::finished, this, &FirmwareUploadSession::WMThreadDone);
    m_workers.append(worker);
    if (m_activity)
        m_activity->markSend();
    emit changed();
    worker->start();
}

void FirmwareUploadSession::WMLoggedIn(quint64 runId)
{
    if (runId != m_runId || m_phase != Phase::Connecting)
        return;
    if (m_activity)
        m_activity->markSend();
    m_phase = Phase::Preparing;
    emit changed();
}

void FirmwareUploadSession::WMProgress(quint64 runId, qint64 done, qint64 total)
{
    if (runId != m_runId || !visible() || m_phase >= Phase::Clearing)
        return;
    if (m_activity)
        m_activity->markReceive();
    m_phase = Phase::Uploading;
    m_progressVisible = true;
    // The bar counts bytes; an image or a picture is far below the range of a bar.
    m_maximum = int(std::clamp<qint64>(total, 1, std::numeric_limits<int>::max()));
    m_position = int(std::clamp<qint64>(done, 0, m_maximum));
    emit changed();
}

void FirmwareUploadSession::WMUploadEnd(quint64 runId)
{
    if (runId != m_runId || !visible() || m_phase == Phase::Restarting)
        return;
    // A picture is done when the camera has answered its store, not at its last byte.
    if (m_kind == Picture)
        return;
    m_phase = Phase::Clearing;
    m_maximum = clearingTicks();
    m_position = 0;
    setTimer(true);
    emit changed();
}

void FirmwareUploadSession::UploadEndTimerTimer()
{
    if (!visible())
        return;
    ++m_position;
    if (m_phase == Phase::Restarting) {
        if (m_position >= m_maximum)
            close(Done, Notice::None);
        else
            emit changed();
        return;
    }
    if (m_position == m_maximum / 2)
        m_phase = Phase::Writing;
    if (m_position >= m_maximum) {
        // The camera did not answer the store in time.
        close(Failed, Notice::None);
        return;
    }
    emit changed();
}

void FirmwareUploadSession::WMThreadDone(quint64 runId, const TransferResult &result)
{
    if (runId != m_runId || !visible())
        return;
    m_transfer = result;
    switch (result.outcome) {
    case TransferResult::Outcome::Done:
        if (m_kind == Picture) {
            close(Done, Notice::None);
            return;
        }
        m_phase = Phase::Restarting;
        m_position = 0;
        m_maximum = kRestartTicks;
        setTimer(true);
        emit changed();
        return;
    case TransferResult::Outcome::LocalFileMissing:
        close(FileMissing, Notice::FileMissing);
        return;
    case TransferResult::Outcome::InvalidImage:
        close(FileMissing, Notice::InvalidImage);
        return;
    case TransferResult::Outcome::ConnectFailed:
        close(Failed, Notice::LoginFailed);
        return;
    case TransferResult::Outcome::TransferFailed:
        close(StoreFailed, Notice::StoreFailed);
        return;
    }
}

void FirmwareUploadSession::close(Result result, Notice notice)
{
    setTimer(false);
    m_phase = Phase::Hidden;
    m_result = result;
    m_notice = notice;
    m_progressVisible = false;
    emit changed();
    emit finished(result);
}

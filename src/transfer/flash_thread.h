#pragma once

#include "transfer/flash_job.h"
#include "transfer/transfer_worker.h"

#include <QElapsedTimer>

// The upload worker: stores one firmware image or picture on the camera. Besides the
// worker's progress and finished it tells when the login is done and when the last
// byte has been sent (the camera then clears and writes its flash before it answers).
// Progress comes at most about twenty times a second, and always for the last byte.
// Once the last byte is out an abort waits for the camera's answer: a camera writing
// its flash is never cut off.
class TFlashThread final : public TransferWorker
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFlashThread)

public:
    static constexpr int kProgressIntervalMs = 50;

    TFlashThread(quint64 runId, const FlashJob &job, QObject *parent = nullptr);

    const FlashJob &job() const { return m_job; }

Q_SIGNALS:
    void loggedIn(quint64 runId);
    void uploadEnd(quint64 runId);

protected:
    TransferResult check() override;
    void build(FtpJob &job, FtpClient &client) override;
    // The camera restarts into the new image: its login goes with it.
    bool keepsSession() const override { return false; }

private:
    void ftpWorkBegin(FtpClient::Direction direction, qint64 total);
    void ftpWork(FtpClient::Direction direction, qint64 count);
    void ftpWorkEnd(FtpClient::Direction direction);

    const FlashJob m_job;
    qint64 m_total = 0;
    qint64 m_lastShown = -1;
    bool m_ended = false;
    bool m_protecting = false;
    QElapsedTimer m_sinceShown;
};

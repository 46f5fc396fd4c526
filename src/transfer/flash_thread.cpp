#include "transfer/flash_thread.h"

#include "transfer/ftp_job.h"

#include <QFileInfo>

TFlashThread::TFlashThread(quint64 runId, const FlashJob &job, QObject *parent)
    : TransferWorker(runId, job.connection, parent)
    , m_job(job)
{
}

TransferResult TFlashThread::check()
{
    TransferResult result;
    if (!QFileInfo(m_job.localFile).isFile()) {
        result.outcome = TransferResult::Outcome::LocalFileMissing;
        result.missingLocal = m_job.localFile;
    } else if (m_job.firmware && !FlashImageValid(m_job.localFile)) {
        // Checked again here: the file may have changed since it was chosen.
        result.outcome = TransferResult::Outcome::InvalidImage;
        result.missingLocal = m_job.localFile;
    }
    return result;
}

void TFlashThread::build(FtpJob &job, FtpClient &client)
{
    connect(&client, &FtpClient::workBegin, &client,
            [this](FtpClient::Direction d, qint64 total) { ftpWorkBegin(d, total); },
            Qt::DirectConnection);
    connect(&client, &FtpClient::work, &client,
            [this](FtpClient::Direction d, qint64 count) { ftpWork(d, count); },
            Qt::DirectConnection);
    connect(&client, &FtpClient::workEnd, &client,
            [this](FtpClient::Direction d) { ftpWorkEnd(d); }, Qt::DirectConnection);
    job.setQuitErrors(FtpJob::QuitErrors::Ignore);
    job.addStep([this] {
        Q_EMIT loggedIn(runId());
        return true;
    });
    FtpClient::StoreOptions options;
    options.forceBinary = m_job.firmware;
    options.finalReplyMs = m_job.finalReplyMs;
    job.addStore(m_job.localFile, m_job.remotePath(), options);
}

void TFlashThread::ftpWorkBegin(FtpClient::Direction direction, qint64 total)
{
    if (direction != FtpClient::Direction::Write)
        return;
    m_total = total;
    m_lastShown = 0;
    m_sinceShown.start();
    reportProgress(0, total);
}

void TFlashThread::ftpWork(FtpClient::Direction direction, qint64 count)
{
    if (direction != FtpClient::Direction::Write)
        return;
    const bool last = m_total > 0 && count >= m_total;
    if (count != m_lastShown && (last || m_sinceShown.elapsed() >= kProgressIntervalMs)) {
        m_lastShown = count;
        m_sinceShown.restart();
        reportProgress(count, m_total);
    }
    if (last && !m_ended) {
        m_ended = true;
        // Everything is with the camera: from here on an abort waits for its answer.
        m_protecting = enterProtected();
        Q_EMIT uploadEnd(runId());
    }
}

void TFlashThread::ftpWorkEnd(FtpClient::Direction direction)
{
    if (direction != FtpClient::Direction::Write)
        return;
    if (m_protecting) {
        m_protecting = false;
        leaveProtected();
    }
}

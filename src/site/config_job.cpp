#include "site/config_job.h"

#include "fileconfig/config_fields.h"
#include "fileconfig/page_files.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/camera_outcome.h"
#include "site/report_text.h"
#include "site/script_credentials.h"
#include "transfer/firmware_upload_session.h"
#include "transfer/flash_thread.h"
#include "transfer/ftp_session.h"

ConfigJob::ConfigJob(CameraNetwork &network, int record, const LoginEntry &login,
                     const QString &folder, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_record(record)
    , m_mac(network.registry().record(record).macText())
    , m_folder(folder)
    , m_ftp(std::make_shared<FtpSession>())
    , m_session(network.endpoint(), m_messenger, nullptr)
{
    m_session.setFtpSession(m_ftp);
    ScriptCredentials credentials(login);
    RequireCredentials(network.registry().record(record), credentials);
    m_messenger.setDefaultAnswer(Messenger::AnswerNo);
    // A refusal of the apply command is told while the run still waits: a script
    // stops there instead of sending the command again until the run times out.
    m_messenger.setHook([this](const ScriptedMessenger::Shown &) {
        if (m_session.state() != ConfigTransferSession::State::AwaitingApply || m_refused)
            return;
        m_refused = true;
        QMetaObject::invokeMethod(&m_session, &ConfigTransferSession::abort, Qt::QueuedConnection);
    });
    m_session.setLocalFolder(folder);
    m_session.attachTimers(&m_timeoutTimer, &m_resendTimer);
    connect(&m_session, &ConfigTransferSession::finished, this, &ConfigJob::sessionFinished);
}

const TConfigItem &ConfigJob::camera() const
{
    return m_network.registry().record(m_record);
}

void ConfigJob::transfer(int set, TransferMode mode, Then then)
{
    const int row = m_network.list().rowOfRecord(m_record);
    const QString kind = row >= 0 ? m_network.list().column(row, CameraList::ColKind) : QString();
    m_then = std::move(then);
    m_refused = false;
    m_messenger.clear();
    m_sent = m_sent || mode == TransferMode::Upload;
    m_session.configure(ConfigTransfer::forCamera(camera(), row, kind, set, mode));
    m_session.show();
}

void ConfigJob::flash(const FlashJob &job, std::function<void(const TransferResult &)> then)
{
    FlashJob j = job;
    j.finalReplyMs = FirmwareUploadSession::finalReplyMs(j.kernelOnly ? FirmwareUploadSession::KernelOnly
                                                                      : FirmwareUploadSession::UpdateAll);
    m_sent = true;
    auto *worker = new TFlashThread(++m_flashRuns, j, this);
    worker->setSession(m_ftp);
    connect(worker, &TFlashThread::progress, this,
            [this](quint64, qint64 done, qint64 total) { emit flashProgress(done, total); });
    connect(worker, &TFlashThread::finished, this, [worker, then](quint64, const TransferResult &result) {
        worker->deleteLater();
        then(result);
    });
    m_network.endpoint().markSend();
    worker->start(false);
}

void ConfigJob::transferEach(QList<int> sets, TransferMode mode, std::function<void()> done,
                             std::function<void(Outcome)> failed)
{
    if (sets.isEmpty()) {
        done();
        return;
    }
    const int set = sets.takeFirst();
    transfer(set, mode, [this, set, sets, mode, done, failed](Outcome outcome) {
        if (outcome == Outcome::Done) {
            transferEach(sets, mode, done, failed);
            return;
        }
        m_failure = QStringLiteral("%1: %2").arg(pageNameOf(set), m_failure);
        if (failed)
            failed(outcome);
        else
            finish(verdictOf(outcome), m_failure, statusOf(outcome));
    });
}

QString ConfigJob::pageNameOf(int set)
{
    const std::optional<FileTab> tab = PageFiles::TabOfSet(set);
    return tab ? ConfigFields::pageOf(*tab) : QString::number(set);
}

void ConfigJob::sessionFinished(ConfigTransferSession::Result result)
{
    Outcome outcome = Outcome::Done;
    const int thread = m_session.threadResult();
    if (result != ConfigTransferSession::Ok) {
        if (thread == 2)
            outcome = Outcome::LoginRefused;
        else if (thread > 0)
            outcome = Outcome::Failed;
        else if (thread < 0 || !m_refused)
            outcome = Outcome::NoAnswer;
        else
            outcome = Outcome::Refused;
    }
    if (outcome == Outcome::Done && !m_session.listing().isEmpty())
        m_listing = m_session.listing();
    QStringList shown;
    for (const ScriptedMessenger::Shown &s : m_messenger.shown())
        shown << s.text;
    m_failure = ReportText::oneLine(shown.join(QLatin1Char(' ')));
    if (m_failure.isEmpty() && outcome == Outcome::NoAnswer) {
        m_failure = thread < 0 ? QStringLiteral("the transfer did not end within 10 s")
                               : QStringLiteral("the camera did not confirm the upload within 10 s");
    }
    // The next step may start another run of the same session: not from inside its signal.
    Then then = std::exchange(m_then, nullptr);
    if (then)
        QMetaObject::invokeMethod(this, [then, outcome] { then(outcome); }, Qt::QueuedConnection);
}

int ConfigJob::statusOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done:
        return CameraOutcome::Ok;
    case Outcome::LoginRefused:
        return CameraOutcome::AuthFailed;
    case Outcome::Failed:
        return CameraOutcome::Refused;
    case Outcome::Refused:
        return CameraOutcome::Mismatch;
    case Outcome::NoAnswer:
        break;
    }
    return CameraOutcome::NoAnswer;
}

QString ConfigJob::verdictOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done:
        return QStringLiteral("success");
    case Outcome::LoginRefused:
        return QStringLiteral("authentication failed");
    case Outcome::Failed:
        return QStringLiteral("transfer failed");
    case Outcome::Refused:
        return QStringLiteral("refused");
    case Outcome::NoAnswer:
        break;
    }
    return QStringLiteral("no answer");
}

void ConfigJob::finish(const QString &verdict, const QString &text, int status)
{
    if (m_finished)
        return;
    m_finished = true;
    m_verdict = verdict;
    m_text = text;
    m_status = status;
    m_ftp->close(this, [this] { emit ended(); });
}

#include "fileconfig/config_transfer_session.h"

#include "base/messenger.h"
#include "base/shared_routines.h"
#include "base/string_table.h"
#include "fileconfig/config_file_set.h"
#include "protocol/command_result_sink.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"

#include "protocol/tick_timer.h"

#include <QTimer>

namespace {

// Sets 10 to 12 only touch the daemon folder; nothing is applied after them.
bool uploadsConfiguration(const ConfigTransfer &t)
{
    return t.mode == TransferMode::Upload && t.set != ConfigFileSet::DaemonListing
           && t.set != ConfigFileSet::DaemonAdd && t.set != ConfigFileSet::DaemonDelete;
}

QString messageCaption()
{
    return GetString(3169, QStringLiteral("Warning"));
}

} // namespace

ConfigTransferSession::ConfigTransferSession(UdpEndpoint &endpoint, Messenger &messenger,
                                       CommandResultSink *results, QObject *parent)
    : QObject(parent)
    , m_endpoint(endpoint)
    , m_messenger(messenger)
    , m_results(results)
{
    m_endpoint.addSink(UdpEndpoint::Stage::Fetch, this);
}

ConfigTransferSession::~ConfigTransferSession()
{
    m_endpoint.removeSink(UdpEndpoint::Stage::Fetch, this);
    TransferWorker::stopAll(m_workers, this);
}

void ConfigTransferSession::attachTimers(QTimer *timeoutTimer, QTimer *sendRebootTimer)
{
    if (m_timeoutTimer)
        disconnect(m_timeoutTimer, &QTimer::timeout, this, &ConfigTransferSession::timeoutTick);
    if (m_sendRebootTimer)
        disconnect(m_sendRebootTimer, &QTimer::timeout, this,
                   &ConfigTransferSession::sendRebootTick);
    m_timeoutTimer = timeoutTimer;
    m_sendRebootTimer = sendRebootTimer;
    if (m_timeoutTimer) {
        m_timeoutTimer->setInterval(kTimeoutMs);
        connect(m_timeoutTimer, &QTimer::timeout, this, &ConfigTransferSession::timeoutTick);
    }
    if (m_sendRebootTimer) {
        m_sendRebootTimer->setInterval(kSendRebootMs);
        connect(m_sendRebootTimer, &QTimer::timeout, this, &ConfigTransferSession::sendRebootTick);
    }
    setTimeoutTimer(m_timeoutActive);
    setSendRebootTimer(m_sendRebootActive);
}

void ConfigTransferSession::setTimeoutTimer(bool on)
{
    SetTickTimerRunning(m_timeoutTimer, m_timeoutActive, on);
}

void ConfigTransferSession::setSendRebootTimer(bool on)
{
    SetTickTimerRunning(m_sendRebootTimer, m_sendRebootActive, on);
}

void ConfigTransferSession::show()
{
    if (visible())
        return;
    ++m_runId;
    m_state = State::Transferring;
    m_modalResult = None;
    m_threadResult = -1;
    m_listing.clear();
    m_credentialsRejected = false;
    m_progressVisible = false;
    m_progressPosition = 0;
    m_applySends = 0;
    setTimeoutTimer(true);
    setSendRebootTimer(false);

    m_workers.removeAll(QPointer<TransferWorker>());
    const QString folder = m_folder.isEmpty() ? LocalTempFolder() : m_folder;
    auto *worker = new TGetConfThread(m_runId, m_transfer, folder, m_limits);
    worker->setSession(m_ftpSession);
    connect(worker, &TGetConfThread::progress, this, &ConfigTransferSession::workerProgress);
    connect(worker, &TGetConfThread::finished, this, &ConfigTransferSession::WMThreadDone);
    m_worker = worker;
    m_workers.append(worker);
    m_endpoint.markSend();
    emit changed();
    worker->start();
}

void ConfigTransferSession::workerProgress(quint64 runId, qint64 done, qint64 total)
{
    if (runId != m_runId || m_state != State::Transferring || total <= 0)
        return;
    m_endpoint.markReceive();
    m_progressVisible = true;
    // The login takes the first tenth of the bar, the files share the rest.
    constexpr int kLoggedIn = 10;
    constexpr int kFilesShare = 90;
    m_progressPosition = qBound(0, kLoggedIn + int(done) * (kFilesShare / int(total)), 100);
    emit changed();
}

void ConfigTransferSession::WMThreadDone(quint64 runId, const TGetConfThread::Result &result)
{
    if (runId != m_runId || m_state != State::Transferring)
        return;
    m_worker = nullptr;
    m_threadResult = result.code();
    m_listing = result.listing;
    switch (result.code()) {
    case 0:
        if (!uploadsConfiguration(m_transfer)) {
            close(Ok);
            return;
        }
        m_state = State::AwaitingApply;
        m_applyAction = ConfigFileSet(m_transfer.set).applyAction();
        sendApply(m_applyAction);
        setSendRebootTimer(true);
        return;
    case 2: {
        // Over first: the message boxes run their own event loops, and a time-out
        // arriving meanwhile must find the run already over. The end is announced after
        // the messages, so whoever hears it finds them (a script reports them).
        close(Cancel, false);
        // One message: a port that never answered is named as such; a refused login
        // keeps the words of the login failure with the client's reason below them.
        if (result.serverSilent) {
            m_messenger.tell(TransferResult::silentPortText(m_transfer.ftp.host, m_transfer.ftp.port),
                             messageCaption(), Messenger::Style::Error);
        } else {
            QString text = GetString(3245, QStringLiteral("Connection Failure")) + QLatin1Char('\n')
                           + GetString(3244, QStringLiteral("Check the ID and Password or FTP Port number"));
            if (!result.errorText.isEmpty())
                text += QStringLiteral("\n\n") + result.errorText;
            m_messenger.tell(text, messageCaption(), Messenger::Style::Error);
        }
        m_credentialsRejected = true;
        emit loginRejected(m_transfer.row);
        emit finished(Cancel);
        return;
    }
    default: {
        close(Cancel, false);
        QString text = GetString(3280, QStringLiteral("Failed on Transfering File"));
        // The camera now runs without this file: the administrator has to know which.
        if (!result.lackingOnCamera.isEmpty())
            text += QLatin1Char('\n') + result.lackingOnCamera;
        else if (!result.missingLocal.isEmpty())
            text += QLatin1Char('\n') + result.missingLocal;
        // A camera serving an oversized file fails for a reason of the tool's own: say it.
        else if (result.overLimit)
            text += QLatin1Char('\n') + result.errorText;
        m_messenger.tell(text, messageCaption(), Messenger::Style::Error);
        emit finished(Cancel);
        return;
    }
    }
}

void ConfigTransferSession::sendApply(quint8 action)
{
    ++m_applySends;
    // Only the first send reports a refusal; the repeats would pile up the same message.
    IssueControlCommand(m_transfer.camera, m_transfer.rowKind, m_endpoint, m_transfer.ftp.host, action,
                        1, m_sources, m_applySends == 1 ? &m_messenger : nullptr);
}

void ConfigTransferSession::sendRebootTick()
{
    if (m_state != State::AwaitingApply)
        return;
    // The same action as the first send: a camera that missed it must not get another.
    sendApply(m_applyAction);
}

void ConfigTransferSession::timeoutTick()
{
    abort();
}

void ConfigTransferSession::abort()
{
    if (!visible())
        return;
    abandonWorker();
    close(Cancel);
}

void ConfigTransferSession::abandonWorker()
{
    if (m_worker)
        m_worker->requestAbort();
    m_worker = nullptr;
}

void ConfigTransferSession::close(Result result, bool announce)
{
    setTimeoutTimer(false);
    setSendRebootTimer(false);
    m_state = State::Hidden;
    m_modalResult = result;
    m_progressVisible = false;
    emit changed();
    if (announce)
        emit finished(result);
}

int ConfigTransferSession::offer(const ReceivedDatagram &d)
{
    // Only the apply answer of this run's camera: anything earlier or from another camera
    // belongs to the later receivers.
    if (m_state != State::AwaitingApply || !m_transfer.camera
        || !d.reply.isFrom(m_transfer.camera->mac()) || d.senderText() != m_transfer.ftp.host)
        return 0;
    const quint8 type = d.reply.type;
    switch (type) {
    case Zora::ReplySuccess:
        setSendRebootTimer(false);
        if (m_results)
            m_results->ZORASetSuccess(m_transfer.row);
        close(Ok);
        return 1;
    case Zora::ReplyFailed:
    case Zora::ReplyAuthFailed:
        setSendRebootTimer(false);
        if (m_results)
            m_results->ZORAAuthFail(m_transfer.row);
        close(Cancel);
        m_messenger.tell(GetString(3243, QStringLiteral("Invalid Athentication Information"))
                             + QLatin1Char('\n')
                             + GetString(3299, QStringLiteral("Check the Administrator ID and Password")),
                         messageCaption(), Messenger::Style::Error);
        return 0;
    case Zora::ReplyMismatch:
        m_messenger.tell(GetString(3282, QStringLiteral("Mismatched type found! Check the all items.")),
                         messageCaption(), Messenger::Style::Error);
        return 0;
    case Zora::ReplyUnknownError:
        m_messenger.tell(GetString(3283, QStringLiteral("Unknown Error... Try later...")),
                         messageCaption(), Messenger::Style::Error);
        return 0;
    default:
        return 0;
    }
}

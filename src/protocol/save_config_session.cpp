#include "protocol/save_config_session.h"

#include "base/string_table.h"
#include "protocol/command_result_sink.h"
#include "protocol/datagram.h"
#include "protocol/tick_timer.h"

#include <QTimer>

namespace {

const QString kBroadcastText = QStringLiteral("255.255.255.255");

} // namespace

SaveConfigSession::SaveConfigSession(UdpEndpoint &endpoint, CommandResultSink *results,
                                     QObject *parent)
    : QObject(parent)
    , m_endpoint(endpoint)
    , m_results(results)
    , m_buttonCaption(GetString(3301, QStringLiteral("Cancel")))
{
    m_endpoint.addSink(UdpEndpoint::Stage::Confirm, this);
}

SaveConfigSession::~SaveConfigSession()
{
    m_endpoint.removeSink(UdpEndpoint::Stage::Confirm, this);
}

void SaveConfigSession::attachTimer(QTimer *timer)
{
    AttachTickTimer(m_timer, timer, kIntervalMs, m_timerActive, this, &SaveConfigSession::tick);
}

void SaveConfigSession::setTarget(bool unicast, const QString &address)
{
    m_unicast = unicast;
    m_address = address;
}

void SaveConfigSession::setExpectedMac(QByteArrayView sixBytes)
{
    m_mac = sixBytes.first(qMin<qsizetype>(6, sixBytes.size())).toByteArray();
}

void SaveConfigSession::setRow(int recordIndex)
{
    m_row = recordIndex;
}

bool SaveConfigSession::setRequest(const QByteArray &bytes, int capacity, int length)
{
    m_port = m_endpoint.cameraPort();
    m_ticks = 0;
    if (length < 0 || length > bytes.size() || length > capacity) {
        m_request.clear();
        m_length = 0;
        return false;
    }
    m_request = bytes.first(length);
    m_length = length;
    return true;
}

bool SaveConfigSession::prepare(const ConfirmRequest &request)
{
    m_cameraAddress = request.address;
    m_adapterIndex = request.adapterIndex;
    setTarget(request.unicast, request.address);
    setExpectedMac(request.mac);
    setRow(request.recordIndex);
    const int length = request.bytes.size() >= 7 ? Zora::ReadLe16(request.bytes, 5) : -1;
    return setRequest(request.bytes, request.capacity, length);
}

QString SaveConfigSession::caption() const
{
    return GetString(3291, QStringLiteral("Save Configuration"));
}

QString SaveConfigSession::noAnswerText()
{
    return QStringLiteral("No answer from the camera after ten tries: nothing was changed.\n"
                          "The edit is still on the page; Save sends it again.");
}

QString SaveConfigSession::waitingText() const
{
    return GetString(3292, QStringLiteral("Now updating changes... Please wait..."));
}

QString SaveConfigSession::statusText() const
{
    return m_errorVisible ? notChangedText() : waitingText();
}

QString SaveConfigSession::notChangedText()
{
    return QStringLiteral("The changes were not made.");
}

void SaveConfigSession::show()
{
    m_outcome = CommandOutcome::NoAnswer;
    m_replyType = -1;
    m_sendError.clear();
    m_state = State::Sending;
    m_port = m_endpoint.cameraPort();
    m_errorText.clear();
    m_errorVisible = false;
    m_height = kHeightWaiting;
    m_buttonCaption = GetString(3301, QStringLiteral("Cancel"));
    emit changed();
    if (m_length == 0 || m_mac.size() != 6) {
        // nothing valid to send: close as though it never opened
        close(CommandOutcome::NotSent);
        return;
    }
    sendStep();
    if (m_state == State::Sending)
        setTimer(true);
}

void SaveConfigSession::tick()
{
    if (m_state != State::Sending)
        return;
    sendStep();
}

void SaveConfigSession::sendStep()
{
    ++m_ticks;
    if (m_ticks > kMaxSends) {
        if (!m_holdsNoAnswer) {
            close(CommandOutcome::NoAnswer);
            return;
        }
        // The window says so and waits for OK: a dialog that just vanished would leave
        // the user believing the change was made.
        setTimer(false);
        m_state = State::Failed;
        m_outcome = CommandOutcome::NoAnswer;
        showMessage(noAnswerText());
        return;
    }
    m_endpoint.markSend();
    if (!m_unicast)
        m_address = kBroadcastText;
    QString error;
    // The endpoint maps "255.255.255.255" to its broadcast address and enables
    // broadcasting only for it.
    if (!m_endpoint.send(m_address, m_port, m_request.first(m_length), &error,
                         m_unicast ? 0 : m_adapterIndex))
        m_sendError = error;
}

void SaveConfigSession::setTimer(bool on)
{
    SetTickTimerRunning(m_timer, m_timerActive, on);
}

void SaveConfigSession::showMessage(const QString &text)
{
    m_errorText = text;
    m_errorVisible = true;
    m_height = kHeightMessage;
    m_buttonCaption = GetString(3300, QStringLiteral("OK"));
    emit changed();
}

int SaveConfigSession::offer(const ReceivedDatagram &d)
{
    m_endpoint.markReceive();
    // A reply too short to carry a MAC cannot be the camera's answer, nor one from another
    // address than the camera was last seen at (a device answering with its MAC).
    if (!d.reply.isFrom(m_mac) || (!m_cameraAddress.isEmpty() && d.senderText() != m_cameraAddress))
        return 0;
    setTimer(false);
    const quint8 type = d.reply.type;
    m_replyType = type;
    switch (type) {
    case Zora::ReplySuccess:
        m_address.clear();
        reportSuccess();
        close(CommandOutcome::Success);
        return 1;
    case Zora::ReplyAuthFailed:
        m_state = State::Failed;
        m_outcome = CommandOutcome::AuthFailure;
        showMessage(GetString(3243, QStringLiteral("Invalid Athentication Information"))
                    + QLatin1Char('\n')
                    + GetString(3299, QStringLiteral("Check the Administrator ID and Password")));
        reportAuthFailure();
        return 0;
    case Zora::ReplyFailed:
        m_state = State::Failed;
        m_outcome = CommandOutcome::Failed;
        showMessage(GetString(3293, QStringLiteral("FAIL on Appling changes! Try again....")));
        return 0;
    case Zora::ReplyMismatch:
        m_state = State::Failed;
        m_outcome = CommandOutcome::Failed;
        showMessage(GetString(3282, QStringLiteral("Mismatched type found! Check the all items")));
        return 0;
    case Zora::ReplyUnknownError:
        m_state = State::Failed;
        m_outcome = CommandOutcome::Failed;
        showMessage(GetString(3283, QStringLiteral("Unknown Error... Try later...")));
        return 0;
    default:
        // A discovery reply of the same camera (or anything newer) stops the resending but
        // not the wait; it still goes on to the discovery handler.
        if (m_state == State::Sending)
            m_state = State::Stalled;
        emit changed();
        return 0;
    }
}

void SaveConfigSession::pressButton()
{
    if (m_state == State::Hidden)
        return;
    setTimer(false);
    // The camera never answered: nothing says its credentials were wrong.
    if (m_outcome != CommandOutcome::NoAnswer || m_state != State::Failed)
        reportAuthFailure();
    close(m_state == State::Failed ? m_outcome : CommandOutcome::Cancelled);
}

void SaveConfigSession::close(CommandOutcome outcome)
{
    setTimer(false);
    m_state = State::Hidden;
    m_outcome = outcome;
    emit changed();
    emit finished(outcome);
}

void SaveConfigSession::reportSuccess()
{
    if (m_results && m_row >= 0)
        m_results->ZORASetSuccess(m_row);
}

void SaveConfigSession::reportAuthFailure()
{
    if (m_results && m_row >= 0)
        m_results->ZORAAuthFail(m_row);
}

#include "protocol/register_camera_session.h"

#include "base/send_guard.h"
#include "base/shared_routines.h"

#include "base/string_table.h"
#include "protocol/datagram.h"
#include "protocol/discovery.h"
#include "protocol/tick_timer.h"

#include <QHostInfo>
#include <QTimer>

RegisterCameraSession::RegisterCameraSession(UdpEndpoint &endpoint, Discovery &discovery,
                                             QObject *parent)
    : QObject(parent)
    , m_endpoint(endpoint)
    , m_discovery(discovery)
{
    m_endpoint.addSink(UdpEndpoint::Stage::Register, this);
}

RegisterCameraSession::~RegisterCameraSession()
{
    m_endpoint.removeSink(UdpEndpoint::Stage::Register, this);
}

QString RegisterCameraSession::noResponseText()
{
    return GetString(3288, QStringLiteral("Camera does NOT response...")) + QStringLiteral("\n\n")
           + GetString(3289, QStringLiteral("Check the camera if it is on"));
}

void RegisterCameraSession::attachTimer(QTimer *timer)
{
    AttachTickTimer(m_timer, timer, kIntervalMs, m_timerActive, this, &RegisterCameraSession::tick);
}

QList<QHostAddress> RegisterCameraSession::systemResolve(const QString &name, QString *error)
{
    if (const QString refused = SendGuard::hostRefusal(name); !refused.isEmpty()) {
        if (error)
            *error = refused;
        return {};
    }
    const QHostInfo info = QHostInfo::fromName(name);
    QList<QHostAddress> out;
    for (const QHostAddress &a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            out << a;
    }
    if (out.isEmpty() && error)
        *error = info.errorString();
    return out;
}

bool RegisterCameraSession::needsLookup(const QString &target) const
{
    const QString name = target.trimmed();
    return m_systemResolver && !SendGuard::numericForm(name);
}

void RegisterCameraSession::lookUp(const QString &target, std::function<void(const QString &)> done)
{
    abortLookup();
    const QString name = target.trimmed();
    if (const QString refused = SendGuard::hostRefusal(name); !refused.isEmpty()) {
        done(refused);
        return;
    }
    m_lookupId = QHostInfo::lookupHost(name, this, [this, name, done](const QHostInfo &info) {
        m_lookupId = -1;
        QList<QHostAddress> found;
        for (const QHostAddress &a : info.addresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol)
                found << a;
        }
        m_lookedUpName = name;
        m_lookedUp = found;
        done(found.isEmpty() ? info.errorString() : QString());
    });
}

void RegisterCameraSession::abortLookup()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    m_lookupId = -1;
}

std::optional<quint16> RegisterCameraSession::portOf(const QString &text, QString *message)
{
    bool ok = false;
    const qlonglong port = text.trimmed().toLongLong(&ok);
    if (!ok) {
        if (message)
            *message = GetString(3206, QStringLiteral("Port must be a NUMBER"));
        return std::nullopt;
    }
    // The socket layer would take 70000 as 4464: a port outside the range is refused.
    if (port < 1 || port > 65535) {
        if (message)
            *message = GetString(3205, QStringLiteral("Port must be beteen 1 to 65535"));
        return std::nullopt;
    }
    return quint16(port);
}

bool RegisterCameraSession::start(const QString &target, const QString &portText,
                                  QString *message)
{
    if (m_state == State::Waiting)
        return false;
    const std::optional<quint16> port = portOf(portText, message);
    if (!port)
        return false;
    m_target = target.trimmed();
    m_port = *port;
    m_message.clear();
    m_accepted.clear();
    m_sendError.clear();
    m_addresses.clear();
    m_result = ResultNone;

    // A counter left odd by the previous use skips the request at OK, as the dialog does;
    // the name is looked up either way, and one that does not resolve leaves the dialog
    // idle.
    QString why;
    const bool ok = m_ticks % 2 == 0 ? send(&why) : !resolve(&why).isEmpty();
    if (!ok) {
        if (message)
            *message = why;
        return false;
    }
    m_ticks = 0;
    m_state = State::Waiting;
    setTimer(true);
    return true;
}

QList<QHostAddress> RegisterCameraSession::resolve(QString *error)
{
    QList<QHostAddress> found;
    if (const std::optional<quint32> dotted = DottedDecimal(m_target)) {
        found << QHostAddress(*dotted);
    } else if (SendGuard::numericForm(m_target)) {
        // "127.0.0.030" would be octal to the address parser: refused, not guessed at.
        if (error)
            *error = SendGuard::hostRefusal(m_target);
    } else {
        QString why;
        // The window looked the name up in the background already.
        if (m_systemResolver && m_target == m_lookedUpName && !m_lookedUp.isEmpty())
            found = m_lookedUp;
        else
            found = m_resolver ? m_resolver(m_target, &why) : QList<QHostAddress>();
        if (found.isEmpty() && error)
            *error = why.isEmpty() ? QStringLiteral("%1: no address").arg(m_target) : why;
    }
    for (const QHostAddress &a : found) {
        if (!m_addresses.contains(a))
            m_addresses << a;
    }
    return found;
}

bool RegisterCameraSession::send(QString *error)
{
    QString why;
    const QList<QHostAddress> addresses = resolve(&why);
    const bool ok = !addresses.isEmpty()
                    && m_discovery.sendRequest(addresses.first().toString(), m_port, &why);
    if (!ok) {
        m_sendError = why;
        if (error)
            *error = why;
    }
    return ok;
}

void RegisterCameraSession::tick()
{
    if (m_state != State::Waiting)
        return;
    // A failed resend still counts, so the give-up comes on schedule.
    if (m_ticks % 2 == 0)
        send(nullptr);
    if (m_ticks >= kGiveUpTick) {
        m_message = noResponseText();
        ++m_ticks;
        finish(ResultNotAccepted);
        return;
    }
    ++m_ticks;
}

void RegisterCameraSession::cancel()
{
    if (m_state == State::Waiting)
        finish(ResultNotAccepted);
}

int RegisterCameraSession::offer(const ReceivedDatagram &d)
{
    m_received = d.count;
    if (d.count < 4 || !d.bytes().startsWith(Zora::kReplyMagic))
        return -1;
    if (d.count < 7 || d.reply.length != d.count)
        return -1;
    // Only the camera's discovery reply registers it: a command answer from the same
    // address would close the wait without listing anything.
    const bool own = m_addresses.contains(QHostAddress(d.sender.toIPv4Address()))
                     && d.reply.isDiscovery();
    if (!own)
        return 0;
    m_accepted = d.senderText();
    finish(ResultAccepted);
    return 1;
}

void RegisterCameraSession::setTimer(bool on)
{
    SetTickTimerRunning(m_timer, m_timerActive, on);
}

void RegisterCameraSession::finish(int result)
{
    setTimer(false);
    m_state = State::Closed;
    m_result = result;
    emit finished(result);
}

#include "site/camera_locator.h"

#include "base/send_guard.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protocol/register_camera_session.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSet>
#include <QTimer>

CameraLocator::CameraLocator(CameraNetwork &network)
    : m_network(network)
{
}

QString CameraLocator::localTrouble(CameraNetwork &network)
{
    UdpEndpoint &endpoint = network.endpoint();
    QString why;
    if (!endpoint.ensureOpen(&why))
        return why;
    why = SendGuard::refusal(endpoint.broadcastAddress());
    if (!why.isEmpty())
        return QStringLiteral("broadcast address %1 refused: %2").arg(endpoint.broadcastAddress().toString(), why);
    return {};
}

int CameraLocator::answerGraceMs(qint64 answeredAfterMs)
{
    return int(qBound(qint64(kMinAnswerGraceMs), answeredAfterMs, qint64(kAnswerGraceMs)));
}

bool CameraLocator::scan(int timeoutMs, const QStringList &wanted, QString *error, int resendMs)
{
    QElapsedTimer sent;
    sent.start();
    QString why;
    if (!m_network.discovery().scan(&why)) {
        if (error)
            *error = why;
        return false;
    }
    auto allFound = [this, &wanted] {
        if (wanted.isEmpty())
            return false;
        for (const QString &mac : wanted) {
            if (m_network.recordOfMac(mac) < 0)
                return false;
        }
        return true;
    };
    if (allFound())
        return true;
    const UdpEndpoint::Hold listening(m_network.endpoint());
    QEventLoop loop;
    // Precise: a coarse timer may end up to 5 % early on a whole second, --timeout 12.5
    // at 12.0 s.
    QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    QTimer resend;
    if (resendMs > 0 && !wanted.isEmpty()) {
        QObject::connect(&resend, &QTimer::timeout, &loop, [this] { m_network.discovery().scan(); });
        resend.start(resendMs);
    }
    // Once every camera looked for answered, a moment more: a second device answering
    // with one of their MACs answers the same request about as fast, and its reply puts
    // that camera's address in doubt before anything is sent to it.
    QTimer grace;
    grace.setSingleShot(true);
    QObject::connect(&grace, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto answered = QObject::connect(&m_network.discovery(), &Discovery::rowAnswered, &loop,
                                           [&grace, &sent, allFound] {
                                               if (allFound() && !grace.isActive())
                                                   grace.start(answerGraceMs(sent.elapsed()));
                                           });
    loop.exec();
    QObject::disconnect(answered);
    return true;
}

bool CameraLocator::survey(int timeoutMs, int rounds, int intervalMs, Coverage *coverage, QString *error)
{
    Discovery &discovery = m_network.discovery();
    CameraList &list = m_network.list();
    QSet<QString> seen;
    int round = 0;
    Coverage found;
    auto note = [&](int row) {
        if (row < 0 || row >= list.count() || seen.contains(list.row(row).mac))
            return;
        seen.insert(list.row(row).mac);
        const TConfigItem *item = m_network.registry().recordOfRow(row);
        QList<int> &added = found.added[item ? NetworkAdapters::nameOf(item->AdapterIndex) : QString()];
        added.resize(rounds);
        ++added[round - 1];
    };
    // Every adapter the request went out of is listed, even one where nobody answered.
    if (m_network.endpoint().broadcastAddress() == QHostAddress(QHostAddress::Broadcast)) {
        const NetworkAdapters adapters = m_network.endpoint().adapters();
        for (const NetworkAdapter &a : adapters.broadcastTargets(m_network.endpoint().adapterName()))
            found.added[a.name].resize(rounds);
    }
    const UdpEndpoint::Hold listening(m_network.endpoint());
    QString why;
    ++round;
    if (!discovery.scan(&why)) {
        if (error)
            *error = why;
        return false;
    }
    QEventLoop loop;
    const auto answered = QObject::connect(&discovery, &Discovery::rowAnswered, &loop,
                                           [&note](int row) { note(row); });
    QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    QTimer again;
    QObject::connect(&again, &QTimer::timeout, &loop, [&] {
        if (round >= rounds || round * intervalMs >= timeoutMs) {
            again.stop();
            return;
        }
        ++round;
        discovery.scan();
    });
    if (rounds > 1)
        again.start(intervalMs);
    loop.exec();
    QObject::disconnect(answered);
    found.rounds = round;
    for (QList<int> &added : found.added)
        added.resize(round);
    if (coverage)
        *coverage = found;
    return true;
}

int CameraLocator::registerCamera(const QString &host, const QString &portText,
                                  QString *message, int intervalMs)
{
    RegisterCameraSession session(m_network.endpoint(), m_network.discovery());
    QTimer timer;
    session.attachTimer(&timer);
    if (intervalMs > 0)
        timer.setInterval(intervalMs);
    if (!session.start(host, portText, message))
        return -1;
    if (session.state() == RegisterCameraSession::State::Waiting) {
        const UdpEndpoint::Hold listening(m_network.endpoint());
        QEventLoop loop;
        QObject::connect(&session, &RegisterCameraSession::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (session.result() != RegisterCameraSession::ResultAccepted) {
        if (message)
            *message = session.message().isEmpty() ? RegisterCameraSession::noResponseText()
                                                   : session.message();
        return -1;
    }
    // The reply has gone through the discovery handling by now, which listed the camera
    // from its source address as a remote camera.
    if (const int record = m_network.recordAt(session.cameraAddress()); record >= 0)
        return record;
    if (message)
        *message = RegisterCameraSession::noResponseText();
    return -1;
}

#include "app/shell/camera_locator.h"

#include "app/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/datagram.h"
#include "protocol/register_camera_session.h"

#include <QEventLoop>
#include <QTimer>

CameraLocator::CameraLocator(CameraNetwork &network)
    : m_network(network)
{
}

bool CameraLocator::scan(int timeoutMs, const QStringList &wanted, QString *error, int resendMs)
{
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
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
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
                                           [&grace, allFound] {
                                               if (allFound() && !grace.isActive())
                                                   grace.start(kAnswerGraceMs);
                                           });
    loop.exec();
    QObject::disconnect(answered);
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

#include "app/shell/camera_locator.h"

#include "app/camera_list.h"
#include "app/shell/admin_tool_core.h"
#include "protocol/datagram.h"
#include "protocol/register_camera_session.h"

#include <QEventLoop>
#include <QTimer>

CameraLocator::CameraLocator(AdminToolCore &core)
    : m_core(core)
{
}

QString CameraLocator::normalMac(const QString &text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char('-'), QLatin1Char(':'));
    const auto mac = Zora::ParseMac(t);
    if (!mac)
        return {};
    return Zora::MacText(QByteArrayView(reinterpret_cast<const char *>(mac->data()), 6));
}

int CameraLocator::recordOfMac(const QString &mac) const
{
    const CameraList &list = m_core.list();
    const int row = list.rowOfMac(normalMac(mac));
    return row < 0 ? -1 : list.row(row).record;
}

QList<int> CameraLocator::records() const
{
    QList<int> out;
    const CameraList &list = m_core.list();
    for (int r = 0; r < list.count(); ++r) {
        if (list.row(r).record >= 0 && list.row(r).mac.size() >= 3)
            out << list.row(r).record;
    }
    return out;
}

bool CameraLocator::scan(int timeoutMs, const QStringList &wanted, QString *error)
{
    QString why;
    if (!m_core.discovery().scan(&why)) {
        if (error)
            *error = why;
        return false;
    }
    auto allFound = [this, &wanted] {
        if (wanted.isEmpty())
            return false;
        for (const QString &mac : wanted) {
            if (recordOfMac(mac) < 0)
                return false;
        }
        return true;
    };
    if (allFound())
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    const auto answered = QObject::connect(&m_core.discovery(), &Discovery::rowAnswered, &loop,
                                           [&loop, allFound] {
                                               if (allFound())
                                                   loop.quit();
                                           });
    loop.exec();
    QObject::disconnect(answered);
    return true;
}

int CameraLocator::registerCamera(const QString &host, const QString &portText,
                                  QString *message, int intervalMs)
{
    RegisterCameraSession session(m_core.endpoint(), m_core.discovery());
    QTimer timer;
    session.attachTimer(&timer);
    if (intervalMs > 0)
        timer.setInterval(intervalMs);
    if (!session.start(host, portText, message))
        return -1;
    if (session.state() == RegisterCameraSession::State::Waiting) {
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
    const CameraList &list = m_core.list();
    for (int r = list.count() - 1; r >= 0; --r) {
        if (list.row(r).ip == session.cameraAddress() && list.row(r).mac.size() >= 3)
            return list.row(r).record;
    }
    if (message)
        *message = RegisterCameraSession::noResponseText();
    return -1;
}

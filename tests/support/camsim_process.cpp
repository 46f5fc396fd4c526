#include "camsim_process.h"

#include "test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTcpServer>
#include <QUdpSocket>

CamSimProcess::CamSimProcess() = default;

CamSimProcess::~CamSimProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel(); // the simulator ends on end of input
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
}

quint16 CamSimProcess::freeUdpPort()
{
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
}

quint16 CamSimProcess::freeTcpPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

bool CamSimProcess::start(const QJsonValue &fleet, const QStringList &extraArgs)
{
    const QString fleetFile = m_state.filePath(QStringLiteral("fleet.json"));
    QFile f(fleetFile);
    if (!f.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("cannot write the fleet file");
        return false;
    }
    f.write(fleet.isArray() ? QJsonDocument(fleet.toArray()).toJson()
                            : QJsonDocument(fleet.toObject()).toJson());
    f.close();
    return launch(QStringList{QStringLiteral("--fleet"), fleetFile} + extraArgs);
}

bool CamSimProcess::launch(const QStringList &args)
{
    m_cameraPort = freeUdpPort();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(TestSupport::pythonPath(),
                    QStringList{TestSupport::sourcePath(QStringLiteral("tools/camsim/camsim.py")),
                                QStringLiteral("--camera-port"), QString::number(m_cameraPort),
                                QStringLiteral("--state-dir"),
                                m_state.filePath(QStringLiteral("state"))}
                        + args);
    return waitReady(15000);
}

QJsonObject CamSimProcess::readLine(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!m_pending.contains('\n')) {
        const int left = timeoutMs - int(timer.elapsed());
        if (left <= 0 || m_process.state() == QProcess::NotRunning)
            return {};
        if (m_process.waitForReadyRead(qMin(left, 200)))
            m_pending += m_process.readAllStandardOutput();
    }
    const qsizetype nl = m_pending.indexOf('\n');
    const QByteArray line = m_pending.left(nl);
    m_pending.remove(0, nl + 1);
    return QJsonDocument::fromJson(line).object();
}

bool CamSimProcess::waitReady(int timeoutMs)
{
    if (!m_process.waitForStarted(5000)) {
        m_error = m_process.errorString();
        return false;
    }
    const QJsonObject ready = readLine(timeoutMs);
    if (!ready.value(QStringLiteral("ready")).toBool()) {
        m_error = QStringLiteral("simulator not ready: ")
                  + QString::fromUtf8(QJsonDocument(ready).toJson(QJsonDocument::Compact));
        return false;
    }
    m_cameras = ready.value(QStringLiteral("cameras")).toArray();
    return true;
}

QJsonObject CamSimProcess::command(const QJsonObject &cmd, int timeoutMs)
{
    m_process.write(QJsonDocument(cmd).toJson(QJsonDocument::Compact) + '\n');
    m_process.waitForBytesWritten(1000);
    return readLine(timeoutMs);
}

QJsonObject CamSimProcess::get(const QString &id)
{
    return command({{QStringLiteral("cmd"), QStringLiteral("get")}, {QStringLiteral("id"), id}});
}

bool CamSimProcess::set(const QString &id, const QJsonObject &fields)
{
    return command({{QStringLiteral("cmd"), QStringLiteral("set")},
                    {QStringLiteral("id"), id},
                    {QStringLiteral("fields"), fields}})
        .value(QStringLiteral("ok"))
        .toBool();
}

QJsonArray CamSimProcess::log(const QString &id)
{
    return command({{QStringLiteral("cmd"), QStringLiteral("log")}, {QStringLiteral("id"), id}})
        .value(QStringLiteral("log"))
        .toArray();
}

#include "camsim_process.h"

#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>

namespace {

bool bindable(int type, quint16 port)
{
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// A port for a program the test starts, UDP and TCP alike. It comes from below the
// system's ephemeral range, where no program gets a port without naming it, and a lock
// file holds it for as long as this test program runs: neither another test program nor
// any program's unnamed bind can take it before the program meant for it binds it,
// however late that is.
quint16 reservedPort()
{
    static std::mutex guard;
    const std::lock_guard lock(guard);
    int low = 32768;
    QFile range(QStringLiteral("/proc/sys/net/ipv4/ip_local_port_range"));
    if (range.open(QIODevice::ReadOnly))
        low = range.readAll().simplified().split(' ').value(0).toInt();
    const int first = qMax(1024, low / 2);
    const int count = low - first;
    if (count < 256)
        return 0;
    const QString dir = QDir::tempPath() + QStringLiteral("/zora-test-ports");
    QDir().mkpath(dir);
    const int start = int(QRandomGenerator::global()->bounded(count));
    for (int i = 0; i < count; ++i) {
        const quint16 port = quint16(first + (start + i) % count);
        const QByteArray path = QFile::encodeName(dir + QStringLiteral("/%1").arg(port));
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return 0;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && bindable(SOCK_DGRAM, port)
            && bindable(SOCK_STREAM, port))
            return port; // the descriptor stays open: the lock lasts until the program ends
        ::close(fd);
    }
    return 0;
}

} // namespace

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
    return reservedPort();
}

quint16 CamSimProcess::freeTcpPort()
{
    return reservedPort();
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
    // The simulator picks its port itself and says which in its ready line: a port
    // picked here could be taken by another program before the simulator binds it.
    m_cameraPort = 0;
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
    m_cameraPort = quint16(ready.value(QStringLiteral("camera_port")).toInt());
    return m_cameraPort != 0;
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

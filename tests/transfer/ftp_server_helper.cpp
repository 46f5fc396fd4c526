#include "ftp_server_helper.h"

#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

FtpServerProcess::FtpServerProcess(const QStringList &faults)
    : m_faults(faults)
{
}

FtpServerProcess::~FtpServerProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

bool FtpServerProcess::start()
{
    QDir(m_root.path()).mkpath(QStringLiteral("etc/control_deamon"));
    QStringList args{TestSupport::sourcePath(QStringLiteral("tools/camsim/ftpserver.py")),
                     QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                     QStringLiteral("--port"), QStringLiteral("0"),
                     QStringLiteral("--root"), m_root.path(),
                     QStringLiteral("--user"), QLatin1StringView(kUser),
                     QStringLiteral("--password"), QLatin1StringView(kPassword),
                     QStringLiteral("--log"), m_work.filePath(QStringLiteral("commands.log"))};
    for (const QString &fault : m_faults)
        args << QStringLiteral("--fault") << fault;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(TestSupport::pythonPath(), args);
    if (!m_process.waitForStarted(10000))
        return false;
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(15000))
            return false;
    }
    const QJsonObject ready = QJsonDocument::fromJson(m_process.readLine()).object();
    m_port = ready.value(QStringLiteral("port")).toInt();
    return ready.value(QStringLiteral("ready")).toBool() && m_port > 0;
}

QString FtpServerProcess::rootFile(const QString &relative) const
{
    return m_root.filePath(relative);
}

bool FtpServerProcess::writeRootFile(const QString &relative, const QByteArray &bytes) const
{
    QFile f(rootFile(relative));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray FtpServerProcess::readRootFile(const QString &relative) const
{
    QFile f(rootFile(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList FtpServerProcess::commands() const
{
    QFile f(m_work.filePath(QStringLiteral("commands.log")));
    QStringList lines;
    if (!f.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space > 0)
            lines << QString::fromLatin1(line.mid(space + 1));
    }
    return lines;
}

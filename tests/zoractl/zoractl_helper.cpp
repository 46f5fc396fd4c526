#include "zoractl_helper.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcessEnvironment>

Tool::Tool(const CamSimProcess &sim)
    : m_port(sim.cameraPort())
{
    m_passwordFile = m_dir.filePath("password");
    write("password", "pass\n");
}

void Tool::write(const QString &name, const QByteArray &bytes)
{
    QFile f(m_dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

void Tool::start(QProcess &p, const QStringList &args, const QHash<QString, QString> &env) const
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove("ZORA_PASSWORD");
    e.remove("ZORA_PPPOE_PASSWORD");
    e.insert("ZORA_LOOPBACK_ONLY", "1");
    for (auto it = env.begin(); it != env.end(); ++it)
        e.insert(it.key(), it.value());
    p.setProcessEnvironment(e);
    // Standard input is not a terminal: the tool must never wait for a typed password.
    p.setStandardInputFile(QProcess::nullDevice());
    m_lastLocalPort = CamSimProcess::freeUdpPort();
    const QStringList shared = {"--broadcast", "127.255.255.255", "--camera-port",
                                QString::number(m_port), "--local-port",
                                QString::number(m_lastLocalPort), "--app-dir",
                                m_dir.filePath("app")};
    p.start(QStringLiteral(ZORA_BINARY_DIR "/bin/zoractl"), args + shared);
}

Run Tool::finish(QProcess &p, int timeoutMs)
{
    Run r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = "timed out";
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

Run Tool::run(const QStringList &args, const QHash<QString, QString> &env) const
{
    QProcess p;
    start(p, args, env);
    return finish(p);
}

int commandsLogged(CamSimProcess &sim, const QString &id)
{
    int n = 0;
    for (const QJsonValue &v : sim.log(id)) {
        const QJsonObject d = v.toObject().value("decoded").toObject();
        if (!d.isEmpty() && d.value("code").toString() != "discovery")
            ++n;
    }
    return n;
}

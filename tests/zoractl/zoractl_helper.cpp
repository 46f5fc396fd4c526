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

void Tool::start(QProcess &p, const QStringList &args, const QHash<QString, QString> &env,
                 bool inputPipe) const
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove("ZORA_PASSWORD");
    e.remove("ZORA_PPPOE_PASSWORD");
    e.insert("ZORA_LOOPBACK_ONLY", "1");
    for (auto it = env.begin(); it != env.end(); ++it)
        e.insert(it.key(), it.value());
    p.setProcessEnvironment(e);
    // Standard input is not a terminal: the tool must never wait for a typed password.
    if (!inputPipe)
        p.setStandardInputFile(QProcess::nullDevice());
    QStringList line = commandLine(args);
    const QString program = line.takeFirst();
    p.start(program, line);
}

QStringList Tool::commandLine(const QStringList &args) const
{
    m_lastLocalPort = CamSimProcess::freeUdpPort();
    const QStringList shared = {"--broadcast", "127.255.255.255", "--camera-port",
                                QString::number(m_port), "--local-port",
                                QString::number(m_lastLocalPort), "--app-dir",
                                m_dir.filePath("app")};
    return QStringList{QStringLiteral(ZORA_BINARY_DIR "/bin/zoractl")} + args + shared;
}

Run Tool::runWithInput(const QStringList &args, const QByteArray &input,
                       const QHash<QString, QString> &env) const
{
    QProcess p;
    start(p, args, env, true);
    p.write(input);
    p.closeWriteChannel();
    return finish(p);
}

int shellStatus(const QProcess &p)
{
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : 128 + p.exitCode();
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

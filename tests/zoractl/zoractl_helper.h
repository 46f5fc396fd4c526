#pragma once

#include "camsim_process.h"

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// One run of the real zoractl binary.
struct Run {
    int status = -1;
    QString out;
    QString err;
};

// zoractl against a simulated fleet: loopback broadcast, the fleet's camera port, a free
// local port and an application directory of its own; the password "pass" in a file.
class Tool
{
public:
    explicit Tool(const CamSimProcess &sim);

    void write(const QString &name, const QByteArray &bytes);
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString passwordFile() const { return m_passwordFile; }
    QStringList login() const { return {"--user", "root", "--password-file", m_passwordFile}; }

    // Starts zoractl; the caller waits (or signals) and then calls finish(). Standard input
    // is empty unless inputPipe, when the caller writes it.
    void start(QProcess &p, const QStringList &args, const QHash<QString, QString> &env = {},
               bool inputPipe = false) const;
    // zoractl and its arguments with the fleet's shared options, for a run through another
    // program (script(1) for a terminal).
    QStringList commandLine(const QStringList &args) const;
    static Run finish(QProcess &p, int timeoutMs = 60000);
    Run run(const QStringList &args, const QHash<QString, QString> &env = {}) const;
    // The same with input on standard input, a pipe.
    Run runWithInput(const QStringList &args, const QByteArray &input,
                     const QHash<QString, QString> &env = {}) const;
    // The local UDP port the last start() gave zoractl.
    quint16 lastLocalPort() const { return m_lastLocalPort; }

private:
    QTemporaryDir m_dir;
    quint16 m_port;
    mutable quint16 m_lastLocalPort = 0;
    QString m_passwordFile;
};

// The status a shell reports: the exit code, or 128 and the signal that ended the process.
int shellStatus(const QProcess &p);

// Commands (not discovery requests) that reached a camera.
int commandsLogged(CamSimProcess &sim, const QString &id);

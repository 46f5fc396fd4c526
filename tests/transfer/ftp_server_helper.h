#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// tools/camsim/ftpserver.py on a free loopback port, for as long as the object lives.
class FtpServerProcess
{
public:
    explicit FtpServerProcess(const QStringList &faults = {});
    ~FtpServerProcess();

    bool start();
    int port() const { return m_port; }
    QString root() const { return m_root.path(); }
    QString rootFile(const QString &relative) const;
    bool writeRootFile(const QString &relative, const QByteArray &bytes) const;
    QByteArray readRootFile(const QString &relative) const;
    // Every command line the server received, in order, without the session numbers.
    QStringList commands() const;

    static constexpr const char *kUser = "admin";
    static constexpr const char *kPassword = "secret";

private:
    QStringList m_faults;
    QTemporaryDir m_root;
    QTemporaryDir m_work;
    QProcess m_process;
    int m_port = 0;
};

#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Keeps one running copy per application directory. The first copy listens on a local
// socket named after the directory; a later start connects to it, asks it to come to
// the front and ends. A copy that was killed leaves no lock behind.
class RunningCopyGuard final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunningCopyGuard)

public:
    explicit RunningCopyGuard(const QString &appDir, QObject *parent = nullptr);
    ~RunningCopyGuard() override;

    static QString serverName(const QString &appDir);
    // True when another copy answered (and was asked to come to the front).
    bool notifyRunningCopy(int timeoutMs = 1000);
    // Starts listening; false when that fails for a reason other than a stale socket.
    bool claim();

signals:
    void activationRequested();

private:
    void onNewConnection();

    QString m_name;
    QLocalServer *m_server = nullptr;
};

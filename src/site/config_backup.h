#pragma once

#include "protoconfig/credentials.h"
#include "site/batch_runner.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class CameraNetwork;
class ConfigJob;
class QDateTime;
class RunSink;

// Configuration backups: every page's files of a camera fetched and kept as a camera
// folder root/<MAC folder> (see CameraBackup), written beside its name and renamed when
// complete, so that a failure leaves nothing behind.
class ConfigBackup final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConfigBackup)

public:
    // One camera, inside a job of its own: done() with the folder's path. A failure goes
    // to failed(text, status) when given, else it ends the job.
    static void backUp(ConfigJob &job, const QString &root, const QDateTime &time,
                       std::function<void(const QString &finalPath)> done,
                       std::function<void(const QString &text, int status)> failed = {});

    explicit ConfigBackup(CameraNetwork &network, QObject *parent = nullptr);

    // Backs up every camera of macs into root, at most parallel at once: one result a
    // MAC, in the list's order, "success" with the folder's path.
    QList<BatchResult> run(RunSink &sink, const QStringList &macs, const LoginEntry &login, const QString &root,
                           int parallel);

signals:
    void cameraEnded(const BatchResult &result);

private:
    CameraNetwork &m_network;
};

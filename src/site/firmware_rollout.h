#pragma once

#include "protoconfig/credentials.h"
#include "site/batch_runner.h"
#include "site/firmware_history.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

class CameraNetwork;
class ConfigJob;
class ConfigJobRunner;
class PlanLog;
class RunSink;

// One firmware image for many cameras of one model. The first cameras (the canaries) go
// alone; the others start only when every canary came back with the version expected.
// Each camera: its backup when asked, its software version read (general.conf), the
// image stored, the camera followed through its restart and its version read again.
// Every upload is in the log before its first byte: a camera a run may have sent the
// image to is judged by its version and never sent the same image twice.
class FirmwareRollout final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FirmwareRollout)

public:
    struct Job {
        QString image;                         // a file FlashImageValid() takes
        bool allData = false;                  // "flash_all": the whole flash; else the kernel
        std::optional<QString> expectVersion;  // else any version other than the one before
        QString backupDir;                     // back each camera up here first; empty: no backup
        int parallel = 4;                      // cameras at once after the canaries
        int canary = 1;                        // cameras that go first, alone
    };

    FirmwareRollout(CameraNetwork &network, const Job &job, QObject *parent = nullptr);
    ~FirmwareRollout() override;

    // The first twelve hex digits of the image's SHA-256, and the log's step for it.
    QString imageTag() const { return m_imageTag; }
    QString step() const;

    // The cameras of macs whose model is named model (any case).
    static QStringList ofModel(CameraNetwork &network, const QStringList &macs, const QString &model);
    // Why image is not one a camera takes (its size, or it cannot be read); empty when it is.
    static QString imageRefusal(const QString &image);
    // Why the listed cameras that answered cannot take one image (cameras this tool
    // cannot update, or several models); empty when they can. Nothing is sent to any
    // camera of a list refused.
    QString refusal(const QStringList &macs) const;
    // Which cameras of macs to update, from what answered and the records of a log of
    // earlier runs: those a run saw updated are not sent the image again.
    void plan(const QStringList &macs, const QList<QJsonObject> &logRecords);
    // After plan(): the cameras to update, canaries first.
    const QStringList &toUpdate() const { return m_todo; }
    bool isCanary(const QString &mac) const;
    // Found cameras plan() leaves out, and those an earlier run may have sent the image.
    int alreadyUpdated() const { return m_found - int(m_todo.size()); }
    int sentEarlier() const { return int(m_earlier.size()); }

    // Updates the cameras of plan(), writing to log when given: one result a MAC, in the
    // order plan() had them.
    QList<BatchResult> run(RunSink &sink, const LoginEntry &login, PlanLog *log);

signals:
    // What a camera in flight waits for: "backing up", "reading the version", "uploading",
    // "restarting".
    void phaseChanged(const QString &mac, const QString &phase);
    void bytesSent(const QString &mac, qint64 done, qint64 total);
    // The camera's run is over; its result follows with cameraEnded.
    void cameraLeft(const QString &mac);
    void cameraEnded(const BatchResult &result);
    // Cameras done of the cameras to update.
    void countsChanged(int done, int all);

private:
    using End = std::function<void(const QString &verdict, const QString &text, int status)>;

    void startCamera(ConfigJob &job, ConfigJobRunner &runner);
    void upload(ConfigJob &job, ConfigJobRunner &runner, const QString &before, const End &end);
    void uploadFrom(ConfigJob &job, ConfigJobRunner &runner, std::optional<QString> before, const End &end);
    bool log(ConfigJob &job, const QString &step, const QString &result, const QString &message,
             const QJsonObject &extra = {}, bool synced = false);
    void judgeEarlier(const FirmwareHistory::Camera &earlier, const QString &now, const End &end) const;

    CameraNetwork &m_network;
    Job m_job;
    QString m_imageTag;
    QStringList m_macs;
    QStringList m_todo;
    int m_found = 0;
    std::map<QString, BatchResult> m_results;
    // Cameras an earlier run sent this image to without seeing them updated.
    QHash<QString, FirmwareHistory::Camera> m_earlier;
    PlanLog *m_log = nullptr;
};

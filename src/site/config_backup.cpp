#include "site/config_backup.h"

#include "fileconfig/filter_directory_listing.h"
#include "protocol/config_item.h"
#include "site/camera_backup.h"
#include "site/camera_outcome.h"
#include "site/config_job.h"
#include "site/config_job_runner.h"
#include "site/run_sink.h"

#include <QDateTime>
#include <QDir>
#include <QJsonObject>
#include <QThread>

#include <memory>

using namespace Qt::StringLiterals;

void ConfigBackup::backUp(ConfigJob &job, const QString &root, const QDateTime &time,
                          std::function<void(const QString &)> done,
                          std::function<void(const QString &, int)> failed)
{
    const TConfigItem &camera = job.camera();
    const QList<int> sets = CameraBackup::setsOf(camera.modelCode(), camera.AudioAvailable != 0);
    std::function<void(ConfigJob::Outcome)> transferFailed;
    if (failed) {
        transferFailed = [&job, failed](ConfigJob::Outcome outcome) {
            failed(job.failureText(), ConfigJob::statusOf(outcome));
        };
    }
    job.transferEach(sets, TransferMode::Download, [&job, sets, root, time, done, failed] {
        const QDir dir(root);
        const QString name = CameraBackup::folderName(job.mac());
        const QString staging = dir.filePath(u"."_s + name + u".partial"_s);
        const QString finalPath = dir.filePath(name);
        const QStringList daemons = FilterDirectoryListing(job.listing());
        const QJsonObject manifest = CameraBackup::manifestOf(job.camera(), job.folder(), sets, daemons, time);
        const QJsonObject settings = CameraBackup::settingsOf(job.camera());
        // Creating, writing and syncing a camera's files takes the file system a while:
        // on a thread of its own, the other cameras' transfers (and a window) go on.
        auto error = std::make_shared<QString>();
        auto written = std::make_shared<bool>(false);
        QThread *writer = QThread::create([from = job.folder(), sets, staging, finalPath, manifest, settings, error,
                                           written] {
            *written = CameraBackup::commit(from, sets, staging, finalPath, manifest, settings, error.get());
        });
        QObject::connect(writer, &QThread::finished, &job, [&job, finalPath, done, failed, error, written] {
            if (*written)
                done(finalPath);
            else if (failed)
                failed(*error, CameraOutcome::Local);
            else
                job.finish(u"failed"_s, *error, CameraOutcome::Local);
        });
        QObject::connect(writer, &QThread::finished, writer, &QObject::deleteLater);
        writer->start();
    }, transferFailed);
}

ConfigBackup::ConfigBackup(CameraNetwork &network, QObject *parent)
    : QObject(parent)
    , m_network(network)
{
}

QList<BatchResult> ConfigBackup::run(RunSink &sink, const QStringList &macs, const LoginEntry &login,
                                     const QString &root, int parallel)
{
    ConfigJobRunner runner(m_network);
    runner.setParallel(parallel);
    sink.attach(runner);
    connect(&runner, &ConfigJobRunner::jobEnded, this, [this](int, const BatchResult &r) { emit cameraEnded(r); });
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return runner.run(macs, login, [&root, now](ConfigJob &job) {
        backUp(job, root, now, [&job](const QString &finalPath) {
            job.finish(u"success"_s, QDir::toNativeSeparators(finalPath), CameraOutcome::Ok);
        });
    });
}

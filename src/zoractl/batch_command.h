#pragma once

#include "protoconfig/credentials.h"
#include "site/batch_runner.h"
#include "site/camera_backup.h"
#include "zoractl/arguments.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QTemporaryDir;
struct CommandContext;

// What the commands on many cameras (config, firmware) share: naming and finding the
// cameras, fetching their configuration into camera folders, naming a camera folder or
// a live camera, and the report.
class BatchCommand final
{
public:
    // --user, --password-file, --timeout and --parallel.
    static QList<OptionSpec> cameraOptions();
    static QString cameraHelp();

    // What reaching the cameras takes: the scan's wait, how many at once, the login.
    struct Reach {
        int timeoutMs = 0;
        int parallel = 1;
        LoginEntry login;
    };
    // From --timeout, --parallel (defaultParallel without it) and the credentials;
    // nothing, with the message printed, on a bad one.
    static std::optional<Reach> reach(CommandContext &context, const Arguments &p, int defaultParallel = 8);

    // One scan for the MACs (or for every camera when macs is empty and all is set);
    // afterwards macs holds the cameras looked for. An exit status on trouble.
    static std::optional<int> locate(CommandContext &context, QStringList &macs, bool all, int timeoutMs);
    // Backs up each camera into root/<MAC folder> as config backup keeps them, with the
    // run's status line and, for several cameras, a line as each ends.
    static QList<BatchResult> fetch(CommandContext &context, const QStringList &macs, const LoginEntry &login,
                                    const QString &root, int parallel);
    // The line on standard error as a camera of a batch ends.
    static void noteEnding(CommandContext &context, const BatchResult &result);

    // The MACs of the arguments: the positionals that are MACs, or --cameras FILE. The
    // non-MAC positionals stay in rest. Nothing, with the message printed, on a bad one.
    static std::optional<QStringList> macsOf(CommandContext &context, const Arguments &p, QStringList *rest);
    // A camera folder named by arg: a folder holding a backup, else a MAC whose camera's
    // configuration is fetched now into scratch. Nothing with *status on trouble.
    static std::optional<CameraBackup::Folder> folderOf(CommandContext &context, const QString &arg,
                                                        const Arguments &p, QTemporaryDir &scratch, int *status);

    // The page names of --page, checked; nothing with the message printed.
    static std::optional<QStringList> pagesOf(CommandContext &context, const Arguments &p);

    // The table (or the JSON array) and the status that stands for the whole run (128 +
    // the signal when Ctrl-C, SIGTERM or SIGHUP stopped it: 130, 143, 129). A camera's
    // JSON object takes the keys of its entry in extra as well.
    static int report(CommandContext &context, const QList<BatchResult> &results, const QString &done, bool json,
                      const QHash<QString, QJsonObject> &extra = {});
};

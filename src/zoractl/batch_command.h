#pragma once

#include "site/batch_runner.h"
#include "site/camera_backup.h"
#include "zoractl/arguments.h"
#include "protoconfig/credentials.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ConfigJob;
class ConfigJobRunner;
class QDateTime;
class QTemporaryDir;
struct CommandContext;

// What the config commands share: finding the cameras, fetching their configuration
// into camera folders, naming a camera folder or a live camera, and the report.
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
    // Fetches every page's files of each camera into root/<MAC folder>, written beside
    // and renamed when complete, as config backup keeps them.
    static QList<BatchResult> fetch(CommandContext &context, const QStringList &macs,
                                    const LoginEntry &login, const QString &root, int parallel);
    // Fetches every page's files of the job's camera into its folder and keeps them as
    // root/<MAC folder> (written beside, renamed when complete); done() with that path.
    // A failure leaves nothing behind and goes to failed(text, status) when given, else
    // it ends the job.
    static void backUp(ConfigJob &job, const QString &root, const QDateTime &time,
                       std::function<void(const QString &finalPath)> done,
                       std::function<void(const QString &text, int status)> failed = {});
    // How a runner shows its run on the console.
    enum class Progress {
        StatusLine,        // its status line
        StatusAndEndings,  // and a line on standard error as each camera ends
        EndingsOnly,       // the caller draws its own status
    };
    // A runner with the parallel count, its progress on the console, stopped by Ctrl-C,
    // SIGTERM or SIGHUP.
    static void prepare(ConfigJobRunner &runner, CommandContext &context, int parallel,
                        Progress progress = Progress::StatusLine);

    // The MACs of the arguments: the positionals that are MACs, or --cameras FILE. The
    // non-MAC positionals stay in rest. Nothing, with the message printed, on a bad one.
    static std::optional<QStringList> macsOf(CommandContext &context, const Arguments &p,
                                             QStringList *rest);
    // A camera folder named by arg: a folder holding a backup, else a MAC whose camera's
    // configuration is fetched now into scratch. Nothing with *status on trouble.
    static std::optional<CameraBackup::Folder> folderOf(CommandContext &context, const QString &arg,
                                                        const Arguments &p, QTemporaryDir &scratch,
                                                        int *status);

    // The page names of --page, checked; nothing with the message printed.
    static std::optional<QStringList> pagesOf(CommandContext &context, const Arguments &p);

    // The table (or the JSON array) and the status that stands for the whole run (128 +
    // the signal when Ctrl-C, SIGTERM or SIGHUP stopped it: 130, 143, 129).
    static int report(CommandContext &context, const QList<BatchResult> &results, const QString &done,
                      bool json);
};

#include "zoractl/batch_command.h"

#include "fileconfig/config_fields.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "site/camera_list_format.h"
#include "site/camera_locator.h"
#include "site/config_backup.h"
#include "site/report_text.h"
#include "site/result_export.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/console_sink.h"
#include "zoractl/exit_status.h"
#include "zoractl/option_values.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

QList<OptionSpec> BatchCommand::cameraOptions()
{
    return {{u"--user"_s, 1, 1}, {u"--password-file"_s, 1, 1}, {u"--timeout"_s, 1, 1},
            {u"--parallel"_s, 1, 1}};
}

QString BatchCommand::cameraHelp()
{
    return uR"(
  --user ID                 administrator ID; required to reach a camera
  --password-file FILE      administrator password (else $ZORA_PASSWORD, else asked)
  --timeout S               seconds the scan waits for the cameras (default 3)
  --parallel N              at most N cameras at once (default 8))"_s;
}

std::optional<BatchCommand::Reach> BatchCommand::reach(CommandContext &context, const Arguments &p,
                                                       int defaultParallel)
{
    QString error;
    const auto wait = OptionValues::timeoutMs(p, &error);
    const auto parallel = wait ? OptionValues::count(p, u"--parallel"_s, defaultParallel, 1, &error) : std::nullopt;
    const auto login = parallel ? OptionValues::credentials(p, context, &error) : std::nullopt;
    if (!login) {
        context.console.err(error);
        return std::nullopt;
    }
    return Reach{*wait, *parallel, *login};
}

std::optional<int> BatchCommand::locate(CommandContext &context, QStringList &macs, bool all, int timeoutMs)
{
    if (!context.localReady())
        return ExitLocal;
    CameraLocator locator(context.network);
    QString error;
    context.console.status(all ? u"scanning for cameras"_s : u"scanning for %1 camera(s)"_s.arg(macs.size()));
    // A camera that has just applied a change restarts its servers and misses a request.
    constexpr int kResendMs = 1000;
    if (!locator.scan(timeoutMs, all ? QStringList() : macs, &error, kResendMs)) {
        context.console.err(error);
        return ExitLocal;
    }
    if (all) {
        for (int record : context.network.records())
            macs << context.network.registry().record(record).macText();
        if (macs.isEmpty()) {
            context.console.err(u"no camera answered"_s);
            return ExitError;
        }
    }
    return std::nullopt;
}

QList<BatchResult> BatchCommand::fetch(CommandContext &context, const QStringList &macs, const LoginEntry &login,
                                       const QString &root, int parallel)
{
    ConsoleSink sink(context);
    ConfigBackup backup(context.network);
    if (macs.size() > 1) {
        QObject::connect(&backup, &ConfigBackup::cameraEnded, &backup,
                         [&context](const BatchResult &r) { noteEnding(context, r); });
    }
    const QList<BatchResult> results = backup.run(sink, macs, login, root, parallel);
    context.console.clearStatus();
    return results;
}

void BatchCommand::noteEnding(CommandContext &context, const BatchResult &r)
{
    context.console.note(u"%1: %2 %3"_s.arg(CameraListFormat::cameraName(context.network, r.mac), r.verdict,
                                            ReportText::escaped(ReportText::oneLine(r.text))));
}

std::optional<QStringList> BatchCommand::macsOf(CommandContext &context, const Arguments &p, QStringList *rest)
{
    QStringList macs;
    QString error;
    if (p.has(u"--cameras"_s)) {
        const auto list = OptionValues::macsOfFile(p.value(u"--cameras"_s), &error);
        if (!list) {
            context.console.err(error);
            return std::nullopt;
        }
        macs = *list;
    }
    for (const QString &word : p.positional()) {
        const QString mac = Zora::NormalMacText(word);
        if (!mac.isEmpty())
            macs << mac;
        else if (rest)
            *rest << word;
        else {
            context.console.err(u"%1 is not a MAC address"_s.arg(word));
            return std::nullopt;
        }
    }
    macs.removeDuplicates();
    return macs;
}

std::optional<CameraBackup::Folder> BatchCommand::folderOf(CommandContext &context, const QString &arg,
                                                           const Arguments &p, QTemporaryDir &scratch, int *status)
{
    QString error;
    if (QFileInfo(arg).isDir()) {
        auto folder = CameraBackup::load(arg, &error);
        if (!folder) {
            context.console.err(error);
            *status = ExitUsage;
        }
        return folder;
    }
    const QString mac = Zora::NormalMacText(arg);
    if (mac.isEmpty()) {
        context.console.err(u"%1 is neither a camera folder nor a MAC address"_s.arg(arg));
        *status = ExitUsage;
        return std::nullopt;
    }
    const auto how = reach(context, p);
    if (!how) {
        *status = ExitUsage;
        return std::nullopt;
    }
    QStringList macs{mac};
    if (context.network.recordOfMac(mac) < 0) {
        if (const auto trouble = locate(context, macs, false, how->timeoutMs)) {
            *status = *trouble;
            return std::nullopt;
        }
    }
    const QList<BatchResult> r = fetch(context, macs, how->login, scratch.path(), 1);
    if (r.first().status != ExitOk) {
        context.console.err(u"%1: %2"_s.arg(CameraListFormat::cameraName(context.network, mac), r.first().text));
        *status = r.first().status;
        return std::nullopt;
    }
    auto folder = CameraBackup::load(QDir(scratch.path()).filePath(CameraBackup::folderName(mac)), &error);
    if (!folder) {
        context.console.err(error);
        *status = ExitLocal;
    }
    return folder;
}

std::optional<QStringList> BatchCommand::pagesOf(CommandContext &context, const Arguments &p)
{
    const QStringList pages = p.values(u"--page"_s);
    for (const QString &page : pages) {
        if (!ConfigFields::pages().contains(page)) {
            context.console.err(u"no page %1 (pages: %2)"_s.arg(page, ConfigFields::pages().join(u", "_s)));
            return std::nullopt;
        }
    }
    return pages;
}

int BatchCommand::report(CommandContext &context, const QList<BatchResult> &results, const QString &done, bool json,
                         const QHash<QString, QJsonObject> &extra)
{
    int failed = 0;
    for (const BatchResult &r : results)
        failed += r.status != ExitOk;
    if (json) {
        context.console.outRaw(ResultExport::json(results, extra));
    } else {
        const QString row = u"%1  %2  %3  %4"_s;
        context.console.out(row.arg(u"MAC"_s, -17).arg(u"RESULT"_s, -21).arg(u"ADDRESS"_s, -15).arg(u"MESSAGE"_s));
        for (const BatchResult &r : results) {
            context.console.out(row.arg(r.mac, -17).arg(r.verdict, -21).arg(r.address, -15)
                                    .arg(ReportText::escaped(ReportText::oneLine(r.text))));
        }
        context.console.out(u"%1 of %2 cameras %3"_s.arg(results.size() - failed).arg(results.size()).arg(done));
    }
    if (context.interrupted())
        return context.stoppedStatus();
    if (results.size() == 1)
        return results.first().status;
    return failed ? ExitBatch : ExitOk;
}

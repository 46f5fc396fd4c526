#include "zoractl/config_backup_command.h"

#include "fileconfig/private_folder.h"
#include "zoractl/batch_command.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"

#include <QDir>

using namespace Qt::StringLiterals;

CommandSyntax ConfigBackupCommand::syntax()
{
    return {u"config backup"_s,
            u"config backup (MAC... | --cameras FILE | --all) --out DIR --user ID [--parallel N] [--json]"_s,
            uR"x(Keeps each camera's configuration in DIR/<MAC>/ (the MAC with dashes): the
camera files of every page byte for byte, settings.json (what the camera announces,
no password) and manifest.json (model, address, host, software version, time, and
each file's size and SHA-256). A camera's folder is written beside its name and
renamed when complete, replacing an older backup; a camera that fails is reported
and the others go on. Protocol-configured cameras get the two JSON files only.
  --all           every camera that answers the scan
  --cameras FILE  the MACs listed in FILE (one a line, '#' starts a comment)
  --out DIR       where the camera folders go (made when missing)
  --json          the results as JSON)x"_s
                + BatchCommand::cameraHelp(),
            BatchCommand::cameraOptions()
                + QList<OptionSpec>{{u"--out"_s, 1, 1}, {u"--cameras"_s, 1, 1}, {u"--all"_s, 0, 0},
                                    {u"--json"_s, 0, 0}},
            0};
}

int ConfigBackupCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    auto macs = BatchCommand::macsOf(context, p, nullptr);
    if (!macs)
        return ExitUsage;
    const bool all = p.has(u"--all"_s);
    if (macs->isEmpty() == !all) {
        context.console.err(u"name the cameras: MAC..., --cameras FILE or --all (one of them)"_s);
        return ExitUsage;
    }
    if (!p.has(u"--out"_s)) {
        context.console.err(u"--out DIR is required"_s);
        return ExitUsage;
    }
    const auto how = BatchCommand::reach(context, p);
    if (!how)
        return ExitUsage;
    const QString out = p.value(u"--out"_s);
    if (!PrivateFolder::makeRoot(out)) {
        context.console.err(u"cannot make the folder %1"_s.arg(QDir::toNativeSeparators(out)));
        return ExitLocal;
    }
    if (const auto trouble = BatchCommand::locate(context, *macs, all, how->timeoutMs))
        return *trouble;
    const QList<BatchResult> results = BatchCommand::fetch(context, *macs, how->login, out, how->parallel);
    return BatchCommand::report(context, results, u"backed up"_s, p.has(u"--json"_s));
}

#include "zoractl/config_restore_command.h"

#include "protocol/camera_network.h"
#include "protocol/datagram.h"
#include "site/camera_list_format.h"
#include "site/config_restore.h"
#include "site/report_text.h"
#include "zoractl/batch_command.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/console_sink.h"
#include "zoractl/exit_status.h"

using namespace Qt::StringLiterals;

CommandSyntax ConfigRestoreCommand::syntax()
{
    return {u"config restore"_s,
            u"config restore MAC --from DIR/MAC --user ID [--page PAGE...] [--dry-run] [--clone] "
            u"[--with-network] [--json]"_s,
            uR"x(Gives the camera the configuration kept in a camera folder of config backup:
each page whose files differ from the backup's is uploaded from the backup's bytes
and applied, as the window's Save does, and reported. A backup of another model is
refused. The network and host-name pages are left alone unless --with-network.
  --from DIR/MAC    the camera folder
  --page PAGE...    only these pages
  --dry-run         say which pages differ; send nothing
  --clone           the backup is of another camera (a replacement takes its
                    predecessor's settings)
  --with-network    also give the camera the backup's network and host-name
                    settings (never two cameras on one address: only for a camera
                    that replaces the one backed up)
  --json            the result as JSON)x"_s
                + BatchCommand::cameraHelp(),
            BatchCommand::cameraOptions()
                + QList<OptionSpec>{{u"--from"_s, 1, 1},   {u"--page"_s, 1, 16},
                                    {u"--dry-run"_s, 0, 0}, {u"--clone"_s, 0, 0},
                                    {u"--with-network"_s, 0, 0}, {u"--json"_s, 0, 0}},
            1};
}

int ConfigRestoreCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    const QString mac = Zora::NormalMacText(p.positional().value(0));
    if (p.positional().size() != 1 || mac.isEmpty() || !p.has(u"--from"_s)) {
        context.console.err(u"usage: zoractl "_s + syntax().synopsis);
        return ExitUsage;
    }
    const auto pages = BatchCommand::pagesOf(context, p);
    if (!pages)
        return ExitUsage;
    const auto backup = CameraBackup::load(p.value(u"--from"_s), &error);
    if (!backup) {
        context.console.err(error);
        return ExitUsage;
    }
    if (backup->mac != mac && !p.has(u"--clone"_s)) {
        context.console.err(u"the backup is of %1, not %2; --clone gives a camera another camera's "
                            u"settings"_s.arg(backup->mac, mac));
        return ExitUsage;
    }
    const auto how = BatchCommand::reach(context, p, 1);
    if (!how)
        return ExitUsage;
    QStringList macs{mac};
    if (const auto trouble = BatchCommand::locate(context, macs, false, how->timeoutMs))
        return *trouble;
    const int record = context.network.recordOfMac(mac);
    if (record < 0) {
        context.console.err(u"%1: no camera with this MAC answered"_s.arg(mac));
        return ExitError;
    }
    if (const QString refusal = ConfigRestore::refusal(*backup, context.network.registry().record(record));
        !refusal.isEmpty()) {
        context.console.err(refusal);
        return ExitUsage;
    }

    ConfigRestore::Job job{*backup, mac, *pages, p.has(u"--dry-run"_s), p.has(u"--with-network"_s), how->login};
    ConsoleSink sink(context);
    const BatchResult result = ConfigRestore(context.network).run(sink, job);
    if (p.has(u"--json"_s))
        return BatchCommand::report(context, {result}, u"restored"_s, true);
    const QString line = u"%1: %2"_s.arg(CameraListFormat::cameraName(context.network, mac),
                                         ReportText::escaped(ReportText::oneLine(result.text)));
    if (result.status == ExitOk)
        context.console.out(line);
    else
        context.console.err(line);
    return context.interrupted() ? context.stoppedStatus() : result.status;
}

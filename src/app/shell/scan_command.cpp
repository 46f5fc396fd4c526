#include "app/shell/scan_command.h"

#include "app/shell/camera_locator.h"
#include "app/shell/shell_common.h"
#include "app/shell/shell_console.h"
#include "app/shell/shell_context.h"
#include "app/shell/shell_exit.h"
#include "protocol/camera_network.h"

using namespace Qt::StringLiterals;

CommandSyntax ScanCommand::syntax()
{
    return {u"scan"_s, u"scan [--timeout S] [--json|--csv] [--show-secrets]"_s,
            uR"(One broadcast discovery; lists every camera that answered within S seconds
(default 3): model, MAC, IP address and host name, one camera a line.
  --json          a JSON array with every field of each camera
  --csv           one header line, then one line a camera, every field
  --show-secrets  include the PPPoE password)"_s,
            {{u"--timeout"_s, 1, 1}, {u"--json"_s, 0, 0}, {u"--csv"_s, 0, 0},
             {u"--show-secrets"_s, 0, 0}},
            0};
}

int ScanCommand::run(ShellContext &context, const ShellArguments &p)
{
    QString error;
    const auto format = ShellCommon::formatOf(p, &error);
    const auto wait = format ? ShellCommon::timeoutMs(p, &error) : std::nullopt;
    if (!format || !wait) {
        context.console.err(error);
        return ExitUsage;
    }
    if (!ShellCommon::localReady(context))
        return ExitLocal;
    CameraLocator locator(context.network);
    context.console.status(u"waiting %1 s for the cameras' answers"_s.arg(*wait / 1000.0));
    if (!locator.scan(*wait, {}, &error)) {
        context.console.err(error);
        return ExitLocal;
    }
    ShellCommon::printCameras(context, context.network.records(), *format, p.has(u"--show-secrets"_s));
    return ExitOk;
}

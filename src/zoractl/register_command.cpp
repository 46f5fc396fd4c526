#include "zoractl/register_command.h"

#include "site/camera_locator.h"
#include "zoractl/shell_common.h"
#include "zoractl/shell_console.h"
#include "zoractl/shell_context.h"
#include "site/shell_exit.h"

using namespace Qt::StringLiterals;

CommandSyntax RegisterCommand::syntax()
{
    return {u"register"_s, u"register HOST [--port N] [--json|--csv] [--show-secrets]"_s,
            uR"(Asks the camera at HOST (address or name) directly, at 0, 3, 9 and 15 s,
and prints it as scan does; the camera counts as remote.
  --port N        camera port (default: --camera-port))"_s,
            {{u"--port"_s, 1, 1}, {u"--json"_s, 0, 0}, {u"--csv"_s, 0, 0},
             {u"--show-secrets"_s, 0, 0}},
            1};
}

int RegisterCommand::run(ShellContext &context, const ShellArguments &p)
{
    QString error;
    const auto format = ShellCommon::formatOf(p, &error);
    const auto port = format ? ShellCommon::portText(p, context.options, &error) : std::nullopt;
    if (!format || !port) {
        context.console.err(error);
        return ExitUsage;
    }
    if (const QString empty = ShellCommon::emptyHostText(u"HOST"_s, p.positional().at(0)); !empty.isEmpty()) {
        context.console.err(empty);
        return ExitUsage;
    }
    if (!ShellCommon::localReady(context))
        return ExitLocal;
    CameraLocator locator(context.network);
    QString message;
    context.console.status(u"waiting for the camera at %1 (asked at 0, 3, 9 and 15 s)"_s.arg(p.positional().at(0)));
    const int record = locator.registerCamera(p.positional().at(0), *port, &message);
    if (record < 0) {
        context.console.err(message);
        return ExitError;
    }
    ShellCommon::printCameras(context, {record}, *format, p.has(u"--show-secrets"_s));
    return ExitOk;
}

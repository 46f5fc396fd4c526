#include "zoractl/register_command.h"

#include "site/camera_locator.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"
#include "zoractl/option_values.h"

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

int RegisterCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    const auto format = OptionValues::formatOf(p, &error);
    const auto port = format ? OptionValues::portText(p, context.options, &error) : std::nullopt;
    if (!format || !port) {
        context.console.err(error);
        return ExitUsage;
    }
    if (const QString empty = OptionValues::hostProblem(u"HOST"_s, p.positional().at(0)); !empty.isEmpty()) {
        context.console.err(empty);
        return ExitUsage;
    }
    if (!context.localReady())
        return ExitLocal;
    CameraLocator locator(context.network);
    QString message;
    context.console.status(u"waiting for the camera at %1 (asked at 0, 3, 9 and 15 s)"_s.arg(p.positional().at(0)));
    const int record = locator.registerCamera(p.positional().at(0), *port, &message);
    if (record < 0) {
        context.console.err(message);
        return ExitError;
    }
    context.printCameras({record}, *format, p.has(u"--show-secrets"_s));
    return ExitOk;
}

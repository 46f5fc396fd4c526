#include "zoractl/search_remote_command.h"

#include "protocol/camera_network.h"
#include "protocol/remote_search_session.h"
#include "site/report_text.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"
#include "zoractl/option_values.h"

#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;

CommandSyntax SearchRemoteCommand::syntax()
{
    return {u"search-remote"_s,
            u"search-remote IP [--port N] [--timeout S] [--json|--csv] [--show-secrets]"_s,
            uR"(Asks the camera at IP for its discovery reply every 2 s until it answers (a
camera that broadcasts do not reach), then prints it as scan does. The camera keeps
the connection kind discovery gives it; use register to list it as remote.
  --port N        camera port (default: --camera-port)
  --timeout S     give up after S seconds (default 10); status 1)"_s,
            {{u"--port"_s, 1, 1}, {u"--timeout"_s, 1, 1}, {u"--json"_s, 0, 0}, {u"--csv"_s, 0, 0},
             {u"--show-secrets"_s, 0, 0}},
            1};
}

int SearchRemoteCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    const auto format = OptionValues::formatOf(p, &error);
    const auto port = format ? OptionValues::portText(p, context.options, &error) : std::nullopt;
    std::optional<int> limit = 10000;
    if (port && p.has(u"--timeout"_s))
        limit = OptionValues::timeoutMs(p, &error);
    if (!format || !port || !limit) {
        context.console.err(error);
        return ExitUsage;
    }
    const QString target = p.positional().first();
    if (!OptionValues::isDottedIPv4(target)) {
        context.console.err(target.trimmed().isEmpty()
                                ? u"the address is empty; expected the camera's IPv4 address (such as 192.168.10.41)"_s
                                : u"\"%1\" is not an IPv4 address"_s.arg(ReportText::escaped(target)));
        return ExitUsage;
    }
    if (!context.localReady())
        return ExitLocal;

    CameraNetwork &network = context.network;
    RemoteSearchSession session(network.endpoint(), network.discovery());
    QTimer timer;
    session.attachTimer(&timer);
    if (context.confirmIntervalMs > 0)
        timer.setInterval(context.confirmIntervalMs);
    session.setTarget(target);
    if (!session.start(*port, &error)) {
        context.console.err(error);
        return ExitUsage;
    }
    const UdpEndpoint::Hold listening(context.network.endpoint());
    QEventLoop loop;
    QTimer giveUp;
    giveUp.setSingleShot(true);
    // A coarse timer may give up to 5 % early, on a whole second.
    giveUp.setTimerType(Qt::PreciseTimer);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, [&session] { session.cancel(); });
    QObject::connect(&session, &RemoteSearchSession::finished, &loop, &QEventLoop::quit);
    giveUp.start(*limit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        context.console.status(u"asking %1 (request %2)"_s.arg(target).arg(session.requestsSent()));
    });
    loop.exec();
    context.console.clearStatus();
    if (session.result() != RemoteSearchSession::ResultFound) {
        context.console.err(u"the camera at %1 did not answer %2 requests"_s.arg(target).arg(session.requestsSent()));
        return ExitError;
    }
    // The reply has gone through the discovery handling, which listed the camera.
    if (const int record = network.recordAt(target); record >= 0) {
        context.printCameras({record}, *format, p.has(u"--show-secrets"_s));
        return ExitOk;
    }
    context.console.err(u"the camera at %1 answered but is not listed (model filter?)"_s.arg(target));
    return ExitError;
}

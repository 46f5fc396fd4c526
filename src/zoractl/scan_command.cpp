#include "zoractl/scan_command.h"

#include "protocol/camera_network.h"
#include "protocol/discovery.h"
#include "site/camera_locator.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"
#include "zoractl/option_values.h"

using namespace Qt::StringLiterals;

CommandSyntax ScanCommand::syntax()
{
    return {u"scan"_s, u"scan [--timeout S] [--rounds N] [--json|--csv] [--show-secrets]"_s,
            uR"(Broadcast discovery; lists every camera that answered within S seconds
(default 3): model, MAC, IP address and host name, one camera a line. The request
goes out of every adapter, N times 300 ms apart (default 3): a camera that missed
one request answers the next. Standard error gets one line per adapter with the
cameras each round added, and a warning for cameras sharing an address.
  --json          a JSON array with every field of each camera
  --csv           one header line, then one line a camera, every field
  --show-secrets  include the PPPoE password)"_s,
            {{u"--timeout"_s, 1, 1}, {u"--rounds"_s, 1, 1}, {u"--json"_s, 0, 0}, {u"--csv"_s, 0, 0},
             {u"--show-secrets"_s, 0, 0}},
            0};
}

int ScanCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    const auto format = OptionValues::formatOf(p, &error);
    const auto wait = format ? OptionValues::timeoutMs(p, &error) : std::nullopt;
    const auto rounds = wait ? OptionValues::count(p, u"--rounds"_s, kRounds, 1, &error) : std::nullopt;
    if (!format || !wait || !rounds) {
        context.console.err(error);
        return ExitUsage;
    }
    if (!context.localReady())
        return ExitLocal;
    CameraLocator locator(context.network);
    context.console.status(u"waiting %1 s for the cameras' answers"_s.arg(*wait / 1000.0));
    QObject::connect(&context.network.discovery(), &Discovery::listFull, &context.network,
                     [&context](const QString &text) { context.console.err(u"warning: "_s + text); });
    CameraLocator::Coverage coverage;
    if (!locator.survey(*wait, *rounds, kRoundIntervalMs, &coverage, &error)) {
        context.console.err(error);
        return ExitLocal;
    }
    for (auto it = coverage.added.cbegin(); it != coverage.added.cend(); ++it) {
        int total = 0;
        QStringList steps;
        for (int n : it.value()) {
            total += n;
            steps << u"+%1"_s.arg(n);
        }
        const QString name = it.key().isEmpty() ? u"(adapter unknown)"_s : it.key();
        context.console.err(u"%1: %2 camera%3; rounds %4"_s.arg(name).arg(total).arg(total == 1 ? u""_s : u"s"_s,
                                                                      steps.join(u' ')));
    }
    context.warnAddresses();
    context.printCameras(context.network.records(), *format, p.has(u"--show-secrets"_s));
    return ExitOk;
}

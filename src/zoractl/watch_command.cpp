#include "zoractl/watch_command.h"

#include "protocol/camera_network.h"
#include "protocol/discovery.h"
#include "site/metrics_server.h"
#include "site/site_metrics.h"
#include "site/site_state_file.h"
#include "site/site_watch.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"
#include "zoractl/interrupt_watch.h"
#include "zoractl/option_values.h"

#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

CommandSyntax WatchCommand::syntax()
{
    return {u"watch"_s,
            u"watch [--interval S] [--rounds N] [--text] [--state FILE] [--metrics ADDR:PORT]"_s,
            uR"(Runs until stopped (Ctrl-C, SIGTERM) and reports what changes on the site, one
event a line: appeared, gone, back, address_changed, host_changed, model_changed,
conflict, conflict_cleared. A discovery round goes out of every adapter every S
seconds (default 30), N requests a round (default 3); a camera that misses a round
is asked every 10 s, and after 60 s without an answer it is gone.
  --text               readable lines instead of JSON objects
  --state FILE         keep the known site in FILE across restarts (written after
                       each change): a restart announces only what changed
  --metrics ADDR:PORT  serve GET /metrics in the Prometheus text format on
                       ADDR:PORT (ADDR 127.0.0.1 when only :PORT or PORT is given))"_s,
            {{u"--interval"_s, 1, 1}, {u"--rounds"_s, 1, 1}, {u"--text"_s, 0, 0}, {u"--state"_s, 1, 1},
             {u"--metrics"_s, 1, 1}},
            0};
}

int WatchCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    int intervalSeconds = kIntervalSeconds;
    if (p.has(u"--interval"_s)) {
        bool ok = false;
        const double s = p.value(u"--interval"_s).toDouble(&ok);
        if (!ok || !std::isfinite(s) || s < 1 || s > kMaxIntervalSeconds) {
            context.console.err(u"--interval: %1 is not a number of seconds (1..%2)"_s.arg(p.value(u"--interval"_s))
                                    .arg(kMaxIntervalSeconds));
            return ExitUsage;
        }
        intervalSeconds = int(std::lround(s));
    }
    const auto rounds = OptionValues::count(p, u"--rounds"_s, 3, 1, &error);
    QHostAddress metricsAddress;
    quint16 metricsPort = 0;
    if (!rounds
        || (p.has(u"--metrics"_s)
            && !MetricsServer::parseAddress(p.value(u"--metrics"_s), &metricsAddress, &metricsPort, &error))) {
        context.console.err(error);
        return ExitUsage;
    }
    const bool text = p.has(u"--text"_s);
    const QString statePath = p.value(u"--state"_s);
    if (!context.localReady())
        return ExitLocal;

    CameraNetwork &network = context.network;
    SiteWatch watch(network);
    const int tickMs = context.clockMs > 0 ? context.clockMs : SiteWatch::kTickMs;
    watch.setIntervalTicks(intervalSeconds * 1000 / SiteWatch::kTickMs);
    watch.setRequestsPerRound(*rounds);
    if (!statePath.isEmpty() && !SiteStateFile::read(statePath, watch, &error)) {
        // A broken state is kept for a look, and the watch starts as without one.
        context.console.err(u"warning: "_s + error + u"; starting without it"_s);
    }
    QObject::connect(&watch, &SiteWatch::happened, &watch, [&context, text](const SiteEvent &e) {
        if (text)
            context.console.out(e.textLine());
        else
            context.console.outRaw(e.jsonLine());
        context.console.flushOut();
    });
    QObject::connect(&network.discovery(), &Discovery::listFull, &watch,
                     [&context](const QString &message) { context.console.err(u"warning: "_s + message); });
    int lastAnswered = -1;
    QObject::connect(&watch, &SiteWatch::roundEnded, &watch, [&context, &watch, &lastAnswered](int answered, int known) {
        // A line when the count moves, not one each round: a service's journal stays short.
        if (answered != lastAnswered)
            context.console.note(u"zoractl: round %1: %2 of %3 known cameras answered"_s.arg(watch.roundsDone())
                                     .arg(answered)
                                     .arg(known));
        lastAnswered = answered;
    });

    std::unique_ptr<MetricsServer> metrics;
    if (p.has(u"--metrics"_s)) {
        metrics = std::make_unique<MetricsServer>([&watch] { return SiteMetrics::text(watch); });
        if (!metrics->listen(metricsAddress, metricsPort, &error)) {
            context.console.err(error);
            return ExitLocal;
        }
        const QString host = metricsAddress.protocol() == QAbstractSocket::IPv6Protocol
                                 ? u"[%1]"_s.arg(metricsAddress.toString())
                                 : metricsAddress.toString();
        context.console.note(u"zoractl: metrics at http://%1:%2/metrics"_s.arg(host).arg(metrics->port()));
    }

    bool stateTrouble = false;
    auto keepState = [&] {
        if (statePath.isEmpty() || !watch.stateChanged())
            return;
        watch.clearStateChanged();
        if (!SiteStateFile::write(statePath, watch, &error)) {
            if (!stateTrouble)
                context.console.err(u"warning: "_s + error);
            stateTrouble = true;
        } else {
            stateTrouble = false;
        }
    };

    const UdpEndpoint::Hold listening(network.endpoint());
    QEventLoop loop;
    QTimer clock;
    clock.setTimerType(Qt::PreciseTimer);
    QObject::connect(&clock, &QTimer::timeout, &loop, [&] {
        watch.tick(QDateTime::currentDateTimeUtc());
        keepState();
    });
    if (context.interrupts) {
        context.interrupts->arm();
        QObject::connect(context.interrupts, &InterruptWatch::interrupt, &loop, &QEventLoop::quit);
    }
    watch.tick(QDateTime::currentDateTimeUtc());
    clock.start(tickMs);
    if (!context.interrupted())
        loop.exec();
    // Whatever came since the last tick is kept too.
    if (!statePath.isEmpty() && !SiteStateFile::write(statePath, watch, &error)) {
        context.console.err(error);
        return ExitLocal;
    }
    return context.stoppedStatus();
}

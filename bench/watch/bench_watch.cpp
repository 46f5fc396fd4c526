// A site watched for ten minutes of simulated time beside a scan of the same fleet: the
// main thread's CPU a round and the resident memory.
//
//   bench_watch [CAMERAS [MINUTES]]        (default: 5000 10; about a minute)
//
// Each side runs in a fresh process of its own (so neither inherits the other's heap)
// against the simulated cameras of bench/common, one loopback address a camera, every
// request answered by every camera. The scan is zoractl's: three requests 300 ms apart,
// listening 3 s. The watch is zoractl watch's: a round of three requests every 30 s,
// the ticks driven here one after the other (the simulated clock moves 500 ms a tick),
// waiting for real time only while the cameras' answers come in.
#include "base/heap_tuning.h"
#include "protocol/camera_network.h"
#include "site/camera_locator.h"
#include "site/site_metrics.h"
#include "site/site_watch.h"
#include "../common/bench_fleet.h"
#include "../common/bench_memory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using BenchFleet::Fleet;

// CPU seconds of the calling thread (the tool's: the fleet answers from its own).
double threadCpu()
{
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

AppOptions optionsFor(quint16 cameraPort)
{
    AppOptions o;
    o.broadcast = QHostAddress(QStringLiteral("127.255.255.255"));
    o.cameraPort = cameraPort;
    o.localPort = BenchFleet::freeUdpPort();
    return o;
}

// Runs the event loop for ms of real time, or until done (looked at every 5 ms); it
// sleeps while nothing comes, so the CPU counted is the tool's.
void drain(int ms, const std::function<bool()> &done = {})
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QTimer check;
    if (done) {
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        check.start(5);
    }
    loop.exec();
}

int scanChild(int cameras)
{
    const quint16 port = BenchFleet::freeUdpPort();
    Fleet fleet(cameras, port, Fleet::Answer::EveryRequest, Fleet::Sources::OnePerCamera);
    CameraNetwork network(optionsFor(port));
    network.discovery().attach();
    const BenchMemory::Sample start = BenchMemory::sample();
    const double cpu = threadCpu();
    QElapsedTimer wall;
    wall.start();
    CameraLocator locator(network);
    locator.survey(3000, 3, 300, nullptr);
    std::printf("scan  %d cameras: %d listed, CPU %.3f s, %.1f s, resident %.1f -> %.1f MiB\n", cameras,
                network.list().count(), threadCpu() - cpu, wall.elapsed() / 1000.0, start.rssBytes / 1048576.0,
                BenchMemory::sample().rssBytes / 1048576.0);
    return 0;
}

int watchChild(int cameras, int minutes)
{
    const quint16 port = BenchFleet::freeUdpPort();
    Fleet fleet(cameras, port, Fleet::Answer::EveryRequest, Fleet::Sources::OnePerCamera);
    CameraNetwork network(optionsFor(port));
    network.discovery().attach();
    SiteWatch watch(network);
    watch.setIntervalTicks(30 * 1000 / SiteWatch::kTickMs);
    watch.setRequestsPerRound(3);
    int events = 0;
    QObject::connect(&watch, &SiteWatch::happened, &watch, [&events] { ++events; });
    const BenchMemory::Sample start = BenchMemory::sample();
    std::vector<double> roundCpu;
    std::vector<double> rss;
    QDateTime now = QDateTime::currentDateTimeUtc();
    const int ticks = minutes * 60 * 1000 / SiteWatch::kTickMs;
    double roundStart = threadCpu();
    qsizetype scrapeBytes = 0;
    double scrapeCpu = 0;
    for (int t = 0; t < ticks; ++t) {
        const bool wasOpen = watch.roundOpen();
        watch.tick(now);
        now = now.addMSecs(SiteWatch::kTickMs);
        if (watch.roundOpen() && !wasOpen) {
            roundStart = threadCpu();
            // The first request's answers, then each later request's burst.
            drain(10000, [&] { return watch.answeredThisRound() >= cameras; });
        }
        // A later request's burst is in well within this.
        if (watch.roundOpen())
            drain(150);
        else if (wasOpen) {
            roundCpu.push_back(threadCpu() - roundStart);
            rss.push_back(BenchMemory::sample().rssBytes);
            // A scrape after each round.
            const double before = threadCpu();
            scrapeBytes = SiteMetrics::text(watch).size();
            scrapeCpu += threadCpu() - before;
        } else {
            QCoreApplication::processEvents();
        }
    }
    if (roundCpu.empty()) {
        std::printf("watch %d cameras: no round completed\n", cameras);
        return 1;
    }
    std::vector<double> sorted = roundCpu;
    std::sort(sorted.begin(), sorted.end());
    int up = 0;
    for (const SiteWatch::Camera &c : watch.cameras())
        up += c.up ? 1 : 0;
    std::printf("watch %d cameras, %d min simulated: %zu rounds, %d known (%d up), %d events; CPU a round "
                "median %.3f s (min %.3f, max %.3f); resident %.1f -> %.1f MiB after round 1 -> %.1f MiB at "
                "the end; a scrape %.1f KiB, %.2f ms CPU\n",
                cameras, minutes, roundCpu.size(), int(watch.cameras().size()), up, events,
                sorted[sorted.size() / 2], sorted.front(), sorted.back(), start.rssBytes / 1048576.0,
                rss.front() / 1048576.0, rss.back() / 1048576.0, scrapeBytes / 1024.0,
                scrapeCpu * 1000 / double(roundCpu.size()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    TuneHeapForLongLists(); // as the programs do
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("ZORA_LOOPBACK_ONLY"))
        qputenv("ZORA_LOOPBACK_ONLY", "1");
    if (argc >= 3 && QByteArray(argv[1]) == "--scan-child")
        return scanChild(atoi(argv[2]));
    if (argc >= 4 && QByteArray(argv[1]) == "--watch-child")
        return watchChild(atoi(argv[2]), atoi(argv[3]));
    const QString cameras = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("5000");
    const QString minutes = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("10");
    for (const QStringList &args : {QStringList{QStringLiteral("--scan-child"), cameras},
                                    QStringList{QStringLiteral("--watch-child"), cameras, minutes}}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), args);
        if (!child.waitForFinished(30 * 60 * 1000))
            std::printf("%s: timed out\n", qPrintable(args.first()));
    }
    return 0;
}

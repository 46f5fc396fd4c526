// How fast a burst of discovery replies becomes camera-list rows, against a bare socket
// reading the same burst; and what one presence-poll tick costs over 10,000 rows.
//
//   bench_discovery [N ...]        (default: 1000 5000)
//
// Then the memory a listed camera costs above an empty start, at 20,000 and 65,536
// cameras, each size in a fresh process (goal: at most 1 KiB a camera), once from 200
// shared source addresses and once with one address a camera, as on a site.
//
// The simulated cameras live in a thread of this program: on the discovery request they
// send N replies, each with its own MAC, as fast as the socket takes them; the timed
// bursts come from 200 loopback addresses.
#include "base/heap_tuning.h"
#include "base/model_filter_table.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/datagram.h"
#include "protocol/discovery.h"
#include "protocol/udp_endpoint.h"
#include "../common/bench_fleet.h"
#include "../common/bench_memory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {


using BenchFleet::address;
using BenchFleet::Fleet;
using BenchFleet::freeUdpPort;
using BenchFleet::bareReceiver;
using BenchFleet::replyFor;


long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}


// memory: the sample before the scan and after the last row, when given.
double toolReceiver(int cameras, quint16 cameraPort, int *listed, BenchMemory::Figure *memory = nullptr)
{
    CameraList list;
    ModelFilterTable models;
    CameraRegistry registry(list, models);
    UdpEndpoint endpoint;
    endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
    endpoint.setCameraPort(cameraPort);
    endpoint.setLocalPort(freeUdpPort());
    Discovery discovery(endpoint, registry);
    discovery.attach();
    QString error;
    endpoint.ensureOpen(&error);
    if (memory)
        memory->start = BenchMemory::sample();
    QElapsedTimer timer;
    double last = 0;
    QObject::connect(&discovery, &Discovery::rowAnswered, &discovery, [&](int, bool created) {
        if (created)
            last = timer.nsecsElapsed() / 1e6;
    });
    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(1000);
    QObject::connect(&idle, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&list, &CameraList::rowsInserted, &loop, [&] {
        if (list.count() >= cameras)
            loop.quit();
        else
            idle.start();
    });
    timer.start();
    discovery.scan();
    idle.start();
    loop.exec();
    *listed = list.count();
    if (memory) {
        QCoreApplication::processEvents();
        memory->end = BenchMemory::sample();
    }
    return last;
}

// The child: one burst of `cameras` into a fresh list, its memory printed.
int memoryChild(int cameras, Fleet::Sources sources)
{
    const quint16 port = freeUdpPort();
    Fleet fleet(cameras, port, Fleet::Answer::EveryRequest, sources);
    BenchMemory::Figure f;
    f.cameras = cameras;
    toolReceiver(cameras, port, &f.listed, &f);
    BenchMemory::print(f);
    return 0;
}

void presenceTick()
{
    CameraList list;
    ModelFilterTable models;
    CameraRegistry registry(list, models);
    UdpEndpoint endpoint;
    endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
    endpoint.setCameraPort(9);
    endpoint.setLocalPort(freeUdpPort());
    Discovery discovery(endpoint, registry);
    for (int i = 0; i < 10000; ++i)
        registry.addSavedRow(QStringLiteral("127.8.%1.%2").arg(i / 250).arg(1 + i % 250));
    // Waiting rows between attempts, a quarter restarting, a quarter present: the poll
    // walks them all and sends nothing on the measured ticks.
    for (int r = 0; r < 10000; ++r) {
        list.setCounter(r, CameraList::ColWait, 100000);
        if (r % 4 == 1) {
            discovery.startCountdown(r, CameraList::Restarting);
            list.setCounter(r, CameraList::ColCountdown, 1000019);
        } else if (r % 4 == 2) {
            list.setIcon(r, CameraList::Present);
        }
    }
    const int ticks = 19;
    QElapsedTimer timer;
    timer.start();
    for (int t = 0; t < ticks; ++t)
        discovery.pollTick();
    const double perTick = timer.nsecsElapsed() / 1e6 / ticks;
    std::printf("presence poll: %.3f ms per tick over 10000 rows (target < 2 ms)\n", perTick);
}

} // namespace

int main(int argc, char **argv)
{
    TuneHeapForLongLists(); // as the programs do
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--memory-child")
        return memoryChild(atoi(argv[2]), Fleet::sourcesFromWord(argv[3]));
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(atoi(argv[i]));
    if (sizes.empty())
        sizes = {1000, 5000};
    for (int cameras : sizes) {
        const quint16 port = freeUdpPort();
        Fleet fleet(cameras, port);
        std::vector<double> bare, tool;
        int bareGot = 0, listed = 0;
        for (int run = 0; run < 5; ++run) {
            bare.push_back(bareReceiver(cameras, port, &bareGot));
            tool.push_back(toolReceiver(cameras, port, &listed));
            std::printf("  run %d: bare %.2f ms (%d), tool %.2f ms (%d rows)\n", run, bare.back(),
                        bareGot, tool.back(), listed);
        }
        std::sort(bare.begin(), bare.end());
        std::sort(tool.begin(), tool.end());
        const double b = bare[bare.size() / 2], t = tool[tool.size() / 2];
        std::printf("discovery %d cameras: tool %.2f ms to the last row, %d listed, %d lost; "
                    "bare receiver %.2f ms; ratio %.2f (target <= 1.5); peak memory %ld KiB\n",
                    cameras, t, listed, cameras - listed, b, b > 0 ? t / b : 0.0, peakKiB());
    }
    presenceTick();
    for (int cameras : {20000, 65536}) {
        for (Fleet::Sources sources : {Fleet::Sources::Shared, Fleet::Sources::OnePerCamera}) {
            const auto f = BenchMemory::runChild({QStringLiteral("--memory-child"), QString::number(cameras),
                                                  QString::fromLatin1(Fleet::sourcesWord(sources))});
            if (!f) {
                std::printf("memory %d cameras, %s: the child printed no figure\n", cameras,
                            Fleet::sourcesText(sources));
                continue;
            }
            std::printf("memory %d cameras, %s (%d listed): %s a camera above an empty start "
                        "(%.1f -> %.1f MiB resident; goal <= 1024 B): %s\n",
                        cameras, Fleet::sourcesText(sources), f->listed,
                        qPrintable(BenchMemory::perCameraText(*f)), f->start.rssBytes / 1048576.0,
                        f->end.rssBytes / 1048576.0,
                        f->listed == cameras && f->heapPerCamera() <= 1024 && f->rssPerCamera() <= 1024
                            ? "met" : "not met");
        }
    }
    return 0;
}

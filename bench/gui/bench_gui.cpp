// The main window under load: discovery bursts into the real window (with the tree view
// painting the list), sorting and clearing a long list, saved rows, start-up with a long
// saved list and the datagrams the presence poll sends. Each figure is measured against
// a baseline in the same run and printed in one table at the end.
//
//   ZORA_LOOPBACK_ONLY=1 QT_QPA_PLATFORM=offscreen bench_gui [--quick] [--runs N]
//
// The simulated cameras live in a thread of this program: on a broadcast discovery
// request (while armed) they send N replies, each from one of 200 loopback addresses and
// with its own MAC, as fast as the socket takes them. Requests sent to an address (the
// presence poll of saved rows) reach the same socket and are never answered.
#include "base/app_options.h"
#include "base/heap_tuning.h"
#include "base/messenger.h"
#include "base/shared_routines.h"
#include "base/string_table.h"
#include "desktop/site_action_inputs.h"
#include "desktop/site_jobs.h"
#include "desktop/ui/main_window.h"
#include "protoconfig/credentials.h"
#include "site/job_board.h"
#include "camsim_process.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/datagram.h"
#include "protocol/discovery.h"
#include "protocol/udp_endpoint.h"
#include "../common/bench_fleet.h"
#include "../common/bench_memory.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {


// ---------------------------------------------------------------------------------------
// The simulated fleet and the bare-socket baseline.

using BenchFleet::address;
using BenchFleet::Fleet;
using BenchFleet::freeUdpPort;
using BenchFleet::bareReceiver;
using BenchFleet::replyFor;

QString savedAddress(int i)
{
    return QStringLiteral("127.8.%1.%2").arg(i / 250).arg(1 + i % 250);
}


// ---------------------------------------------------------------------------------------
// Event-loop helpers.

// Runs the event loop until done() or the deadline; false when the deadline came first.
bool waitFor(const std::function<bool()> &done, int deadlineMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    deadline.start(deadlineMs);
    loop.exec();
    return done();
}

void spin(int ms)
{
    waitFor([] { return false; }, ms);
}

// A 5 ms timer that keeps the longest interval between its timeouts.
class GapMeter
{
public:
    GapMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // The longest gap, counting the time since the last timeout as one too.
    double stop()
    {
        m_timer.stop();
        m_longest = std::max(m_longest, m_clock.nsecsElapsed() - m_last);
        return m_longest / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// ---------------------------------------------------------------------------------------
// The window in an application directory of its own.

struct Rig {
    std::unique_ptr<QTemporaryDir> dir;
    ScriptedMessenger messenger;
    std::unique_ptr<TAdminToolDlg> window;

    // savedRows: written to temp/CameraList.cfg before the window starts.
    explicit Rig(int savedRows = 0)
        : dir(std::make_unique<QTemporaryDir>())
    {
        SetApplicationPath(dir->path());
        if (savedRows > 0)
            writeSavedList(savedRows);
        messenger.setDefaultAnswer(Messenger::AnswerYes);
    }
    ~Rig()
    {
        window.reset();
        SetApplicationPath({});
    }

    void writeSavedList(int rows)
    {
        QDir().mkpath(dir->path() + QStringLiteral("/temp"));
        QFile f(dir->path() + QStringLiteral("/temp/CameraList.cfg"));
        if (!f.open(QIODevice::WriteOnly))
            return;
        QByteArray text;
        for (int i = 0; i < rows; ++i)
            text += savedAddress(i).toLatin1() + "\r\n";
        f.write(text);
    }

    static AppOptions options(quint16 cameraPort)
    {
        AppOptions o;
        o.broadcast = QHostAddress(QStringLiteral("127.255.255.255"));
        o.cameraPort = cameraPort;
        o.localPort = freeUdpPort();
        return o;
    }

    void create(quint16 cameraPort)
    {
        AppOptions o = options(cameraPort);
        o.appDir = dir->path();
        window = std::make_unique<TAdminToolDlg>(o, &messenger);
    }

    bool start(quint16 cameraPort)
    {
        create(cameraPort);
        window->setUp();
        window->show();
        return waitFor([this] { return window->windowHandle() && window->windowHandle()->isExposed(); },
                       10000);
    }
    AdminToolCore &core() { return window->core(); }
};

// First paint of a widget.
class PaintWatch final : public QObject
{
public:
    bool painted = false;
    qint64 at = 0;
    QElapsedTimer *clock = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            at = clock->nsecsElapsed();
        }
        return QObject::eventFilter(watched, event);
    }
};

// ---------------------------------------------------------------------------------------
// The measurements.

struct BurstResult {
    double ms = 0;       // scan to the last new row
    int listed = 0;      // rows created by the burst
    double gapMs = 0;    // longest event-loop gap
    bool timedOut = false;
};

// One burst into a fresh window; savedRows rows that never answer are added first.
BurstResult toolBurst(Fleet &fleet, quint16 cameraPort, int cameras, int savedRows,
                      std::function<void(Rig &)> after = {})
{
    BurstResult res;
    Rig rig;
    if (!rig.start(cameraPort)) {
        std::printf("  window not exposed: timed out\n");
        res.timedOut = true;
        return res;
    }
    CameraList &list = rig.core().list();
    for (int i = 0; i < savedRows; ++i)
        rig.core().registry().addSavedRow(savedAddress(i));
    const int target = savedRows + cameras;
    spin(50);

    QElapsedTimer timer;
    qint64 last = 0;
    qint64 lastChange = 0;
    QObject::connect(&list, &CameraList::rowsInserted, rig.window.get(), [&] {
        last = timer.nsecsElapsed();
        lastChange = last;
    });
    GapMeter gap;
    gap.start();
    fleet.arm();
    timer.start();
    if (!rig.core().scan()) {
        fleet.disarm();
        std::printf("  scan refused: %s\n", qPrintable(rig.messenger.lastText()));
        gap.stop();
        res.timedOut = true;
        return res;
    }
    // Done when every row is there; given up when nothing new came for 2 s (replies lost)
    // or after 60 s in all.
    const bool complete = waitFor(
        [&] {
            return list.count() >= target
                   || (timer.nsecsElapsed() - lastChange > 2'000'000'000LL
                       && timer.nsecsElapsed() > 2'000'000'000LL);
        },
        60000);
    res.gapMs = gap.stop();
    fleet.disarm();
    res.ms = last / 1e6;
    res.listed = list.count() - savedRows;
    res.timedOut = !complete;
    if (!complete)
        std::printf("  burst of %d: timed out with %d rows\n", cameras, res.listed);
    if (after)
        after(rig);
    return res;
}

// The bare socket in a thread while the event loop runs the gap meter beside it.
BurstResult bareBurst(Fleet &fleet, quint16 cameraPort, int cameras)
{
    BurstResult res;
    std::atomic<bool> done{false};
    double ms = 0;
    int got = 0;
    GapMeter gap;
    gap.start();
    std::thread t([&] {
        ms = bareReceiver(cameras, cameraPort, &got, [&fleet] { fleet.arm(); }, [&fleet] { fleet.disarm(); });
        done = true;
    });
    const bool finished = waitFor([&] { return done.load(); }, 60000);
    res.gapMs = gap.stop();
    if (!finished) {
        std::printf("  bare receiver: timed out\n");
        res.timedOut = true;
    }
    t.join();
    res.ms = ms;
    res.listed = got;
    return res;
}

// A bare model with one reset for the clearing baseline.
class BareModel final : public QAbstractTableModel
{
public:
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : 4;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        return m_rows[size_t(index.row())][size_t(index.column())];
    }
    void fill(int rows)
    {
        beginResetModel();
        m_rows.clear();
        for (int i = 0; i < rows; ++i)
            m_rows.push_back({QStringLiteral("L80"), QStringLiteral("00:0A:00:00:%1").arg(i),
                              savedAddress(i), QStringLiteral("camera-%1").arg(i)});
        endResetModel();
    }
    void clear()
    {
        beginResetModel();
        m_rows.clear();
        endResetModel();
    }

private:
    std::vector<std::array<QString, 4>> m_rows;
};

double bareClear(int rows)
{
    BareModel model;
    QTreeView view;
    view.setModel(&model);
    view.resize(600, 400);
    model.fill(rows);
    view.show();
    waitFor([&] { return view.windowHandle() && view.windowHandle()->isExposed(); }, 10000);
    spin(50);
    QElapsedTimer t;
    t.start();
    model.clear();
    QCoreApplication::processEvents();
    return t.nsecsElapsed() / 1e6;
}

struct StartResult {
    double ms = 0;
    double constructMs = 0;   // the window's constructor
    double setUpMs = 0;       // setUp (the saved list is read here)
    int rows = 0;
    bool timedOut = false;
};

// Construct, set up and show the window; until the camera list's first paint.
StartResult startUp(int savedRows, quint16 cameraPort)
{
    StartResult res;
    Rig rig(savedRows);
    PaintWatch watch;
    QElapsedTimer clock;
    watch.clock = &clock;
    clock.start();
    TMultiLang::Load(3000, 306);
    rig.create(cameraPort);
    res.constructMs = clock.nsecsElapsed() / 1e6;
    rig.window->cameraList()->viewport()->installEventFilter(&watch);
    rig.window->setUp();
    res.setUpMs = clock.nsecsElapsed() / 1e6 - res.constructMs;
    rig.window->show();
    res.timedOut = !waitFor([&] { return watch.painted; }, 30000);
    res.ms = watch.at / 1e6;
    res.rows = rig.core().list().count();
    if (res.timedOut)
        std::printf("  start-up with %d saved rows: timed out before the first paint\n", savedRows);
    rig.window->cameraList()->viewport()->removeEventFilter(&watch);
    rig.window.reset();
    TMultiLang::Free();
    return res;
}

struct SendResult {
    int total = 0;
    int maxPerTick = 0;
    std::vector<int> perTick;
};

// The datagrams of the first seconds, by clock tick (the window's own 500 ms timer).
SendResult datagramsSent(int savedRows, int seconds, quint16 cameraPort)
{
    SendResult res;
    Rig rig(savedRows);
    rig.create(cameraPort);
    int sent = 0;
    QObject::connect(&rig.core().endpoint(), &UdpEndpoint::datagramSent, rig.window.get(),
                     [&](const QHostAddress &, quint16, const QByteArray &) { ++sent; });
    int mark = 0;
    auto closeTick = [&] {
        res.perTick.push_back(sent - mark);
        mark = sent;
    };
    // The first tick is the one set-up runs itself.
    rig.window->setUp();
    closeTick();
    if (auto *clock = rig.window->findChild<QTimer *>(QStringLiteral("ClockTimer")))
        QObject::connect(clock, &QTimer::timeout, rig.window.get(), closeTick);
    else
        std::printf("  no clock timer found: counting by wall time\n");
    rig.window->show();
    spin(seconds * 1000);
    if (sent > mark)
        closeTick();
    res.total = sent;
    for (int n : res.perTick)
        res.maxPerTick = std::max(res.maxPerTick, n);
    return res;
}

// The child of the memory figures: a fresh window shown, then one burst of `cameras`,
// each sampled once the event loop has settled and the clock has made the remarks.
int memoryChild(int cameras, Fleet::Sources sources)
{
    const quint16 port = freeUdpPort();
    Fleet fleet(cameras, port, Fleet::Answer::ArmedBroadcast, sources);
    BenchMemory::Figure f;
    f.cameras = cameras;
    Rig rig;
    if (!rig.start(port)) {
        std::printf("  window not exposed: timed out\n");
        return 1;
    }
    spin(300);
    f.start = BenchMemory::sample();
    CameraList &list = rig.core().list();
    QElapsedTimer quiet;
    quiet.start();
    QObject::connect(&list, &CameraList::rowsInserted, rig.window.get(), [&] { quiet.restart(); });
    fleet.arm();
    if (!rig.core().scan()) {
        std::printf("  scan refused: %s\n", qPrintable(rig.messenger.lastText()));
        return 1;
    }
    waitFor([&] { return list.count() >= cameras || quiet.elapsed() > 2000; }, 120000);
    fleet.disarm();
    // The remarks (tooltips) are made at a quiet tick of the clock after the burst.
    spin(1500);
    f.listed = list.count();
    f.end = BenchMemory::sample();
    BenchMemory::print(f);
    return 0;
}

// ---------------------------------------------------------------------------------------
// The table.

// ---------------------------------------------------------------------------------------
// Jobs on a selection: the window against zoractl on the same simulated site.

struct JobFigures {
    double windowBackupMs = 0, zoractlBackupMs = 0, windowSetMs = 0, zoractlSetMs = 0;
    double backupGapMs = 0, setGapMs = 0;
    int backedUp = 0, set = 0;
    QString trouble;
};

struct FixedInputs final : SiteActionInputs {
    QString folder;
    std::optional<Field> field;
    QString backupFolder(int) override { return folder; }
    std::optional<Restore> restoreFrom(int) override { return std::nullopt; }
    std::optional<FirmwareRollout::Job> firmwareJob(int) override { return std::nullopt; }
    std::optional<Field> fieldToSet(int) override { return field; }
    QString planFile() override { return {}; }
    bool confirmPlan(const PlanCheck &) override { return false; }
};

struct FixedLogin final : CredentialPrompt {
    std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *) override
    {
        return LoginEntry{QStringLiteral("root"), QStringLiteral("pass"), {}, true};
    }
};

// zoractl's run of the same job, its own scan for the listed MACs included; its time.
double zoractlRun(const CamSimProcess &sim, quint16 ftpPort, const QString &dir, const QStringList &args,
                  QString *trouble)
{
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(ZORA_BINARY_DIR "/bin/zoractl"),
            args + QStringList{"--user", "root", "--password-file", dir + "/password", "--parallel", "8",
                               "--broadcast", "127.255.255.255", "--camera-port", QString::number(sim.cameraPort()),
                               "--ftp-port", QString::number(ftpPort), "--local-port",
                               QString::number(freeUdpPort()), "--app-dir", dir + "/zoractl-app"});
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        *trouble = QStringLiteral("zoractl %1 ended with %2: %3")
                       .arg(args.value(1))
                       .arg(p.exitCode())
                       .arg(QString::fromLocal8Bit(p.readAllStandardError()).right(600));
    return t.nsecsElapsed() / 1e6;
}

JobFigures windowJobs(int cameras)
{
    JobFigures out;
    QJsonArray fleet;
    QStringList macs;
    for (int i = 0; i < cameras; ++i) {
        const QString mac = QStringLiteral("00:0A:1B:5E:%1:%2").arg(i / 256, 2, 16, QLatin1Char('0'))
                                .arg(i % 256, 2, 16, QLatin1Char('0')).toUpper();
        macs << mac;
        // Each FTP reply 10 ms after its command, as from a small embedded server.
        fleet.append(QJsonObject{{"id", QStringLiteral("j%1").arg(i)}, {"mac", mac},
                                 {"ip", QStringLiteral("127.0.7.%1").arg(10 + i)}, {"model", 0},
                                 {"model_name", "L80"}, {"host_name", QStringLiteral("j%1").arg(i)},
                                 {"restart_delay", 0.2},
                                 {"ftp_faults", QJsonObject{{"late_reply", 0.01}}}});
    }
    CamSimProcess sim;
    const quint16 ftpPort = CamSimProcess::freeTcpPort();
    if (!sim.start(fleet, {QStringLiteral("--ftp-port"), QString::number(ftpPort)})) {
        out.trouble = sim.errorString();
        return out;
    }
    Rig rig;
    AppOptions o = Rig::options(sim.cameraPort());
    o.appDir = rig.dir->path();
    o.ftpPort = ftpPort;
    rig.window = std::make_unique<TAdminToolDlg>(o, &rig.messenger);
    FixedLogin login;
    FixedInputs inputs;
    rig.window->setCredentialPrompt(&login);
    rig.window->setSiteActionInputs(&inputs);
    rig.window->setUp();
    rig.window->show();
    rig.core().scan();
    if (!waitFor([&] { return rig.core().list().count() == cameras; }, 15000)) {
        out.trouble = QStringLiteral("the scan listed %1 of %2").arg(rig.core().list().count()).arg(cameras);
        return out;
    }
    const QString dir = rig.dir->path();
    QFile password(dir + "/password");
    password.open(QIODevice::WriteOnly);
    password.write("pass\n");
    password.close();
    QFile list(dir + "/cameras");
    list.open(QIODevice::WriteOnly);
    list.write(macs.join('\n').toLatin1() + '\n');
    list.close();

    SiteJobs &jobs = rig.core().jobs();
    JobBoard &board = jobs.board();
    auto timed = [&](const std::function<void()> &job, double *gapMs) {
        GapMeter gap;
        gap.start();
        QElapsedTimer t;
        t.start();
        job();
        const double ms = t.nsecsElapsed() / 1e6;
        *gapMs = gap.stop();
        return ms;
    };
    rig.window->cameraList()->selectAll();
    const QStringList selected = rig.core().macsOfRows(rig.window->selectedRows());
    inputs.folder = dir + "/window-backup";
    out.windowBackupMs = timed([&] { jobs.backUp(selected); }, &out.backupGapMs);
    out.backedUp = board.count(JobBoard::State::Done);
    out.zoractlBackupMs = zoractlRun(sim, ftpPort, dir,
                                     {"config", "backup", "--cameras", dir + "/cameras", "--out",
                                      dir + "/zoractl-backup"}, &out.trouble);
    inputs.field = SiteActionInputs::Field{QStringLiteral("stream.port"), QStringLiteral("8554")};
    out.windowSetMs = timed([&] { jobs.setField(selected); }, &out.setGapMs);
    out.set = board.count(JobBoard::State::Done);
    // The cameras restart their servers after the change: zoractl's scan finds them back.
    spin(1000);
    out.zoractlSetMs = zoractlRun(sim, ftpPort, dir, {"config", "set", "--cameras", dir + "/cameras", "stream.port=8555"},
                                  &out.trouble);
    rig.window->setSiteActionInputs(nullptr);
    rig.window->setCredentialPrompt(nullptr);
    return out;
}

struct Line {
    std::string figure;
    std::string value;
    std::string baseline;
    std::string ratio;
    std::string goal;
    std::string met;
};

std::string fmt(const char *f, double v)
{
    char b[64];
    std::snprintf(b, sizeof b, f, v);
    return b;
}

std::string ms(double v)
{
    return fmt("%.1f ms", v);
}

std::string ratioOf(double a, double b)
{
    return b > 0 ? fmt("%.2fx", a / b) : std::string("-");
}

void printTable(const std::vector<Line> &lines)
{
    std::printf("\n%-48s %-18s %-18s %-8s %-22s %s\n", "figure", "value", "baseline", "ratio",
                "goal", "met");
    std::printf("%s\n", std::string(124, '-').c_str());
    for (const Line &l : lines)
        std::printf("%-48s %-18s %-18s %-8s %-22s %s\n", l.figure.c_str(), l.value.c_str(),
                    l.baseline.c_str(), l.ratio.c_str(), l.goal.c_str(), l.met.c_str());
}

// 8. Jobs on a selection from the window beside the same through zoractl.
void jobsSection(std::vector<Line> &table, bool quick)
{
    const int jobCameras = quick ? 20 : 100;
    std::printf("jobs on %d cameras\n", jobCameras);
    {
        const JobFigures j = windowJobs(jobCameras);
        if (!j.trouble.isEmpty())
            std::printf("  %s\n", qPrintable(j.trouble));
        std::printf("  backup: window %.0f ms (%d done, gap %.1f ms), zoractl %.0f ms; field set: window %.0f ms "
                    "(%d done, gap %.1f ms), zoractl %.0f ms\n",
                    j.windowBackupMs, j.backedUp, j.backupGapMs, j.zoractlBackupMs, j.windowSetMs, j.set,
                    j.setGapMs, j.zoractlSetMs);
        const std::string n = std::to_string(jobCameras);
        const bool ok = j.trouble.isEmpty() && j.backedUp == jobCameras && j.set == jobCameras;
        table.push_back({"8 backup of " + n + " from the window", ms(j.windowBackupMs),
                         ms(j.zoractlBackupMs) + " zoractl", ratioOf(j.windowBackupMs, j.zoractlBackupMs),
                         "<= 1.1x", ok && j.windowBackupMs <= 1.1 * j.zoractlBackupMs ? "yes" : "no"});
        table.push_back({"8 field set on " + n + " from the window", ms(j.windowSetMs),
                         ms(j.zoractlSetMs) + " zoractl", ratioOf(j.windowSetMs, j.zoractlSetMs), "<= 1.1x",
                         ok && j.windowSetMs <= 1.1 * j.zoractlSetMs ? "yes" : "no"});
        const double gap = std::max(j.backupGapMs, j.setGapMs);
        table.push_back({"8 longest event-loop gap during the jobs", ms(gap), "-", "-", "< 50 ms",
                         gap < 50 ? "yes" : "no"});
    }
}

} // namespace

int main(int argc, char **argv)
{
    TuneHeapForLongLists(); // as the programs do
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIntValue("ZORA_LOOPBACK_ONLY") != 1)
        qputenv("ZORA_LOOPBACK_ONLY", "1");
    QApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--memory-child")
        return memoryChild(atoi(argv[2]), Fleet::sourcesFromWord(argv[3]));

    bool quick = false;
    bool jobsOnly = false;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--quick")
            quick = true;
        else if (a == "--jobs")
            jobsOnly = true;
        else if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: bench_gui [--quick] [--runs N] [--jobs]\n");
            return 2;
        }
    }
    if (quick)
        runs = 1;
    const int small = quick ? 1000 : 5000;
    const int large = quick ? 2000 : 20000;
    const int saved = quick ? 1000 : 10000;
    const int sendSeconds = quick ? 3 : 8;
    std::vector<Line> table;
    if (jobsOnly) {
        jobsSection(table, quick);
        printTable(table);
        return 0;
    }

    // 1. Bursts into the window against the bare socket.
    std::printf("bursts (%d run(s) each, medians)\n", runs);
    double largeTool = 0;
    double sortMs = 0;
    int sortRows = 0;
    double clearMs = 0;
    int clearRows = 0;
    for (int cameras : {small, large}) {
        const quint16 port = freeUdpPort();
        Fleet fleet(cameras, port, Fleet::Answer::ArmedBroadcast);
        std::vector<double> bare, tool, toolGap, bareGap;
        int lostMax = 0, bareLostMax = 0;
        bool timedOut = false;
        for (int run = 0; run < runs; ++run) {
            const BurstResult b = bareBurst(fleet, port, cameras);
            const bool last = run == runs - 1 && cameras == large;
            const BurstResult t = toolBurst(fleet, port, cameras, 0, [&](Rig &rig) {
                if (!last)
                    return;
                // 2 and 3 on the list this burst left.
                CameraList &list = rig.core().list();
                sortRows = list.count();
                spin(100);
                QElapsedTimer timer;
                timer.start();
                list.sortByColumn(1);
                QCoreApplication::processEvents();
                sortMs = timer.nsecsElapsed() / 1e6;
                spin(100);
                clearRows = list.count();
                timer.restart();
                rig.core().clearList();
                QCoreApplication::processEvents();
                clearMs = timer.nsecsElapsed() / 1e6;
            });
            bare.push_back(b.ms);
            tool.push_back(t.ms);
            bareGap.push_back(b.gapMs);
            toolGap.push_back(t.gapMs);
            lostMax = std::max(lostMax, cameras - t.listed);
            bareLostMax = std::max(bareLostMax, cameras - b.listed);
            timedOut = timedOut || t.timedOut || b.timedOut;
            std::printf("  %d run %d: bare %.1f ms (%d, gap %.1f ms), window %.1f ms (%d rows, "
                        "gap %.1f ms)\n",
                        cameras, run, b.ms, b.listed, b.gapMs, t.ms, t.listed, t.gapMs);
        }
        const double bt = median(bare), tt = median(tool);
        if (cameras == large)
            largeTool = tt;
        const std::string n = std::to_string(cameras);
        table.push_back({"1 burst " + n + ": to the last row", ms(tt), ms(bt), ratioOf(tt, bt),
                         "0 lost", lostMax == 0 && !timedOut ? "yes" : "no"});
        table.push_back({"1 burst " + n + ": lost replies (worst run)", std::to_string(lostMax),
                         std::to_string(bareLostMax), "-", "0",
                         lostMax == 0 && !timedOut ? "yes" : "no"});
        const double worstGap = *std::max_element(toolGap.begin(), toolGap.end());
        const double worstBareGap = *std::max_element(bareGap.begin(), bareGap.end());
        table.push_back({"1 burst " + n + ": longest loop gap (worst)", ms(worstGap),
                         ms(worstBareGap), ratioOf(worstGap, worstBareGap),
                         cameras == large ? "< 50 ms" : "-",
                         cameras == large ? (worstGap < 50 ? "yes" : "no") : "-"});
        std::fflush(stdout);
    }

    // 2 and 3.
    table.push_back({"2 sort " + std::to_string(sortRows) + " rows (column 1)", ms(sortMs), "-",
                     "-", "-", "-"});
    std::printf("clearing baseline\n");
    std::vector<double> bareClears;
    for (int run = 0; run < runs; ++run)
        bareClears.push_back(bareClear(clearRows > 0 ? clearRows : large));
    const double bc = median(bareClears);
    table.push_back({"3 clear " + std::to_string(clearRows) + " rows", ms(clearMs),
                     ms(bc) + " reset", ratioOf(clearMs, bc), "< 50 ms",
                     clearRows > 0 && clearMs < 50 ? "yes" : "no"});
    std::fflush(stdout);

    // 4. The large burst with saved rows that never answer.
    std::printf("burst of %d with %d saved rows\n", large, saved);
    {
        const quint16 port = freeUdpPort();
        Fleet fleet(large, port, Fleet::Answer::ArmedBroadcast);
        std::vector<double> with, without;
        int lost = 0;
        bool timedOut = false;
        for (int run = 0; run < runs; ++run) {
            const BurstResult a = toolBurst(fleet, port, large, 0);
            const BurstResult b = toolBurst(fleet, port, large, saved);
            without.push_back(a.ms);
            with.push_back(b.ms);
            lost = std::max(lost, large - b.listed);
            timedOut = timedOut || a.timedOut || b.timedOut;
            std::printf("  run %d: none %.1f ms (%d rows), saved %.1f ms (%d new rows, gap %.1f ms)\n",
                        run, a.ms, a.listed, b.ms, b.listed, b.gapMs);
        }
        const double w = median(with), wo = median(without);
        table.push_back({"4 burst " + std::to_string(large) + " + " + std::to_string(saved)
                             + " saved rows",
                         ms(w), ms(wo) + " none", ratioOf(w, wo), "<= 1.5x",
                         !timedOut && wo > 0 && w / wo <= 1.5 ? "yes" : "no"});
        if (lost > 0)
            table.push_back({"4   lost replies with saved rows", std::to_string(lost), "-", "-",
                             "0", "no"});
        (void)largeTool;
    }
    std::fflush(stdout);

    // 5. Start-up.
    std::printf("start-up\n");
    {
        const quint16 port = freeUdpPort(); // nobody listens there
        std::vector<double> with, without;
        bool timedOut = false;
        int rows = 0;
        for (int run = 0; run < runs; ++run) {
            const StartResult e = startUp(0, port);
            const StartResult s = startUp(saved, port);
            without.push_back(e.ms);
            with.push_back(s.ms);
            rows = s.rows;
            timedOut = timedOut || e.timedOut || s.timedOut;
            std::printf("  run %d: empty %.1f ms (constructor %.1f, setUp %.1f), %d saved rows "
                        "%.1f ms (constructor %.1f, setUp %.1f)\n",
                        run, e.ms, e.constructMs, e.setUpMs, s.rows, s.ms, s.constructMs,
                        s.setUpMs);
        }
        const double w = median(with), wo = median(without);
        table.push_back({"5 start-up, " + std::to_string(rows) + " saved rows", ms(w),
                         ms(wo) + " empty", ratioOf(w, wo), "<= 1.5x",
                         !timedOut && rows == saved && wo > 0 && w / wo <= 1.5 ? "yes" : "no"});
    }
    std::fflush(stdout);

    // 6. What the presence poll sends.
    std::printf("datagrams of the first %d s\n", sendSeconds);
    {
        const quint16 port = freeUdpPort(); // nobody listens there: the rows never answer
        const SendResult e = datagramsSent(0, sendSeconds, port);
        const SendResult s = datagramsSent(saved, sendSeconds, port);
        auto dump = [](const char *what, const SendResult &r) {
            std::printf("  %s: %d datagrams over %zu ticks:", what, r.total, r.perTick.size());
            for (int n : r.perTick)
                std::printf(" %d", n);
            std::printf("\n");
        };
        dump("empty", e);
        dump("saved", s);
        const double avg = s.perTick.empty() ? 0 : double(s.total) / double(s.perTick.size());
        table.push_back({"6 datagrams/tick, " + std::to_string(saved) + " saved (max)",
                         std::to_string(s.maxPerTick) + fmt(" (avg %.1f)", avg),
                         std::to_string(e.maxPerTick) + " empty", "-", "a few (<= 10)",
                         s.maxPerTick <= 10 ? "yes" : "no"});
        table.push_back({"6 datagrams in " + std::to_string(sendSeconds) + " s", std::to_string(s.total),
                         std::to_string(e.total) + " empty", "-", "-", "-"});
    }

    // 7. Memory per listed camera, each size in a process of its own, from shared source
    // addresses and from one address a camera as on a site.
    std::printf("memory per camera\n");
    for (int cameras : quick ? std::vector<int>{large} : std::vector<int>{20000, 65536}) {
        for (Fleet::Sources sources : {Fleet::Sources::Shared, Fleet::Sources::OnePerCamera}) {
            const std::string n = std::to_string(cameras);
            const std::string label = "7 memory/camera, " + n
                + (sources == Fleet::Sources::Shared ? ", shared addr" : ", own addr");
            const auto f = BenchMemory::runChild({QStringLiteral("--memory-child"), QString::number(cameras),
                                                  QString::fromLatin1(Fleet::sourcesWord(sources))});
            if (!f) {
                table.push_back({label, "no figure", "-", "-", "<= 1024 B a camera", "no"});
                continue;
            }
            std::printf("  %d cameras, %s, %d listed: %.1f MiB resident at the empty start, %.1f MiB "
                        "after (heap %.1f -> %.1f MiB)\n",
                        cameras, Fleet::sourcesText(sources), f->listed, f->start.rssBytes / 1048576.0,
                        f->end.rssBytes / 1048576.0, f->start.heapBytes / 1048576.0,
                        f->end.heapBytes / 1048576.0);
            const bool all = f->listed == cameras;
            table.push_back({label + " (heap)", fmt("%.0f B", f->heapPerCamera()),
                             fmt("%.1f MiB start", f->start.heapBytes / 1048576.0), "-",
                             "<= 1024 B", all && f->heapPerCamera() <= 1024 ? "yes" : "no"});
            table.push_back({label + " (resident)", fmt("%.0f B", f->rssPerCamera()),
                             fmt("%.1f MiB start", f->start.rssBytes / 1048576.0), "-",
                             "<= 1024 B", all && f->rssPerCamera() <= 1024 ? "yes" : "no"});
            if (!all)
                table.push_back({"7   listed of " + n, std::to_string(f->listed), "-", "-", n, "no"});
        }
    }

    // 8. Jobs on a selection from the window beside the same through zoractl.
    jobsSection(table, quick);

    printTable(table);
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("\npeak memory %ld KiB%s\n", u.ru_maxrss, quick ? " (--quick sizes)" : "");
    return 0;
}

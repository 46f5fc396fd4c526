#include "site/batch_runner.h"

#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protocol/register_camera_session.h"
#include "protocol/save_config_session.h"
#include "site/camera_outcome.h"
#include "site/command_report.h"
#include "site/restart_follower.h"
#include "site/script_credentials.h"

#include <QSet>

// A camera in flight: its step, its credentials, and the confirmation or the restart
// watch it waits on.
struct BatchRunner::Flight {
    enum class Phase { Confirming, Following };

    int task = -1;
    int step = 0;
    int record = -1;
    Phase phase = Phase::Confirming;
    std::unique_ptr<ScriptCredentials> credentials;
    std::unique_ptr<SaveConfigSession> session;
    std::unique_ptr<QTimer> sendTimer;
    QElapsedTimer since;           // since the step's first send
    QElapsedTimer asked;           // following: since the camera was last asked for
    QString from;                  // the address the step's command went to
    bool stallExpired = false;     // the wait after a stall ran out
    bool oddAnswer = false;        // the camera answered with a type no command result has
    bool over = false;             // its result is in; it only waits to be let go
    BatchResult result;
};

BatchRunner::BatchRunner(CameraNetwork &network, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_results(network)
{
    connect(&m_clock, &QTimer::timeout, this, &BatchRunner::clockTick);
    // A reply between two ticks ends a restart watch at once.
    connect(&m_network.discovery(), &Discovery::rowAnswered, this,
            [this] { QMetaObject::invokeMethod(this, &BatchRunner::checkFollowers, Qt::QueuedConnection); });
}

BatchRunner::~BatchRunner() = default;

QList<BatchResult> BatchRunner::run(const QList<BatchTask> &tasks)
{
    m_tasks = tasks;
    m_out = QList<BatchResult>(tasks.size());
    for (int i = 0; i < tasks.size(); ++i) {
        m_out[i].mac = tasks[i].mac;
        m_out[i].verdict = QStringLiteral("not started");
        m_out[i].text = QStringLiteral("stopped before this camera's turn");
        m_out[i].status = CameraOutcome::Stopped;
    }
    m_next = m_done = m_failed = 0;
    m_stopping = false;
    m_clock.setInterval(m_clockMs);
    m_clock.start();
    startMore();
    if (!m_flights.empty()) {
        const UdpEndpoint::Hold listening(m_network.endpoint());
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }
    m_clock.stop();
    for (BatchResult &r : m_out) {
        if (!r.started && r.verdict == QLatin1String("not started"))
            r.status = m_stopStatus;
    }
    updateStatus();
    return m_out;
}

void BatchRunner::stop(int status)
{
    if (!m_stopping)
        m_stopStatus = status;
    m_stopping = true;
    updateStatus();
    if (m_flights.empty() && m_loop)
        m_loop->quit();
}

void BatchRunner::abandon(int status)
{
    stop(status);
    QList<int> tasks;
    for (const auto &[task, f] : m_flights) {
        if (!f->over)
            tasks << task;
    }
    for (const int task : tasks) {
        Flight &f = *m_flights.at(task);
        const bool following = f.phase == Flight::Phase::Following;
        f.session.reset();
        f.sendTimer.reset();
        f.result.verdict = QStringLiteral("stopped");
        f.result.text = following ? QStringLiteral("stopped while the camera restarts; it was not seen back")
                                  : QStringLiteral("stopped before the camera answered; it may have taken the change");
        f.result.status = status;
        endStep(f, QStringLiteral("failed"), f.result.text);
    }
}

void BatchRunner::startMore()
{
    while (!m_stopping && m_next < m_tasks.size() && int(m_flights.size()) < m_parallel) {
        const int task = m_next++;
        const BatchTask &t = m_tasks[task];
        const int record = m_network.recordOfMac(t.mac);
        if (record < 0) {
            BatchResult r;
            r.mac = t.mac;
            r.verdict = QStringLiteral("not found");
            r.text = QStringLiteral("no camera with this MAC answered");
            r.status = CameraOutcome::Error;
            finishTask(task, r);
            continue;
        }
        auto flight = std::make_unique<Flight>();
        flight->task = task;
        flight->record = record;
        flight->credentials = std::make_unique<ScriptCredentials>(t.login);
        flight->result.mac = t.mac;
        flight->result.started = true;
        Flight &f = *flight;
        m_flights.emplace(task, std::move(flight));
        emit taskStarted(task, t.mac);
        startStep(f);
    }
    updateStatus();
    if (m_flights.empty() && m_loop)
        m_loop->quit();
}

void BatchRunner::startStep(Flight &f)
{
    const BatchTask &task = m_tasks[f.task];
    if (f.step >= task.steps.size()) {
        BatchResult r = f.result;
        if (r.verdict.isEmpty()) {
            r.verdict = QStringLiteral("success");
            r.text = QStringLiteral("nothing to change");
        }
        finishTask(f.task, r);
        return;
    }
    const BatchStep &step = task.steps[f.step];
    TConfigItem &camera = m_network.registry().record(f.record);
    f.result.address = camera.Address;
    f.from = camera.Address;
    RequireCredentials(camera, *f.credentials);
    const int row = m_network.list().rowOfRecord(f.record);
    if (row < 0) {
        f.result.verdict = QStringLiteral("not found");
        f.result.text = QStringLiteral("the camera is no longer listed");
        f.result.status = CameraOutcome::Error;
        endStep(f, QStringLiteral("failed"), f.result.text);
        return;
    }
    if (camera.addressInDoubt()) {
        f.result.verdict = QStringLiteral("address in doubt");
        f.result.text = camera.conflictText() + QStringLiteral("; nothing was sent (name the camera's address with --remote IP)");
        f.result.status = CameraOutcome::Error;
        endStep(f, QStringLiteral("failed"), f.result.text);
        return;
    }
    const QString rowKind = m_network.list().column(row, CameraList::ColKind);
    const CameraChange::Built built = step.change.build(camera, rowKind, CommandSources{});
    if (built.refused) {
        f.result.verdict = QStringLiteral("refused value");
        f.result.text = built.refused->text;
        f.result.status = CameraOutcome::RefusedValue;
        if (m_dryRun) {
            // A dry run shows every step: the ones after a refusal too.
            emit stepEnded(f.task, step.name, QStringLiteral("refused"), camera.Address, built.refused->text);
            ++f.step;
            startStep(f);
            return;
        }
        endStep(f, QStringLiteral("failed"), built.refused->text);
        return;
    }
    emit commandBuilt(f.task, step.name, built.command.bytes, built.unicast, camera.Address);
    if (m_dryRun) {
        if (f.result.status == CameraOutcome::Ok) {
            f.result.verdict = QStringLiteral("dry run");
            f.result.text = QStringLiteral("nothing sent");
        }
        endStep(f, QStringLiteral("would send"), {});
        return;
    }
    const ConfirmRequest request =
        ConfirmRequest::to(camera, f.record, built.unicast, built.command.bytes, built.capacity);
    f.phase = Flight::Phase::Confirming;
    f.stallExpired = false;
    f.oddAnswer = false;
    f.session = std::make_unique<SaveConfigSession>(m_network.endpoint(), &m_results);
    f.sendTimer = std::make_unique<QTimer>();
    f.session->attachTimer(f.sendTimer.get());
    if (m_confirmMs > 0)
        f.sendTimer->setInterval(m_confirmMs);
    if (!f.session->prepare(request)) {
        confirmed(f.task, int(CommandOutcome::NotSent));
        return;
    }
    const int id = f.task;
    connect(f.session.get(), &SaveConfigSession::changed, this, [this, id] { sessionChanged(id); });
    // The session may finish inside the endpoint's dispatch; it is let go afterwards.
    connect(f.session.get(), &SaveConfigSession::finished, this,
            [this, id](CommandOutcome outcome) {
                QMetaObject::invokeMethod(this, [this, id, outcome] { confirmed(id, int(outcome)); },
                                          Qt::QueuedConnection);
            });
    f.since.start();
    f.result.sent = true;
    f.session->show();
}

void BatchRunner::sessionChanged(int task)
{
    const auto it = m_flights.find(task);
    if (it == m_flights.end() || !it->second->session)
        return;
    SaveConfigSession &session = *it->second->session;
    // A discovery reply of the camera is no answer to the command; any other type stalls
    // the session as well, but the camera did answer.
    if (session.state() == SaveConfigSession::State::Stalled && session.replyType() != Zora::ReplyDiscovery)
        it->second->oddAnswer = true;
    // A failure answer is acknowledged at once, as "OK" would be in the window.
    if (session.state() == SaveConfigSession::State::Failed)
        session.pressButton();
    updateStatus();
}

void BatchRunner::confirmed(int task, int outcomeValue)
{
    const auto it = m_flights.find(task);
    if (it == m_flights.end() || it->second->over)
        return;
    Flight &f = *it->second;
    auto outcome = CommandOutcome(outcomeValue);
    // Given up after a stall: the camera never answered the command, unless it answered
    // with a type no command result has (left cancelled: an unknown error).
    if (outcome == CommandOutcome::Cancelled && f.stallExpired && !f.oddAnswer)
        outcome = CommandOutcome::NoAnswer;
    const CommandReport report =
        f.session ? CommandReport::of(outcome, *f.session)
                  : CommandReport{CommandReport::Verdict::NotSent, QStringLiteral("nothing was sent")};
    f.session.reset();
    f.sendTimer.reset();
    f.result.verdict = CommandReport::verdictName(report.verdict);
    f.result.text = report.text;
    f.result.status = CameraOutcome::ofVerdict(report.verdict);
    if (report.verdict != CommandReport::Verdict::Success) {
        endStep(f, QStringLiteral("failed"), report.text);
        return;
    }
    const BatchStep &step = m_tasks[f.task].steps[f.step];
    emit stepEnded(f.task, step.name, QStringLiteral("sent"), f.result.address, report.text);
    if (!step.follow) {
        endStep(f, QStringLiteral("done"), report.text);
        return;
    }
    f.phase = Flight::Phase::Following;
    f.asked.start();
    updateStatus();
    checkFollowers();
}

void BatchRunner::clockTick()
{
    bool following = false;
    for (auto &[task, f] : m_flights) {
        if (f->phase == Flight::Phase::Following) {
            following = true;
            // Within half a tick counts: at a 500 ms clock the camera is asked every second.
            if (f->asked.elapsed() + m_clockMs / 2 >= RestartFollower::kAskMs) {
                f->asked.start();
                RestartFollower(m_network, f->record).ask(m_tasks[f->task].steps[f->step].expectAddress);
            }
        }
        // A discovery reply of the camera stops the resending but not the wait; the wait
        // ends when the sends would have run out.
        if (f->session && f->session->state() == SaveConfigSession::State::Stalled) {
            const int interval = m_confirmMs > 0 ? m_confirmMs : SaveConfigSession::kIntervalMs;
            if (f->since.elapsed() >= qint64(interval) * SaveConfigSession::kMaxSends) {
                f->stallExpired = true;
                f->session->pressButton();
            }
        }
    }
    if (following)
        m_network.discovery().pollTick();
    checkFollowers();
    updateStatus();
}

void BatchRunner::checkFollowers()
{
    QList<int> ended;
    for (auto &[task, f] : m_flights) {
        if (!f->over && f->phase == Flight::Phase::Following
            && RestartFollower(m_network, f->record).state() != RestartFollower::State::Waiting)
            ended << task;
    }
    for (int task : ended) {
        const auto it = m_flights.find(task);
        if (it == m_flights.end())
            continue;
        Flight &f = *it->second;
        RestartFollower follower(m_network, f.record);
        const BatchStep &step = m_tasks[f.task].steps[f.step];
        f.phase = Flight::Phase::Confirming;
        if (follower.state() != RestartFollower::State::Back) {
            f.result.verdict = QStringLiteral("not back");
            f.result.text = QStringLiteral("the camera did not answer within 60 s of its restart");
            f.result.status = CameraOutcome::NotBack;
            endStep(f, QStringLiteral("failed"), f.result.text);
            continue;
        }
        f.result.address = follower.address();
        if (!step.expectAddress.isEmpty() && f.result.address != step.expectAddress) {
            f.result.verdict = QStringLiteral("not back");
            f.result.text = QStringLiteral("back at %1, not at %2").arg(f.result.address, step.expectAddress);
            f.result.status = CameraOutcome::NotBack;
            endStep(f, QStringLiteral("failed"), f.result.text);
            continue;
        }
        // Asked for at its new address, the camera answers from there within the scan that
        // heard it at the old one: the move it was told to make, not a second device. Any
        // other address keeps the doubt.
        TConfigItem &camera = m_network.registry().record(f.record);
        if (!step.expectAddress.isEmpty()
            && QSet<QString>(camera.ConflictAddresses.begin(), camera.ConflictAddresses.end())
                   .subtract({f.from, step.expectAddress})
                   .isEmpty())
            camera.ConflictAddresses.clear();
        f.result.text = QStringLiteral("back after the restart at %1").arg(f.result.address);
        endStep(f, QStringLiteral("done"), f.result.text);
    }
}

void BatchRunner::endStep(Flight &f, const QString &result, const QString &message)
{
    const BatchStep &step = m_tasks[f.task].steps[f.step];
    emit stepEnded(f.task, step.name, result, f.result.address, message);
    if (result == QLatin1String("failed")) {
        f.result.failedStep = step.name;
        finishTask(f.task, f.result);
        return;
    }
    if (result == QLatin1String("done"))
        f.result.stepsDone << step.name;
    ++f.step;
    startStep(f);
}

void BatchRunner::finishTask(int task, BatchResult result)
{
    if (const auto it = m_flights.find(task); it != m_flights.end())
        it->second->over = true;
    m_out[task] = result;
    ++m_done;
    if (result.status != CameraOutcome::Ok)
        ++m_failed;
    emit taskEnded(task, result);
    // The flight goes once the call stack that ended it has unwound.
    QMetaObject::invokeMethod(this, [this, task] {
        m_flights.erase(task);
        startMore();
    }, Qt::QueuedConnection);
}

QString BatchRunner::statusText() const
{
    if (m_tasks.size() == 1 && !m_flights.empty()) {
        const Flight &f = *m_flights.begin()->second;
        if (f.phase == Flight::Phase::Following)
            return QStringLiteral("%1: waiting for the camera to come back from its restart (%2 s)")
                .arg(f.result.mac).arg(f.since.elapsed() / 1000);
        if (f.session)
            return QStringLiteral("%1: waiting for the camera's answer (send %2 of %3)")
                .arg(f.result.mac).arg(f.session->sendCount()).arg(SaveConfigSession::kMaxSends);
        return {};
    }
    QString text = QStringLiteral("%1/%2 done, %3 in flight, %4 failed")
                       .arg(m_done).arg(m_tasks.size()).arg(m_flights.size()).arg(m_failed);
    if (m_stopping)
        text += QStringLiteral(" (stopping: no new cameras)");
    return text;
}

void BatchRunner::updateStatus()
{
    emit statusChanged(statusText());
}

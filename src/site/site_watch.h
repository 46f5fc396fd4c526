#pragma once

#include "base/network_adapters.h"
#include "site/site_event.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

class CameraNetwork;

// Watching a site: a broadcast discovery round every so many ticks, the cameras that
// missed one asked again at their address on the schedule of the restart watch (every
// 10 s for 60 s) and given up as gone when none of that brought an answer, and the address review of
// the cameras that are up. What changes becomes an event; the known site can be kept
// across restarts (state()/restore()), so that a watcher started again does not
// announce every camera anew.
//
// Driven by tick() every 500 ms with the time of the tick; a camera's answer is taken
// when the discovery handler lists it, between ticks.
class SiteWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteWatch)

public:
    static constexpr int kTickMs = 500;
    // A round listens this long after its first request before it counts who is missing.
    static constexpr int kReplyWindowTicks = 6;
    // Ticks a camera that missed a round is given (the restart watch's 120) and how often
    // it is asked meanwhile.
    static constexpr int kDoubtTicks = 120;
    static constexpr int kProbeEveryTicks = 20;
    static constexpr int kStateVersion = 1;
    // Up to this many cameras the address review follows every tick after an answer; a
    // larger site waits for a tick without answers, or this many ticks, so that a burst
    // of answers is not reviewed again at every tick of it.
    static constexpr int kEagerReviewCameras = 4096;
    static constexpr int kReviewWaitTicks = 10;

    struct Camera {
        QString mac;
        QString address;
        QString host;
        QString model;
        QString adapter;
        int adapterIndex = 0;
        bool remote = false;
        bool up = true;
        QDateTime lastSeen;
        int doubtTicks = 0;        // ticks left before it counts as gone; 0: not in doubt
        bool answeredRound = false;
    };
    // (MAC, kind) -> the other MACs or addresses.
    using Conflicts = QMap<QPair<QString, QString>, QStringList>;

    explicit SiteWatch(CameraNetwork &network, QObject *parent = nullptr);

    // Ticks from one round's start to the next (at least the reply window).
    void setIntervalTicks(int ticks);
    int intervalTicks() const { return m_intervalTicks; }
    // Broadcast requests a round sends, a tick apart (a camera that missed one answers
    // the next).
    void setRequestsPerRound(int requests) { m_requests = qMax(1, requests); }
    // Rounds on schedule; off, a round starts only by startRound().
    void setRoundsEnabled(bool on) { m_roundsEnabled = on; }
    bool roundsEnabled() const { return m_roundsEnabled; }
    // Whether tick() also runs the network core's presence poll (the window runs it
    // from its own clock).
    void setDrivesPoll(bool on) { m_drivesPoll = on; }

    void tick(const QDateTime &now);
    void startRound();
    bool roundOpen() const { return m_roundTick >= 0; }
    // Cameras that answered the round now open (or the last one).
    int answeredThisRound() const { return m_answered; }
    // Answers the round got, a camera heard twice counted twice.
    int repliesThisRound() const { return m_replies; }

    const QMap<QString, Camera> &cameras() const { return m_cameras; }
    const Conflicts &conflicts() const { return m_conflicts; }
    qint64 roundsDone() const { return m_rounds; }
    // From the last round's first request to the last answer it got.
    double lastRoundSeconds() const { return m_lastRoundSeconds; }
    const QDateTime &startTime() const { return m_start; }

    // The known site changed since clearStateChanged(): a camera came, went, moved, was
    // renamed, a conflict came or went.
    bool stateChanged() const { return m_stateChanged; }
    void clearStateChanged() { m_stateChanged = false; }
    QJsonObject state() const;
    // The cameras and conflicts of a state() taken before; false with the reason when it
    // is not one (nothing is taken then).
    bool restore(const QJsonObject &state, QString *error);

signals:
    void happened(const SiteEvent &event);
    // A round counted who is missing.
    void roundEnded(int answered, int known);

private:
    void onAnswered(int row);
    void closeRound();
    void review();
    void announce(SiteEvent::Kind kind, const Camera &camera, const QString &previous = {},
                  const QString &conflict = {}, const QStringList &with = {});
    QString adapterName(int index);

    CameraNetwork &m_network;
    NetworkAdapters m_adapters;
    QHash<int, QString> m_adapterNames;   // one string an adapter for every camera on it
    QMap<QString, Camera> m_cameras;
    Conflicts m_conflicts;
    // This round's addresses of each MAC, and the MACs the last round heard from two.
    QHash<QString, QStringList> m_roundAddresses;
    QHash<QString, QStringList> m_twoAddresses;
    QDateTime m_now;
    QDateTime m_start;
    QElapsedTimer m_roundClock;
    int m_intervalTicks = 60;
    int m_requests = 3;
    int m_ticksToRound = 0;
    int m_roundTick = -1;          // ticks since the open round's first request; -1 none open
    int m_answered = 0;
    int m_replies = 0;
    qint64 m_rounds = 0;
    double m_lastRoundSeconds = 0;
    bool m_roundsEnabled = true;
    bool m_drivesPoll = true;
    bool m_reviewDue = false;
    bool m_answeredSinceTick = false;
    int m_reviewWaitTicks = 0;
    bool m_stateChanged = false;
};

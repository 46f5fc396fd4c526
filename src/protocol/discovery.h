#pragma once

#include "protocol/text_pool.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class CameraRegistry;
class UdpEndpoint;
struct ReceivedDatagram;

// Finding cameras and watching their presence: the scan, the discovery reply handler
// and the presence poll that the 500 ms clock drives.
class Discovery final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Discovery)

public:
    Discovery(UdpEndpoint &endpoint, CameraRegistry &registry, QObject *parent = nullptr);

    // Listens to the endpoint's discovery replies.
    void attach();
    void setDefaultFtpPort(qint32 port) { m_ftpPort = port; }

    // One discovery request to host (empty: broadcast) on port (0: the camera port); a
    // broadcast through adapterIndex alone when it is not 0.
    bool sendRequest(const QString &host, quint16 port = 0, QString *error = nullptr,
                     int adapterIndex = 0);
    bool scan(QString *error = nullptr) { return sendRequest({}, 0, error); }

    void handleReply(const ReceivedDatagram &datagram, const QString &sender, quint16 length,
                     bool remote);
    // A round of reads ended (more: the socket holds more of the burst). The new rows of
    // a burst reach the views every kAnnounceMs and when the burst is through; outside a
    // round a reply's row reaches them at once.
    void readRoundEnded(bool more);
    static constexpr qint64 kAnnounceMs = 30;
    // Requests to single addresses a poll tick sends at most; the rest wait, in row order
    // and each address once, for the next ticks, so a long saved list never floods the
    // network however many of its rows ask at once.
    static constexpr int kAddressRequestsPerTick = 8;
    // Rows the list holds at most: far past any site, and a bound on what a host on the
    // LAN sending replies with ever new MACs can make the tool keep.
    static constexpr int kMaxRows = 65536;
    static QString listFullText();

    // One tick of the presence poll over every row.
    void pollTick();
    // Requests to single addresses waiting for a later tick.
    qsizetype queuedAddressRequests() const { return m_addressQueue.size(); }
    // A row enters the restart watch (restarting or updating).
    void startCountdown(int row, int state);

signals:
    // A reply refreshed row (created it when `created`); the main window refills the
    // pages when it is the selected row.
    void rowAnswered(int row, bool created);
    // Once, the first time a new camera could not be listed because the list is full.
    void listFull(const QString &text);

private:
    UdpEndpoint &m_endpoint;
    CameraRegistry &m_registry;
    qint32 m_ftpPort = 21;
    QStringList m_addressQueue;
    QSet<QString> m_queued;
    // MAC -> the address it first answered the last broadcast request from. A camera
    // that comes back at another address answers a later request; two addresses for
    // one request are two devices. Keyed by the MAC's 48 bits: a scan of tens of
    // thousands of cameras keeps no key strings for it.
    QHash<quint64, QString> m_scanAddresses;
    bool m_fullReported = false;
    TextPool m_pool;
    QElapsedTimer m_sinceAnnounce;
};

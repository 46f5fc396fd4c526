#include "protocol/discovery.h"

#include "base/model_filter_table.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protocol/udp_endpoint.h"

#include <QSet>

Discovery::Discovery(UdpEndpoint &endpoint, CameraRegistry &registry, QObject *parent)
    : QObject(parent)
    , m_endpoint(endpoint)
    , m_registry(registry)
{
}

void Discovery::attach()
{
    connect(&m_endpoint, &UdpEndpoint::discoveryReply, this, &Discovery::handleReply);
    connect(&m_endpoint, &UdpEndpoint::readRoundEnded, this, &Discovery::readRoundEnded);
}

void Discovery::readRoundEnded(bool more)
{
    CameraList &list = m_registry.list();
    if (list.pendingRows() == 0)
        return;
    // Each insertion costs a view a layout of the whole list: a few large ones instead of
    // one a round. The rows are in the list meanwhile; only the views wait.
    if (!more || !m_sinceAnnounce.isValid() || m_sinceAnnounce.elapsed() >= kAnnounceMs) {
        list.announcePending();
        m_sinceAnnounce.start();
    }
}

bool Discovery::sendRequest(const QString &host, quint16 port, QString *error, int adapterIndex)
{
    if (host.isEmpty()) {
        m_scanAddresses.clear();
        if (m_registry.list().count() < kMaxRows)
            m_fullReported = false;
    }
    const QByteArray request =
        Zora::BuildDiscoveryRequest(m_registry.models().selectedCode(), !host.isEmpty());
    return m_endpoint.send(host, port ? port : m_endpoint.cameraPort(), request, error, adapterIndex);
}

void Discovery::handleReply(const ReceivedDatagram &datagram, const QString &sender,
                            quint16 length, bool remote)
{
    Q_UNUSED(length); // the parser reads the length from the header itself
    auto reply = Zora::DiscoveryReply::parse(datagram.bytes());
    if (!reply)
        return;
    ModelFilterTable &models = m_registry.models();
    if (!models.accepts(reply->modelCode()))
        return;
    reply->modelName = m_pool.bytes(reply->modelName);
    if (reply->domainName)
        reply->domainName = m_pool.bytes(*reply->domainName);

    CameraList &list = m_registry.list();
    const QString mac = reply->macText();
    quint64 macKey = 0;
    for (const char byte : reply->mac())
        macKey = macKey << 8 | quint8(byte);
    const QString firstAddress = m_scanAddresses.value(macKey);
    if (firstAddress.isEmpty())
        m_scanAddresses.insert(macKey, sender);
    if (const int row = list.rowOfMac(mac); row >= 0) {
        TConfigItem *item = m_registry.recordOfRow(row);
        // One MAC from two addresses in one scan: the row still follows the last sender,
        // as a camera that changed address does, but nothing is sent to it until the
        // user picks one.
        if (item && !firstAddress.isEmpty() && firstAddress != sender) {
            for (const QString &a : {firstAddress, sender}) {
                if (!item->ConflictAddresses.contains(a))
                    item->ConflictAddresses << a;
            }
        }
        list.setText(row, CameraList::ColIp, sender);
        list.setIcon(row, CameraList::Present);
        list.setText(row, CameraList::ColHost, Zora::WireText(reply->hostName));
        if (item) {
            item->updateFromReply(*reply, sender);
            item->AdapterIndex = datagram.adapterIndex;
        }
        // Registered by its address: a camera listed before is remote from now on, and
        // the address the user named is the one it is reached at.
        if (remote) {
            list.setCounter(row, CameraList::ColKind, int(Connection::Remote));
            if (item) {
                item->ConnectionKind = Connection::Remote;
                item->ConflictAddresses.clear();
            }
        }
        emit rowAnswered(row, false);
        return;
    }

    const int row = list.firstCandidate(sender);
    const bool created = row < 0;
    if (created && list.count() >= kMaxRows) {
        if (!m_fullReported) {
            m_fullReported = true;
            emit listFull(listFullText());
        }
        return;
    }
    const QString modelName = m_pool.text(Zora::WireText(reply->modelName));
    models.add(modelName + QStringLiteral(" Only"), reply->modelCode());
    const Connection kind = remote ? Connection::Remote : Connection::Local;

    if (created) {
        const int index = m_registry.freeRecord();
        CameraList::Row r;
        r.caption = modelName;
        r.mac = mac;
        r.ip = sender;
        r.host = Zora::WireText(reply->hostName);
        r.record = index;
        r.counters = {int(kind), 3, 0, 3, 0};
        r.icon = CameraList::Present;
        TConfigItem &item = m_registry.record(index);
        item.fillFromReply(*reply, sender, m_ftpPort);
        item.ConnectionKind = kind;
        item.AdapterIndex = datagram.adapterIndex;
        // Within a round of reads the views hear of the row with the rest of the burst.
        const int row = list.appendRow(r, m_endpoint.inReadRound());
        list.announceRow(row);
        emit rowAnswered(row, true);
        return;
    }
    // A saved row answering for the first time.
    list.setCaption(row, modelName);
    list.setIcon(row, CameraList::Present);
    list.setText(row, CameraList::ColMac, mac);
    list.setText(row, CameraList::ColIp, sender);
    list.setText(row, CameraList::ColHost, Zora::WireText(reply->hostName));
    int index = list.row(row).record;
    if (index < 0 || index >= m_registry.recordCount()) {
        // A row without a usable record still gets one, so the camera can be used.
        index = m_registry.freeRecord();
    }
    list.setCounters(row, {int(kind), 3, 0, 3, 0});
    TConfigItem &item = m_registry.record(index);
    item.fillFromReply(*reply, sender, m_ftpPort);
    item.ConnectionKind = kind;
    item.AdapterIndex = datagram.adapterIndex;
    list.setRecord(row, index);
    list.announceRow(row);
    emit rowAnswered(row, false);
}

QString Discovery::listFullText()
{
    return QStringLiteral("The list holds %L1 cameras, the most it keeps: further cameras are not listed")
        .arg(kMaxRows);
}

void Discovery::startCountdown(int row, int state)
{
    CameraList &list = m_registry.list();
    list.setIcon(row, state);
    list.setCounter(row, CameraList::ColCycles, 3);
    list.setCounter(row, CameraList::ColCountdown, 120);
}

void Discovery::pollTick()
{
    // Every row's counters move as before; the requests they ask for are gathered and
    // each distinct one goes out once, so one broadcast a tick serves every waiting row.
    // Requests to single addresses go out a few a tick.
    // A broadcast is asked for by adapter: the camera's own when it was heard before,
    // every adapter (0) when not. An address request has no adapter.
    QList<QPair<QString, int>> targets;
    QSet<QPair<QString, int>> seen;
    auto ask = [&targets, &seen](const QString &host, int adapter = 0) {
        const QPair<QString, int> key{host, host.isEmpty() ? adapter : 0};
        if (!seen.contains(key)) {
            seen.insert(key);
            targets << key;
        }
    };
    CameraList &list = m_registry.list();
    auto adapterOf = [this](int r) {
        const TConfigItem *item = m_registry.recordOfRow(r);
        return item ? item->AdapterIndex : 0;
    };
    const int rows = list.count();
    for (int r = 0; r < rows; ++r) {
        const int state = list.icon(r);
        if (state == CameraList::Waiting) {
            int wait = list.counter(r, CameraList::ColWait);
            if (wait > 0) {
                list.setCounter(r, CameraList::ColWait, wait - 1);
                continue;
            }
            int attempts = list.counter(r, CameraList::ColAttempts) - 1;
            if (list.counter(r, CameraList::ColKind) == int(Connection::PollAddress)) {
                list.setCounter(r, CameraList::ColKind, int(Connection::PollBroadcast));
                ask({}, adapterOf(r));
            } else {
                list.setCounter(r, CameraList::ColKind, int(Connection::PollAddress));
                ask(list.row(r).ip);
            }
            if (attempts != 0) {
                list.setCounter(r, CameraList::ColAttempts, attempts);
                list.setCounter(r, CameraList::ColWait, 6);
            } else {
                list.setCounter(r, CameraList::ColAttempts, 3);
                list.setCounter(r, CameraList::ColWait, 360);
                const int cycles = list.counter(r, CameraList::ColCycles) - 1;
                list.setCounter(r, CameraList::ColCycles, cycles);
                if (cycles == 0) {
                    list.setIcon(r, CameraList::NotFound);
                    list.setCounter(r, CameraList::ColCycles, 3);
                }
            }
        } else if (state == CameraList::Restarting || state == CameraList::Lost
                   || state == CameraList::Updating) {
            int countdown = list.counter(r, CameraList::ColCountdown) - 1;
            if (countdown == 0) {
                countdown = 3;
                list.setIcon(r, CameraList::Lost);
            }
            list.setCounter(r, CameraList::ColCountdown, countdown);
            if (countdown % 20 == 0) {
                if (state == CameraList::Updating
                    || list.counter(r, CameraList::ColKind) != int(Connection::Remote))
                    ask({}, adapterOf(r));
                else
                    ask(list.row(r).ip);
            }
        }
    }
    // Once every adapter is asked, a request through one of them adds nothing.
    const bool everyAdapter = seen.contains({QString(), 0});
    for (const auto &[host, adapter] : targets) {
        if (host.isEmpty()) {
            if (adapter == 0 || !everyAdapter)
                sendRequest(host, 0, nullptr, adapter);
        } else if (!m_queued.contains(host)) {
            m_queued.insert(host);
            m_addressQueue << host;
        }
    }
    const qsizetype now = qMin<qsizetype>(m_addressQueue.size(), kAddressRequestsPerTick);
    for (qsizetype i = 0; i < now; ++i) {
        const QString host = m_addressQueue.takeFirst();
        m_queued.remove(host);
        sendRequest(host);
    }
}

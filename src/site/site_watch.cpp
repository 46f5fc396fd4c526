#include "site/site_watch.h"

#include "protocol/address_review.h"
#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protocol/discovery.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace {

const QString kShared = u"shared_address"_s;
const QString kOwn = u"own_address"_s;
const QString kTwoAddresses = u"mac_from_two_addresses"_s;

} // namespace

SiteWatch::SiteWatch(CameraNetwork &network, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_adapters(network.endpoint().adapters())
{
    connect(&network.discovery(), &Discovery::rowAnswered, this, [this](int row) { onAnswered(row); });
}

void SiteWatch::setIntervalTicks(int ticks)
{
    m_intervalTicks = qMax(ticks, kReplyWindowTicks);
}

QString SiteWatch::adapterName(int index)
{
    if (const auto it = m_adapterNames.constFind(index); it != m_adapterNames.constEnd())
        return it.value();
    const NetworkAdapter *adapter = m_adapters.byIndex(index);
    const QString name = adapter ? adapter->name : NetworkAdapters::nameOf(index);
    m_adapterNames.insert(index, name);
    return name;
}

void SiteWatch::tick(const QDateTime &now)
{
    m_now = now.toUTC();
    if (!m_start.isValid())
        m_start = m_now;
    if (m_drivesPoll)
        m_network.discovery().pollTick();
    if (m_roundsEnabled && --m_ticksToRound <= 0) {
        startRound();
    } else if (roundOpen()) {
        ++m_roundTick;
        if (m_roundTick < m_requests)
            m_network.discovery().scan();
        if (m_roundTick >= qMax(kReplyWindowTicks, m_requests))
            closeRound();
    }
    // Cameras in doubt are asked at their last address, a few a tick: a broadcast would
    // have every camera of the site answer for the one missing, and the next round asks
    // by broadcast anyway (a camera that moved answers that).
    int addressRequests = 0;
    for (Camera &c : m_cameras) {
        if (c.doubtTicks <= 0)
            continue;
        if (--c.doubtTicks == 0) {
            c.up = false;
            m_stateChanged = true;
            m_reviewDue = true;
            announce(SiteEvent::Kind::Gone, c);
        } else if (c.doubtTicks % kProbeEveryTicks == 0) {
            if (addressRequests++ < Discovery::kAddressRequestsPerTick)
                m_network.discovery().sendRequest(c.address);
        }
    }
    if (m_reviewDue
        && (m_cameras.size() <= kEagerReviewCameras || !m_answeredSinceTick || ++m_reviewWaitTicks >= kReviewWaitTicks))
        review();
    m_answeredSinceTick = false;
}

void SiteWatch::startRound()
{
    if (roundOpen())
        closeRound();
    m_adapters = m_network.endpoint().adapters();
    m_adapterNames.clear();
    m_roundAddresses.clear();
    m_answered = 0;
    m_replies = 0;
    m_roundTick = 0;
    m_ticksToRound = m_intervalTicks;
    m_lastRoundSeconds = 0;
    m_roundClock.start();
    m_network.discovery().scan();
}

void SiteWatch::closeRound()
{
    m_roundTick = -1;
    ++m_rounds;
    for (Camera &c : m_cameras) {
        if (c.up && !c.answeredRound && c.doubtTicks == 0)
            c.doubtTicks = kDoubtTicks;
        c.answeredRound = false;
    }
    QHash<QString, QStringList> two;
    for (auto it = m_roundAddresses.cbegin(); it != m_roundAddresses.cend(); ++it) {
        if (it.value().size() > 1) {
            QStringList addresses = it.value();
            addresses.sort();
            two.insert(it.key(), addresses);
        }
    }
    if (two != m_twoAddresses) {
        m_twoAddresses = two;
        m_reviewDue = true;
    }
    m_roundAddresses.clear();
    if (m_reviewDue)
        review();
    emit roundEnded(m_answered, int(m_cameras.size()));
}

void SiteWatch::onAnswered(int row)
{
    const CameraList &list = m_network.list();
    if (row < 0 || row >= list.count())
        return;
    const TConfigItem *item = m_network.registry().recordOfRow(row);
    if (!item || item->isFree())
        return;
    const QString &mac = list.row(row).mac;
    auto it = m_cameras.find(mac);
    if (it == m_cameras.end()) {
        // The list's own bound holds here too: a host inventing MACs cannot grow this.
        if (m_cameras.size() >= Discovery::kMaxRows)
            return;
        it = m_cameras.insert(mac, Camera{});
        it->mac = mac;
        it->up = false;
    }
    Camera &c = *it;
    const bool known = !c.address.isEmpty();
    QString address = item->Address;
    // A MAC heard from two addresses is a conflict, not a camera moving to and fro: it
    // keeps the address it had until one address alone answers for it. A round moves a
    // camera by its first answer only.
    const QStringList thisRound = m_roundAddresses.value(mac);
    const QStringList lastTwo = m_twoAddresses.value(mac);
    if (known && (!thisRound.isEmpty() || (lastTwo.contains(address) && lastTwo.contains(c.address))))
        address = c.address;
    if (roundOpen()) {
        QStringList &addresses = m_roundAddresses[mac];
        if (!addresses.contains(item->Address))
            addresses << item->Address;
    }
    // The row's own strings where they say the same (the list shares its model names):
    // a site of thousands of cameras keeps no second copy of each.
    const CameraList::Row &listed = list.row(row);
    const QString &host = listed.host;
    QString model = item->modelNameText();
    if (model == listed.caption)
        model = listed.caption;
    if (address == listed.ip)
        address = listed.ip;
    const Camera before = c;
    c.address = address;
    c.host = host;
    if (c.model != model)
        c.model = model;
    c.adapterIndex = item->AdapterIndex;
    c.adapter = adapterName(item->AdapterIndex);
    c.remote = item->ConnectionKind == Connection::Remote;
    c.lastSeen = m_now.isValid() ? m_now : QDateTime::currentDateTimeUtc();
    c.doubtTicks = 0;
    if (roundOpen()) {
        if (!c.answeredRound)
            ++m_answered;
        ++m_replies;
        m_lastRoundSeconds = m_roundClock.elapsed() / 1000.0;
    }
    c.answeredRound = true;
    m_answeredSinceTick = true;
    if (!known) {
        c.up = true;
        m_stateChanged = m_reviewDue = true;
        announce(SiteEvent::Kind::Appeared, c);
        return;
    }
    if (!before.up) {
        c.up = true;
        m_stateChanged = m_reviewDue = true;
        announce(SiteEvent::Kind::Back, c);
    }
    if (before.address != address) {
        m_stateChanged = m_reviewDue = true;
        announce(SiteEvent::Kind::AddressChanged, c, before.address);
    }
    if (before.host != host) {
        m_stateChanged = true;
        announce(SiteEvent::Kind::HostChanged, c, before.host);
    }
    if (before.model != model) {
        m_stateChanged = true;
        announce(SiteEvent::Kind::ModelChanged, c, before.model);
    }
}

void SiteWatch::review()
{
    m_reviewDue = false;
    m_reviewWaitTicks = 0;
    QList<AddressReview::Camera> cameras;
    QStringList macs;
    for (const Camera &c : std::as_const(m_cameras)) {
        if (c.up) {
            cameras << AddressReview::Camera{c.mac, c.address, c.adapterIndex, c.remote};
            macs << c.mac;
        }
    }
    const QList<AddressReview::Remark> remarks = AddressReview::review(cameras, m_adapters);
    Conflicts now;
    for (qsizetype i = 0; i < remarks.size(); ++i) {
        if (remarks[i].sharedCount > 0)
            now.insert({macs[i], kShared}, remarks[i].sharedWith);
        if (remarks[i].ownAddress)
            now.insert({macs[i], kOwn}, {});
    }
    for (auto it = m_twoAddresses.cbegin(); it != m_twoAddresses.cend(); ++it) {
        if (m_cameras.value(it.key()).up)
            now.insert({it.key(), kTwoAddresses}, it.value());
    }
    for (auto it = m_conflicts.cbegin(); it != m_conflicts.cend(); ++it) {
        if (!now.contains(it.key()))
            announce(SiteEvent::Kind::ConflictCleared, m_cameras.value(it.key().first), {}, it.key().second,
                     it.value());
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!m_conflicts.contains(it.key()))
            announce(SiteEvent::Kind::Conflict, m_cameras.value(it.key().first), {}, it.key().second, it.value());
    }
    if (now.keys() != m_conflicts.keys())
        m_stateChanged = true;
    m_conflicts = now;
}

void SiteWatch::announce(SiteEvent::Kind kind, const Camera &camera, const QString &previous,
                         const QString &conflict, const QStringList &with)
{
    SiteEvent e;
    e.kind = kind;
    e.time = m_now.isValid() ? m_now : QDateTime::currentDateTimeUtc();
    e.mac = camera.mac;
    e.address = camera.address;
    e.host = camera.host;
    e.model = camera.model;
    e.adapter = camera.adapter;
    e.previous = previous;
    e.conflict = conflict;
    e.with = with;
    emit happened(e);
}

QJsonObject SiteWatch::state() const
{
    QJsonArray cameras;
    for (const Camera &c : m_cameras) {
        cameras.append(QJsonObject{{u"mac"_s, c.mac}, {u"address"_s, c.address}, {u"host"_s, c.host},
                                   {u"model"_s, c.model}, {u"adapter"_s, c.adapter},
                                   {u"adapter_index"_s, c.adapterIndex}, {u"remote"_s, c.remote},
                                   {u"up"_s, c.up},
                                   {u"last_seen"_s, c.lastSeen.isValid() ? SiteEvent::timeText(c.lastSeen) : QString()}});
    }
    QJsonArray conflicts;
    for (auto it = m_conflicts.cbegin(); it != m_conflicts.cend(); ++it)
        conflicts.append(QJsonObject{{u"mac"_s, it.key().first}, {u"kind"_s, it.key().second},
                                     {u"with"_s, QJsonArray::fromStringList(it.value())}});
    return {{u"version"_s, kStateVersion}, {u"cameras"_s, cameras}, {u"conflicts"_s, conflicts}};
}

bool SiteWatch::restore(const QJsonObject &state, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (state.value(u"version"_s).toInt() != kStateVersion)
        return fail(u"not a watch state of version %1"_s.arg(kStateVersion));
    if (!state.value(u"cameras"_s).isArray() || !state.value(u"conflicts"_s).isArray())
        return fail(u"no list of cameras and conflicts"_s);
    QMap<QString, Camera> cameras;
    for (const QJsonValue &v : state.value(u"cameras"_s).toArray()) {
        const QJsonObject o = v.toObject();
        Camera c;
        c.mac = o.value(u"mac"_s).toString();
        c.address = o.value(u"address"_s).toString();
        if (c.mac.size() != 17 || c.address.isEmpty())
            return fail(u"a camera without MAC or address"_s);
        if (cameras.size() >= Discovery::kMaxRows)
            return fail(u"more than %1 cameras"_s.arg(Discovery::kMaxRows));
        c.host = o.value(u"host"_s).toString();
        c.model = o.value(u"model"_s).toString();
        c.adapter = o.value(u"adapter"_s).toString();
        c.adapterIndex = o.value(u"adapter_index"_s).toInt();
        c.remote = o.value(u"remote"_s).toBool();
        c.up = o.value(u"up"_s).toBool();
        c.lastSeen = QDateTime::fromString(o.value(u"last_seen"_s).toString(), Qt::ISODate);
        cameras.insert(c.mac, c);
    }
    Conflicts conflicts;
    for (const QJsonValue &v : state.value(u"conflicts"_s).toArray()) {
        const QJsonObject o = v.toObject();
        const QString mac = o.value(u"mac"_s).toString();
        if (!cameras.contains(mac))
            return fail(u"a conflict of an unknown camera"_s);
        QStringList with;
        for (const QJsonValue &w : o.value(u"with"_s).toArray())
            with << w.toString();
        conflicts.insert({mac, o.value(u"kind"_s).toString()}, with);
    }
    m_cameras = cameras;
    m_conflicts = conflicts;
    // A MAC heard from two addresses stays so until a round hears it from one.
    m_twoAddresses.clear();
    for (auto it = conflicts.cbegin(); it != conflicts.cend(); ++it) {
        if (it.key().second == kTwoAddresses)
            m_twoAddresses.insert(it.key().first, it.value());
    }
    return true;
}

#include "protocol/address_review.h"

#include "base/shared_routines.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/config_item.h"

#include <QHash>
#include <QSet>

#include <utility>

namespace {

// Per address: how many distinct MACs answer from it, and the first few of them (one
// more than a remark names, as a camera leaves itself out).
struct Sharing {
    int count = 0;
    QStringList first;
};

QHash<QString, Sharing> sharingOf(const QList<AddressReview::Camera> &cameras)
{
    QHash<QString, Sharing> at;
    // Address and MAC side by side: no key string is built for each camera.
    QSet<std::pair<QString, QString>> seen;
    for (const AddressReview::Camera &c : cameras) {
        if (seen.contains({c.address, c.mac}))
            continue;
        seen.insert({c.address, c.mac});
        Sharing &s = at[c.address];
        ++s.count;
        if (s.first.size() <= AddressReview::kNamedShares)
            s.first << c.mac;
    }
    return at;
}

AddressReview::Remark remarkOf(const AddressReview::Camera &c, const QHash<QString, Sharing> &at,
                               const NetworkAdapters &adapters)
{
    AddressReview::Remark r;
    const NetworkAdapter *adapter = adapters.byIndex(c.adapterIndex);
    r.adapter = adapter ? adapter->name : NetworkAdapters::nameOf(c.adapterIndex);
    const Sharing s = at.value(c.address);
    r.sharedCount = s.count - 1;
    for (const QString &mac : s.first) {
        if (mac != c.mac && r.sharedWith.size() < AddressReview::kNamedShares)
            r.sharedWith << mac;
    }
    const auto address = DottedDecimal(c.address);
    r.ownAddress = address && adapters.isOwnAddress(*address);
    if (adapter && address && !c.remote && !adapter->subnets.isEmpty()) {
        r.inSubnet = adapter->subnetOf(*address) != nullptr;
        r.subnet = adapter->subnets.first().text();
    }
    return r;
}

} // namespace

QList<AddressReview::Remark> AddressReview::review(const QList<Camera> &cameras,
                                                   const NetworkAdapters &adapters)
{
    const QHash<QString, Sharing> at = sharingOf(cameras);
    QList<Remark> out;
    out.reserve(cameras.size());
    for (const Camera &c : cameras)
        out << remarkOf(c, at, adapters);
    return out;
}

AddressReview::Camera AddressReview::of(const TConfigItem &item)
{
    return {item.macText(), item.Address, item.AdapterIndex, item.ConnectionKind == Connection::Remote};
}

QStringList AddressReview::Remark::lines(const QString &address) const
{
    QStringList out;
    if (!adapter.isEmpty())
        out << QStringLiteral("answered on %1").arg(adapter);
    if (inSubnet == false)
        out << QStringLiteral("not in %1 of %2").arg(subnet, adapter);
    for (const QString &mac : sharedWith)
        out << QStringLiteral("%1 is also the address of %2").arg(address, mac);
    if (const qsizetype more = sharedCount - sharedWith.size(); more > 0)
        out << QStringLiteral("… and of %1 more cameras").arg(more);
    if (ownAddress)
        out << QStringLiteral("%1 is an address of this computer").arg(address);
    return out;
}

void AddressReview::mark(CameraRegistry &registry, const NetworkAdapters &adapters)
{
    CameraList &list = registry.list();
    QList<int> rows;
    QList<Camera> cameras;
    for (int r = 0; r < list.count(); ++r) {
        if (const TConfigItem *item = registry.recordOfRow(r); item && !item->isFree() && list.row(r).mac.size() >= 3) {
            rows << r;
            cameras << of(*item);
            // The row's copy of the same MAC: one string for both.
            if (cameras.last().mac == list.row(r).mac)
                cameras.last().mac = list.row(r).mac;
        }
    }
    // Remark by remark: a long list never holds every remark's parts at once. Most rows
    // carry the same few texts ("answered on eth0"): rows with equal remarks share one
    // string instead of holding a copy each.
    const QHash<QString, Sharing> at = sharingOf(cameras);
    QSet<QString> texts;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const TConfigItem &item = *registry.recordOfRow(rows[i]);
        const Remark remark = remarkOf(cameras[i], at, adapters);
        QStringList lines = remark.lines(item.Address);
        if (item.addressInDoubt())
            lines << item.conflictText();
        QString text = lines.join(QLatin1Char('\n'));
        if (const auto it = texts.constFind(text); it != texts.constEnd())
            text = *it;
        else if (!text.isEmpty())
            texts.insert(text);
        list.setRemark(rows[i], text, remark.warning() || item.addressInDoubt());
    }
}

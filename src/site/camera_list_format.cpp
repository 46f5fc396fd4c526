#include "site/camera_list_format.h"

#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/camera_record_format.h"
#include "site/report_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

using namespace Qt::StringLiterals;

QByteArray CameraListFormat::of(CameraNetwork &network, const QList<int> &records, Kind kind, bool secrets)
{
    switch (kind) {
    case Kind::Json:
        return json(network, records, secrets);
    case Kind::Csv:
        return csv(network, records, secrets);
    case Kind::Text:
        break;
    }
    return text(network, records);
}

QByteArray CameraListFormat::text(CameraNetwork &network, const QList<int> &records)
{
    QByteArray out;
    for (int r : records)
        out += CameraRecordFormat::textLine(network.registry().record(r)).toUtf8() + '\n';
    return out;
}

QByteArray CameraListFormat::json(CameraNetwork &network, const QList<int> &records, bool secrets)
{
    CameraRegistry &registry = network.registry();
    const QHash<int, AddressReview::Remark> remarks = addressRemarks(network);
    QJsonArray array;
    for (int r : records) {
        const TConfigItem &camera = registry.record(r);
        QJsonObject o = CameraRecordFormat::toJson(camera, secrets);
        const AddressReview::Remark remark = remarks.value(r);
        o[u"adapter"_s] = remark.adapter.isEmpty() ? QJsonValue() : QJsonValue(remark.adapter);
        o[u"in_subnet"_s] = remark.inSubnet ? QJsonValue(*remark.inSubnet) : QJsonValue();
        QJsonArray conflicts;
        if (remark.sharedCount > 0) {
            QJsonObject shared{{u"kind"_s, u"shared_address"_s},
                               {u"with"_s, QJsonArray::fromStringList(remark.sharedWith)}};
            // Past the MACs named, only how many more.
            if (const qsizetype more = remark.sharedCount - remark.sharedWith.size(); more > 0)
                shared[u"more"_s] = int(more);
            conflicts.append(shared);
        }
        if (remark.ownAddress)
            conflicts.append(QJsonObject{{u"kind"_s, u"own_address"_s}});
        if (camera.addressInDoubt())
            conflicts.append(QJsonObject{{u"kind"_s, u"mac_from_two_addresses"_s},
                                         {u"addresses"_s, QJsonArray::fromStringList(camera.ConflictAddresses)}});
        o[u"conflicts"_s] = conflicts;
        array.append(o);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QByteArray CameraListFormat::csv(CameraNetwork &network, const QList<int> &records, bool secrets)
{
    const QHash<int, AddressReview::Remark> remarks = addressRemarks(network);
    QString out = CameraRecordFormat::csvHeader(secrets) + u",adapter\n"_s;
    for (int r : records)
        out += CameraRecordFormat::csvLine(network.registry().record(r), secrets) + u',' +
               CameraRecordFormat::csvField(remarks.value(r).adapter) + u'\n';
    return out.toUtf8();
}

QHash<int, AddressReview::Remark> CameraListFormat::addressRemarks(CameraNetwork &network)
{
    const QList<int> all = network.records();
    QList<AddressReview::Camera> cameras;
    for (int r : all)
        cameras << AddressReview::of(network.registry().record(r));
    const QList<AddressReview::Remark> remarks =
        AddressReview::review(cameras, network.endpoint().adapters());
    QHash<int, AddressReview::Remark> out;
    for (qsizetype i = 0; i < all.size(); ++i)
        out.insert(all[i], remarks[i]);
    return out;
}

QStringList CameraListFormat::addressWarnings(CameraNetwork &network)
{
    const QHash<int, AddressReview::Remark> remarks = addressRemarks(network);
    QStringList lines;
    QSet<QString> crowded;
    for (int r : network.records()) {
        const TConfigItem &camera = network.registry().record(r);
        const AddressReview::Remark &remark = remarks[r];
        if (remark.sharedCount > remark.sharedWith.size()) {
            // Too many to name in pairs: one line for the address.
            if (!crowded.contains(camera.Address)) {
                crowded.insert(camera.Address);
                lines << u"warning: %1 cameras answer from %2"_s.arg(remark.sharedCount + 1).arg(camera.Address);
            }
        } else {
            for (const QString &mac : remark.sharedWith) {
                // Each pair once.
                if (camera.macText() < mac)
                    lines << u"warning: %1 and %2 both answer from %3"_s.arg(camera.macText(), mac, camera.Address);
            }
        }
        if (remark.ownAddress)
            lines << u"warning: %1 answers from %2, an address of this computer"_s.arg(camera.macText(),
                                                                                       camera.Address);
        if (remark.inSubnet == false)
            lines << u"note: %1 at %2 is not in %3 of %4"_s.arg(camera.macText(), camera.Address, remark.subnet,
                                                                remark.adapter);
    }
    return lines;
}

QString CameraListFormat::cameraName(CameraNetwork &network, const QString &mac)
{
    const int record = network.recordOfMac(mac);
    const QString host = record >= 0 ? network.registry().record(record).hostNameText() : QString();
    return host.isEmpty() ? mac : u"%1 (%2)"_s.arg(mac, ReportText::escaped(host));
}

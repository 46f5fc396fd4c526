#include "site/result_export.h"

#include "site/camera_record_format.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ResultExport {

QByteArray json(const QList<BatchResult> &results, const QHash<QString, QJsonObject> &extra)
{
    QJsonArray a;
    for (const BatchResult &r : results) {
        QJsonObject o{{QStringLiteral("mac"), r.mac},         {QStringLiteral("result"), r.verdict},
                      {QStringLiteral("address"), r.address}, {QStringLiteral("message"), r.text},
                      {QStringLiteral("status"), r.status},   {QStringLiteral("sent"), r.sent}};
        const QJsonObject more = extra.value(r.mac);
        for (auto it = more.begin(); it != more.end(); ++it)
            o.insert(it.key(), it.value());
        a.append(o);
    }
    return QJsonDocument(a).toJson(QJsonDocument::Indented);
}

QByteArray csv(const QList<BatchResult> &results)
{
    QString out = QStringLiteral("mac,result,address,message,status,sent\n");
    for (const BatchResult &r : results) {
        out += QStringList{CameraRecordFormat::csvField(r.mac), CameraRecordFormat::csvField(r.verdict),
                           CameraRecordFormat::csvField(r.address), CameraRecordFormat::csvField(r.text),
                           QString::number(r.status), r.sent ? QStringLiteral("true") : QStringLiteral("false")}
                   .join(QLatin1Char(','));
        out += QLatin1Char('\n');
    }
    return out.toUtf8();
}

} // namespace ResultExport

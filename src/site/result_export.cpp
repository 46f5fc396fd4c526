#include "site/result_export.h"

#include "site/camera_record_format.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ResultExport {

QByteArray json(const QList<BatchResult> &results)
{
    QJsonArray a;
    for (const BatchResult &r : results) {
        a.append(QJsonObject{{QStringLiteral("mac"), r.mac},
                             {QStringLiteral("result"), r.verdict},
                             {QStringLiteral("address"), r.address},
                             {QStringLiteral("message"), r.text},
                             {QStringLiteral("status"), r.status}});
    }
    return QJsonDocument(a).toJson(QJsonDocument::Indented);
}

QByteArray csv(const QList<BatchResult> &results)
{
    QString out = QStringLiteral("mac,result,address,message,status\n");
    for (const BatchResult &r : results) {
        out += QStringList{CameraRecordFormat::csvField(r.mac), CameraRecordFormat::csvField(r.verdict),
                           CameraRecordFormat::csvField(r.address), CameraRecordFormat::csvField(r.text),
                           QString::number(r.status)}
                   .join(QLatin1Char(','));
        out += QLatin1Char('\n');
    }
    return out.toUtf8();
}

} // namespace ResultExport

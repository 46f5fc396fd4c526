#include "site/firmware_history.h"

using namespace Qt::StringLiterals;

QJsonObject FirmwareHistory::uploadFields(const QString &imageTag, const QString &versionBefore)
{
    return {{u"image"_s, imageTag}, {u"version"_s, versionBefore}};
}

FirmwareHistory FirmwareHistory::of(const QList<QJsonObject> &records, const QString &imageTag,
                                    const QString &finalStep)
{
    FirmwareHistory history;
    for (const QJsonObject &o : records) {
        const QString mac = o.value(u"mac"_s).toString().toUpper();
        const QString step = o.value(u"step"_s).toString();
        const QString result = o.value(u"result"_s).toString();
        if (mac.isEmpty())
            continue;
        Camera &c = history.m_cameras[mac];
        if (step == finalStep && result == u"done"_s) {
            c.state = State::Updated;
            continue;
        }
        if (step != uploadStep() || o.value(u"image"_s).toString() != imageTag || c.state == State::Updated)
            continue;
        if (result == u"started"_s && c.state == State::None) {
            c.state = State::Sent;
            c.versionBefore = o.value(u"version"_s).toString();
            c.time = o.value(u"time"_s).toString();
            c.acknowledged = false;
        } else if (result == u"sent"_s && c.state == State::Sent) {
            c.acknowledged = true;
        } else if (result == u"failed"_s && c.state == State::Sent && !c.acknowledged) {
            // Refused before the last byte: the camera drops what it got.
            c = Camera{};
        }
    }
    return history;
}

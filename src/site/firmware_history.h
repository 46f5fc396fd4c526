#pragma once

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

// What a rollout's log says about one image on each camera, so that a run after any end
// (a signal, a crash, a power cut) never sends a camera the same image twice: every
// upload is on record before its first byte goes out, and the image counts as with the
// camera until a run saw the store refused before its last byte.
class FirmwareHistory final
{
public:
    enum class State {
        None,     // nothing of the image reached the camera
        Updated,  // a run saw the camera come back updated
        Sent,     // the camera may have the image: its version decides, it is not sent again
    };
    struct Camera {
        State state = State::None;
        QString versionBefore;  // what the camera reported before that upload
        QString time;           // when that upload began
        bool acknowledged = false;  // the camera answered the store
    };

    // finalStep: the step whose "done" means updated ("firmware <tag>").
    static FirmwareHistory of(const QList<QJsonObject> &records, const QString &imageTag,
                              const QString &finalStep);
    Camera camera(const QString &mac) const { return m_cameras.value(mac.toUpper()); }

    // The fields an upload line carries besides the common ones.
    static QJsonObject uploadFields(const QString &imageTag, const QString &versionBefore);
    static QString uploadStep() { return QStringLiteral("upload"); }

private:
    QHash<QString, Camera> m_cameras;
};

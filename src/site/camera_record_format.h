#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

struct TConfigItem;

// A camera's record as zoractl prints it: one line of the four list columns, a JSON
// object with every field (snake_case keys), or a CSV line under a fixed header. The
// PPPoE password is left out unless asked for.
class CameraRecordFormat final
{
public:
    static QString textLine(const TConfigItem &camera);
    static QJsonObject toJson(const TConfigItem &camera, bool showSecrets);
    static QString csvHeader(bool showSecrets);
    static QString csvLine(const TConfigItem &camera, bool showSecrets);
    // One CSV field, quoted when it holds a separator, a quote or a line break.
    static QString csvField(const QString &text);

    // The names of the digital-output sources, in the order of the camera's indices.
    static const QStringList &outputSourceNames();
    static std::optional<int> outputSourceIndex(const QString &name);
    static QString outputSourceName(int index);
    static QString networkTypeName(quint8 networkTypeByte);
};

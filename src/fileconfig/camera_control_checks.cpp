#include "fileconfig/camera_control_checks.h"

#include "base/string_table.h"
#include "fileconfig/camera_control_config.h"
#include "fileconfig/page_settings.h"

#include <array>

namespace {

constexpr int kChannels = CameraControlSettings::Channels;

QString nameFocus(int channel)
{
    return QStringLiteral("editCamConCam%1Name").arg(channel + 1);
}

QString idFocus(int channel)
{
    return QStringLiteral("editCamConCam%1ID").arg(channel + 1);
}

// "Camera #1" .. "Camera #4" are ids 3084 .. 3087.
QString channelCaption(int channel)
{
    return GetString(3084 + channel, QStringLiteral("Camera #%1").arg(channel + 1));
}

} // namespace

std::optional<CheckFailure> CheckCameraControlPage(const CameraControlSettings &s,
                                                   bool channelOneModelBox)
{
    std::array<QString, kChannels> names;
    std::array<QString, kChannels> ids;
    for (int c = 0; c < kChannels; ++c) {
        names[c] = PageText::fromBytes(s.channels[c].alias);
        ids[c] = PageText::fromBytes(s.channels[c].id);
    }
    // Channel 1's ID belongs to the PTZ model box that only some models show.
    const int firstId = channelOneModelBox ? 0 : 1;

    const QString nameRequired = GetString(3231, QStringLiteral("Camera Name is required"));
    for (int c = 0; c < kChannels; ++c) {
        if (auto f = Checks::RequireField(names[c], nameRequired, nameFocus(c)))
            return f;
    }
    const QString nameBlanks = GetString(3232, QStringLiteral("Camera Name has Blanks"));
    for (int c = 0; c < kChannels; ++c) {
        if (auto f = Checks::RejectBlanks(names[c], nameBlanks, nameFocus(c)))
            return f;
    }
    const QString idRequired = GetString(3233, QStringLiteral("Camera ID is required"));
    for (int c = firstId; c < kChannels; ++c) {
        if (auto f = Checks::RequireField(ids[c], idRequired, idFocus(c)))
            return f;
    }
    const QString idRange = GetString(3234,
                                      QStringLiteral("Camera Control ID must be beteen 0 to 255"));
    const QString idNumber = GetString(3235, QStringLiteral("Camera Control ID must be a NUMBER"));
    for (int c = firstId; c < kChannels; ++c) {
        if (auto f = Checks::RequireNumber(ids[c], 0, 255, idRange, idNumber, idFocus(c)))
            return f;
    }
    // The IDs passed as digits only.
    QList<Checks::StoredField> fields;
    const QString nameCaption = GetString(3088, QStringLiteral("Camera Name"));
    for (int c = 0; c < kChannels; ++c)
        fields.append({names[c], channelCaption(c) + QLatin1Char(' ') + nameCaption, nameFocus(c)});
    return Checks::RejectUnstorable(fields);
}

#include "fileconfig/audio_checks.h"

#include "base/string_table.h"
#include "fileconfig/audio_config.h"
#include "fileconfig/page_settings.h"

namespace {

// The caption as the page's label shows it, e.g. "Port : ".
QString label(int id, const char *caption)
{
    return GetString(id, QLatin1String(caption)) + QStringLiteral(" : ");
}

} // namespace

// The audio rules leave the focus where it is, and every value is checked as a number,
// so digits are all that can reach the file.
std::optional<CheckFailure> CheckAudioPage(const AudioSettings &s)
{
    const QString notNumber = GetString(3238, QStringLiteral("must be a NUMBER"));
    const QString portLabel = label(3103, "Port");
    const QString maxLabel = label(3104, "Max Connection");
    const QString samplingLabel = label(3105, "Sampling Volume");
    const QString playbackLabel = label(3106, "Playback Volume");
    if (auto f = Checks::RequireNumber(
            PageText::fromBytes(s.port), 1, 65535,
            GetString(3205, QStringLiteral("Port must be beteen 1 to 65535")),
            portLabel + notNumber, {}))
        return f;
    if (auto f = Checks::RequireNumber(
            PageText::fromBytes(s.maxConnect), 0, 255,
            maxLabel + GetString(3236, QStringLiteral("must be between 0 to 255")),
            maxLabel + notNumber, {}))
        return f;
    if (auto f = Checks::RequireNumber(
            PageText::fromBytes(s.samplingVolume), -255, 256,
            samplingLabel + GetString(3237, QStringLiteral("be beteen -255 to 256")),
            samplingLabel + notNumber, {}))
        return f;
    return Checks::RequireNumber(
        PageText::fromBytes(s.playbackVolume), -255, 256,
        playbackLabel + GetString(3237, QStringLiteral("must be beteen -255 to 256")),
        playbackLabel + notNumber, {});
}

#pragma once

#include "fileconfig/audio_config.h"
#include "fileconfig/camera_control_config.h"
#include "fileconfig/ddns_config.h"
#include "fileconfig/event_config.h"
#include "fileconfig/initial_video_config.h"
#include "fileconfig/security_config.h"
#include "fileconfig/stream_server_config.h"
#include "fileconfig/system_info_config.h"
#include "fileconfig/web_server_config.h"
#include "protoconfig/l60_settings.h"

#include <variant>

// The tabs of a file-configured camera's page control ("Category"), by index; what each
// page is and does is its row in FilePageTable.
enum class FileTab : int {
    NetworkInfo = 0,
    HostName = 1,
    Account = 2,
    CameraUpdate = 3,
    Ddns = 4,
    WebServer = 5,
    StreamServer = 6,
    EventServer = 7,
    InitialVideo = 8,
    CameraControl = 9,
    SystemInfo = 10,
    Security = 11,
    Audio = 12,
};

// The network, host-name and account pages show the same values for both families and
// send the same commands; only their checks and control names differ.
using NetworkPageSettings = L60NetworkSettings;
using HostPageSettings = L60HostSettings;
using AccountPageSettings = L60AccountSettings;

// The Event Server page: the source shown and what its file holds.
struct EventPageSettings {
    EventSource source = EventSource::DigitalInput;
    EventSettings values;
    // The window's Save makes the shown source the camera's active one; a script that
    // sets a field leaves that as the camera has it.
    bool activate = true;

    bool operator==(const EventPageSettings &) const = default;
};

// What one page shows; monostate for a page that shows nothing (Camera Update).
using PageSettings =
    std::variant<std::monostate, NetworkPageSettings, HostPageSettings, AccountPageSettings,
                 DdnsSettings, WebServerSettings, StreamServerSettings, EventPageSettings,
                 InitialVideoSettings, CameraControlSettings, SystemInfoSettings,
                 SecuritySettings, AudioSettings>;

// What the pages need to know of the camera beyond its settings.
struct CameraTraits {
    bool motionDetection = true;   // model codes 2 and 6 have none
    bool channelOneModelBox = false; // model codes 2 and 6 choose channel 1's PTZ model
    bool audio = true;             // the camera announced audio

    bool operator==(const CameraTraits &) const = default;
};

// Text of the camera's 8-bit files as the widgets show it, and back. A character
// without an 8-bit form becomes DEL, which the page checks refuse, so nothing is
// silently replaced.
namespace PageText {
QString fromBytes(const QByteArray &bytes);
QByteArray toBytes(const QString &text);
} // namespace PageText

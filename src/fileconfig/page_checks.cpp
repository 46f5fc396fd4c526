#include "fileconfig/page_checks.h"

#include "fileconfig/audio_checks.h"
#include "fileconfig/camera_control_checks.h"
#include "fileconfig/ddns_checks.h"
#include "fileconfig/event_checks.h"
#include "fileconfig/host_checks.h"
#include "fileconfig/network_checks.h"
#include "fileconfig/stream_server_checks.h"
#include "fileconfig/system_info_checks.h"
#include "fileconfig/web_server_checks.h"

namespace {

struct Dispatch {
    const PageCheckContext &context;

    std::optional<CheckFailure> operator()(const NetworkPageSettings &s) const
    {
        return CheckNetworkPage(s, context.remote);
    }
    std::optional<CheckFailure> operator()(const HostPageSettings &s) const
    {
        return CheckHostPage(s);
    }
    std::optional<CheckFailure> operator()(const DdnsSettings &s) const { return CheckDdnsPage(s); }
    std::optional<CheckFailure> operator()(const WebServerSettings &s) const
    {
        return CheckWebServerPage(s);
    }
    std::optional<CheckFailure> operator()(const StreamServerSettings &s) const
    {
        return CheckStreamServerPage(s);
    }
    std::optional<CheckFailure> operator()(const EventPageSettings &s) const
    {
        return CheckEventPage(s);
    }
    std::optional<CheckFailure> operator()(const CameraControlSettings &s) const
    {
        return CheckCameraControlPage(s, context.channelOneModelBox);
    }
    std::optional<CheckFailure> operator()(const SystemInfoSettings &s) const
    {
        return CheckSystemInfoPage(s);
    }
    std::optional<CheckFailure> operator()(const AudioSettings &s) const
    {
        return CheckAudioPage(s);
    }
    // Camera Update, Account, Initial Video and Security.
    template <typename Other>
    std::optional<CheckFailure> operator()(const Other &) const
    {
        return std::nullopt;
    }
};

} // namespace

std::optional<CheckFailure> CheckPage(const PageSettings &settings, const PageCheckContext &context)
{
    return std::visit(Dispatch{context}, settings);
}

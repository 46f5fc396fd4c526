#include "fileconfig/file_page_table.h"

#include "base/string_table.h"
#include "fileconfig/audio_checks.h"
#include "fileconfig/camera_control_checks.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/ddns_checks.h"
#include "fileconfig/event_checks.h"
#include "fileconfig/file_page_row_builder.h"
#include "fileconfig/filter_directory_listing.h"
#include "fileconfig/host_checks.h"
#include "fileconfig/network_checks.h"
#include "fileconfig/page_files.h"
#include "fileconfig/stream_server_checks.h"
#include "fileconfig/system_info_checks.h"
#include "fileconfig/web_server_checks.h"

namespace {

using Kind = FilePageRow::Kind;
using FieldWords::words;
using FieldWords::numbers;

template <typename S>
using Row = FilePageRowBuilder<S>;

// Only the motion file holds the area and sensitivity, only the timer's the period.
void addEventFields(ConfigFieldTable &table, const QString &page, EventSource source)
{
    using S = EventPageSettings;
    ConfigFieldRows<S> rows(table, page, FieldWords::source(source) + QLatin1Char('.'), source);
    if (source == EventSource::Motion) {
        rows.box("area", words({"upper", "center", "lower", "all"}),
                 [](auto &s) -> auto & { return s.values.areaIndex; })
            .box("sensitivity", numbers(2, 1 + EventSettings::SensitivityItems),
                 [](auto &s) -> auto & { return s.values.sensitivityIndex; });
    }
    if (source == EventSource::Timer)
        rows.number("period", [](auto &s) -> auto & { return s.values.period; });
    const QStringList cameras = numbers(1, EventSettings::CameraItems);
    rows.onOff("output", [](auto &s) -> auto & { return s.values.outputEnabled; })
        .number("output_time", [](auto &s) -> auto & { return s.values.outputTime; })
        .onOff("ftp", [](auto &s) -> auto & { return s.values.ftpEnabled; })
        .text("ftp_server", [](auto &s) -> auto & { return s.values.ftpServer; })
        .number("ftp_port", [](auto &s) -> auto & { return s.values.ftpPort; })
        .text("ftp_user", [](auto &s) -> auto & { return s.values.ftpUser; })
        .secret("ftp_password", [](auto &s) -> auto & { return s.values.ftpPassword; })
        .text("ftp_image", [](auto &s) -> auto & { return s.values.ftpImageName; })
        .box("ftp_camera", cameras, [](auto &s) -> auto & { return s.values.ftpCameraIndex; })
        .onOff("mail", [](auto &s) -> auto & { return s.values.mailEnabled; })
        .text("mail_server", [](auto &s) -> auto & { return s.values.mailServer; })
        .number("mail_port", [](auto &s) -> auto & { return s.values.mailPort; })
        .text("mail_subject", [](auto &s) -> auto & { return s.values.mailSubject; })
        .text("mail_from", [](auto &s) -> auto & { return s.values.mailFrom; })
        .text("mail_to", [](auto &s) -> auto & { return s.values.mailTo; })
        .box("mail_camera", cameras, [](auto &s) -> auto & { return s.values.mailCameraIndex; })
        .onOff("notify", [](auto &s) -> auto & { return s.values.notifyEnabled; })
        .text("notify_server", [](auto &s) -> auto & { return s.values.notifyServer; })
        .box("notify_camera", cameras,
             [](auto &s) -> auto & { return s.values.notifyCameraIndex; });
}

// The quality box: "10" .. "90".
QStringList qualities()
{
    QStringList out;
    for (int n = 1; n <= InitialVideoSettings::QualityItems; ++n)
        out << QString::number(n * 10);
    return out;
}

QList<FilePageRow> buildRows()
{
    using Network = NetworkPageSettings;
    using Level = SecuritySettings::Level;
    return {
        // The DNS field's use (dnsEnabled) is the camera's, not a setting.
        Row<Network>(FileTab::NetworkInfo, Kind::Record, 3025, "Network Info")
            .fromRecord(&L60::NetworkFromRecord)
            .command(&L60::NetworkCommand)
            .checks([](const Network &s, const PageCheckContext &c) {
                return CheckNetworkPage(s, c.remote);
            })
            .fields("network", [](ConfigFieldRows<Network> &r) {
                r.choice(
                     "type", words({"static", "dhcp", "pppoe"}),
                     [](const Network &s) { return int(s.type); },
                     [](Network &s, int i) { s.type = L60NetworkType(i); })
                    .text("ip", [](auto &s) -> auto & { return s.ip; })
                    .text("mask", [](auto &s) -> auto & { return s.mask; })
                    .text("gateway", [](auto &s) -> auto & { return s.gateway; })
                    .text("dns", [](auto &s) -> auto & { return s.dns; })
                    .text("ppp_user", [](auto &s) -> auto & { return s.pppUser; })
                    .secret("ppp_password", [](auto &s) -> auto & { return s.pppPassword; })
                    .text("ppp_service", [](auto &s) -> auto & { return s.pppService; })
                    .number("ppp_mtu", [](auto &s) -> auto & { return s.pppMtu; })
                    .onOff("ppp_manual_dns", [](auto &s) -> auto & { return s.pppManualDns; })
                    .text("ppp_dns", [](auto &s) -> auto & { return s.pppDns; });
            }),
        Row<HostPageSettings>(FileTab::HostName, Kind::Record, 3044, "Host Name")
            .fromRecord(&L60::HostFromRecord)
            .command(&L60::HostCommand)
            .checks(&CheckHostPage)
            .fields("host", [](ConfigFieldRows<HostPageSettings> &r) {
                r.text("host", [](auto &s) -> auto & { return s.host; })
                    .text("domain", [](auto &s) -> auto & { return s.domain; });
            }),
        // Its values are commands, not settings: no fields, and its own Save runs
        // CheckAccountSave rather than the page checks.
        Row<AccountPageSettings>(FileTab::Account, Kind::Account, 3049, "Account"),
        Row<std::monostate>(FileTab::CameraUpdate, Kind::Update, 3065, "Camera Update"),
        Row<DdnsSettings>(FileTab::Ddns, Kind::Files, 3113, "DDNS")
            .files(ConfigFileSet::Ddns)
            .reads(&DdnsConfig::read)
            .writes(&DdnsConfig::write)
            .checks(&CheckDdnsPage)
            .fields("ddns", [](ConfigFieldRows<DdnsSettings> &r) {
                r.onOff("enabled", [](auto &s) -> auto & { return s.enabled; })
                    .text("id", [](auto &s) -> auto & { return s.id; })
                    .secret("password", [](auto &s) -> auto & { return s.password; })
                    .text("handle", [](auto &s) -> auto & { return s.handle; });
            }),
        Row<WebServerSettings>(FileTab::WebServer, Kind::Files, 3119, "Web Server")
            .files(ConfigFileSet::WebServer)
            .reads(&WebServerConfig::read)
            .writes(&WebServerConfig::write)
            .checks(&CheckWebServerPage)
            .fields("web", [](ConfigFieldRows<WebServerSettings> &r) {
                r.number("port", [](auto &s) -> auto & { return s.port; })
                    .text("title", [](auto &s) -> auto & { return s.title; });
            }),
        Row<StreamServerSettings>(FileTab::StreamServer, Kind::Files, 3122, "Stream Server")
            .files(ConfigFileSet::StreamServer)
            .reads(&StreamServerConfig::read)
            .writes(&StreamServerConfig::write)
            .checks(&CheckStreamServerPage)
            .fields("stream", [](ConfigFieldRows<StreamServerSettings> &r) {
                r.number("port", [](auto &s) -> auto & { return s.port; })
                    .onOff("udp", [](auto &s) -> auto & { return s.udpEnabled; })
                    .number("udp_max_connect", [](auto &s) -> auto & { return s.udpMaxConnect; })
                    .onOff("tcp", [](auto &s) -> auto & { return s.tcpEnabled; })
                    .number("tcp_max_connect", [](auto &s) -> auto & { return s.tcpMaxConnect; });
            }),
        // Each source shows its own file; the models without motion detection have no
        // motion file.
        Row<EventPageSettings>(FileTab::EventServer, Kind::Files, 3128, "Event Server")
            .files(ConfigFileSet::EventWithMotion, ConfigFileSet::EventWithoutMotion)
            .reads([](const PageReadInput &in, EventPageSettings &s) {
                s.source = in.source;
                return EventConfig::read(in.folder, in.source, s.values);
            })
            .writes([](const QString &folder, const EventPageSettings &s) {
                return EventConfig::write(folder, s.source, s.values, s.activate);
            })
            .checks(&CheckEventPage)
            .fields("event", [](ConfigFieldTable &t, const QString &page) {
                for (EventSource s :
                     {EventSource::DigitalInput, EventSource::Motion, EventSource::Timer})
                    addEventFields(t, page, s);
            }),
        // The resolution box's items read "QCIF ( 160 X 120 )" and so on; scripts give
        // the first word.
        Row<InitialVideoSettings>(FileTab::InitialVideo, Kind::Files, 3156, "Initial Video")
            .files(ConfigFileSet::InitialVideo)
            .reads(&InitialVideoConfig::read)
            .writes(&InitialVideoConfig::write)
            .fields("video", [](ConfigFieldRows<InitialVideoSettings> &r) {
                r.choice(
                     "standard", words({"ntsc", "pal"}),
                     [](const InitialVideoSettings &s) { return s.pal ? 1 : 0; },
                     [](InitialVideoSettings &s, int i) { s.pal = i == 1; })
                    .box("resolution", words({"QCIF", "CIF", "VGA"}),
                         [](auto &s) -> auto & { return s.resolutionIndex; })
                    .box("quality", qualities(), [](auto &s) -> auto & { return s.qualityIndex; })
                    .onOff("flickerless", [](auto &s) -> auto & { return s.flickerless; });
            }),
        Row<CameraControlSettings>(FileTab::CameraControl, Kind::Files, 3083, "Camera Control")
            .files(ConfigFileSet::CameraControl)
            .reads([](const PageReadInput &in, CameraControlSettings &s) {
                return CameraControlConfig::read(in.folder, FilterDirectoryListing(in.listing), s);
            })
            .writes(&CameraControlConfig::write)
            .checks([](const CameraControlSettings &s, const PageCheckContext &c) {
                return CheckCameraControlPage(s, c.channelOneModelBox);
            })
            .fields("camera", [](ConfigFieldTable &t, const QString &page) {
                for (int c = 0; c < CameraControlSettings::Channels; ++c) {
                    const auto channel = [c](auto &s) -> auto & { return s.channels[size_t(c)]; };
                    const QString prefix = QStringLiteral("ch%1.").arg(c + 1);
                    ConfigFieldRows<CameraControlSettings>(t, page, prefix)
                        .text("alias", [channel](auto &s) -> auto & { return channel(s).alias; })
                        .daemonBox("model",
                                   [channel](auto &s) -> auto & { return channel(s).daemonIndex; })
                        .number("id", [channel](auto &s) -> auto & { return channel(s).id; });
                }
            }),
        Row<SystemInfoSettings>(FileTab::SystemInfo, Kind::Files, 3091, "System Info")
            .files(ConfigFileSet::SystemInfo)
            .reads(&SystemInfoConfig::read)
            .writes(&SystemInfoConfig::write)
            .checks(&CheckSystemInfoPage)
            .fields("system", [](ConfigFieldRows<SystemInfoSettings> &r) {
                r.shownOnly("model", [](auto &s) -> auto & { return s.modelName; })
                    .shownOnly("serial", [](auto &s) -> auto & { return s.serialNo; })
                    .shownOnly("version", [](auto &s) -> auto & { return s.softwareVersion; })
                    .text("location", [](auto &s) -> auto & { return s.location; })
                    .text("email", [](auto &s) -> auto & { return s.email; });
            }),
        // Unset is no item: it reads as "" and cannot be chosen.
        Row<SecuritySettings>(FileTab::Security, Kind::Files, 3097, "Security")
            .files(ConfigFileSet::Security)
            .reads(&SecurityConfig::read)
            .writes(&SecurityConfig::write)
            .fields("security", [](ConfigFieldRows<SecuritySettings> &r) {
                r.choice(
                    "level", words({"low", "medium", "high"}),
                    [](const SecuritySettings &s) { return int(s.level) - int(Level::Low); },
                    [](SecuritySettings &s, int i) { s.level = Level(i + int(Level::Low)); });
            }),
        Row<AudioSettings>(FileTab::Audio, Kind::Files, 3102, "Audio")
            .files(ConfigFileSet::Audio)
            .needsAudio()
            .reads(&AudioConfig::read)
            .writes(&AudioConfig::write)
            .checks(&CheckAudioPage)
            .fields("audio", [](ConfigFieldRows<AudioSettings> &r) {
                r.number("port", [](auto &s) -> auto & { return s.port; })
                    .number("max_connect", [](auto &s) -> auto & { return s.maxConnect; })
                    .signedNumber("sampling_volume",
                                  [](auto &s) -> auto & { return s.samplingVolume; })
                    .signedNumber("playback_volume",
                                  [](auto &s) -> auto & { return s.playbackVolume; });
            }),
    };
}

} // namespace

QString FilePageRow::titleText() const
{
    return GetString(titleId, QString::fromLatin1(title));
}

int FilePageRow::setOf(quint8 modelCode) const
{
    return PageFiles::HasMotionDetection(modelCode) ? set : setWithoutMotion;
}

namespace FilePageTable {

const QList<FilePageRow> &rows()
{
    static const QList<FilePageRow> table = buildRows();
    return table;
}

const FilePageRow *of(FileTab tab)
{
    for (const FilePageRow &row : rows()) {
        if (row.tab == tab)
            return &row;
    }
    return nullptr;
}

const FilePageRow *holding(const PageSettings &settings)
{
    for (const FilePageRow &row : rows()) {
        if (row.holds(settings))
            return &row;
    }
    return nullptr;
}

} // namespace FilePageTable

#include "fileconfig/page_files.h"

#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/filter_directory_listing.h"

#include <QFile>

namespace PageFiles {

bool HasMotionDetection(quint8 modelCode)
{
    return modelCode != 2 && modelCode != 6;
}

int SetOf(FileTab tab, quint8 modelCode)
{
    switch (tab) {
    case FileTab::Ddns:
        return ConfigFileSet::Ddns;
    case FileTab::WebServer:
        return ConfigFileSet::WebServer;
    case FileTab::StreamServer:
        return ConfigFileSet::StreamServer;
    case FileTab::EventServer:
        return HasMotionDetection(modelCode) ? ConfigFileSet::EventWithMotion
                                             : ConfigFileSet::EventWithoutMotion;
    case FileTab::InitialVideo:
        return ConfigFileSet::InitialVideo;
    case FileTab::CameraControl:
        return ConfigFileSet::CameraControl;
    case FileTab::SystemInfo:
        return ConfigFileSet::SystemInfo;
    case FileTab::Security:
        return ConfigFileSet::Security;
    case FileTab::Audio:
        return ConfigFileSet::Audio;
    default:
        return -1;
    }
}

const QList<FileTab> &FileTabs()
{
    static const QList<FileTab> tabs = {FileTab::Ddns,         FileTab::WebServer,     FileTab::StreamServer,
                                        FileTab::EventServer,  FileTab::InitialVideo,  FileTab::CameraControl,
                                        FileTab::SystemInfo,   FileTab::Security,      FileTab::Audio};
    return tabs;
}

std::optional<FileTab> TabOfSet(int set)
{
    if (set == ConfigFileSet::EventWithoutMotion)
        return FileTab::EventServer;
    for (FileTab tab : FileTabs()) {
        if (SetOf(tab, 0) == set)
            return tab;
    }
    return std::nullopt;
}

namespace {

template <typename Settings, typename Reader>
ConfigError readInto(PageSettings &out, Reader reader)
{
    Settings s;
    const ConfigError e = reader(s);
    if (e == ConfigError::None)
        out = s;
    return e;
}

struct Writer {
    const QString &folder;
    ConfigError operator()(const DdnsSettings &s) const { return DdnsConfig::write(folder, s); }
    ConfigError operator()(const WebServerSettings &s) const
    {
        return WebServerConfig::write(folder, s);
    }
    ConfigError operator()(const StreamServerSettings &s) const
    {
        return StreamServerConfig::write(folder, s);
    }
    ConfigError operator()(const EventPageSettings &s) const
    {
        return EventConfig::write(folder, s.source, s.values);
    }
    ConfigError operator()(const InitialVideoSettings &s) const
    {
        return InitialVideoConfig::write(folder, s);
    }
    ConfigError operator()(const CameraControlSettings &s) const
    {
        return CameraControlConfig::write(folder, s);
    }
    ConfigError operator()(const SystemInfoSettings &s) const
    {
        return SystemInfoConfig::write(folder, s);
    }
    ConfigError operator()(const SecuritySettings &s) const
    {
        return SecurityConfig::write(folder, s);
    }
    ConfigError operator()(const AudioSettings &s) const { return AudioConfig::write(folder, s); }
    // Pages without files have nothing to write.
    template <typename Other>
    ConfigError operator()(const Other &) const
    {
        return ConfigError::Write;
    }
};

} // namespace

ConfigError Read(FileTab tab, const QString &folder, const QStringList &listing,
                 EventSource source, PageSettings &out)
{
    switch (tab) {
    case FileTab::Ddns:
        return readInto<DdnsSettings>(out, [&](auto &s) { return DdnsConfig::read(folder, s); });
    case FileTab::WebServer:
        return readInto<WebServerSettings>(
            out, [&](auto &s) { return WebServerConfig::read(folder, s); });
    case FileTab::StreamServer:
        return readInto<StreamServerSettings>(
            out, [&](auto &s) { return StreamServerConfig::read(folder, s); });
    case FileTab::EventServer:
        return readInto<EventPageSettings>(out, [&](auto &s) {
            s.source = source;
            return EventConfig::read(folder, source, s.values);
        });
    case FileTab::InitialVideo:
        return readInto<InitialVideoSettings>(
            out, [&](auto &s) { return InitialVideoConfig::read(folder, s); });
    case FileTab::CameraControl:
        return readInto<CameraControlSettings>(out, [&](auto &s) {
            return CameraControlConfig::read(folder, FilterDirectoryListing(listing), s);
        });
    case FileTab::SystemInfo:
        return readInto<SystemInfoSettings>(
            out, [&](auto &s) { return SystemInfoConfig::read(folder, s); });
    case FileTab::Security:
        return readInto<SecuritySettings>(
            out, [&](auto &s) { return SecurityConfig::read(folder, s); });
    case FileTab::Audio:
        return readInto<AudioSettings>(out, [&](auto &s) { return AudioConfig::read(folder, s); });
    default:
        return ConfigError::Parse;
    }
}

ConfigError Write(const QString &folder, const PageSettings &settings)
{
    return std::visit(Writer{folder}, settings);
}

bool CopySet(const QString &from, const QString &to, int set)
{
    for (const QString &name : ConfigFileSet(set).localNames()) {
        const auto bytes = ConfigFiles::load(from, name);
        if (bytes && !ConfigFiles::save(to, name, *bytes))
            return false;
    }
    return true;
}

Snapshot Take(const QString &folder, int set)
{
    Snapshot snapshot;
    if (set < 0)
        return snapshot;
    for (const QString &name : ConfigFileSet(set).localNames())
        snapshot.insert(name, ConfigFiles::load(folder, name));
    return snapshot;
}

bool PutBack(const QString &folder, const Snapshot &snapshot)
{
    bool ok = true;
    for (auto it = snapshot.cbegin(); it != snapshot.cend(); ++it) {
        if (it.value())
            ok = ConfigFiles::save(folder, it.key(), *it.value()) && ok;
        else if (ConfigFiles::exists(folder, it.key()))
            ok = QFile::remove(ConfigFiles::pathOf(folder, it.key())) && ok;
    }
    return ok;
}

} // namespace PageFiles

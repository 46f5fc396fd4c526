#include "fileconfig/config_file_set.h"

#include "protoconfig/commands.h"

namespace {

struct SetFiles {
    QStringList remote;
    QStringList local;
};

SetFiles filesOf(int number)
{
    switch (number) {
    case ConfigFileSet::Ddns:
        return {{QStringLiteral("/etc/ddns.conf")}, {QStringLiteral("ddns.conf")}};
    case ConfigFileSet::WebServer:
        return {{QStringLiteral("/etc/thttpd.conf"), QStringLiteral("/etc/html/title.js")},
                {QStringLiteral("thttpd.conf"), QStringLiteral("title.js")}};
    case ConfigFileSet::StreamServer:
        return {{QStringLiteral("/etc/udp_server.conf"), QStringLiteral("/etc/tcp_server.conf"),
                 QStringLiteral("/etc/rc.server")},
                {QStringLiteral("udp_server.conf"), QStringLiteral("tcp_server.conf"),
                 QStringLiteral("rc.server")}};
    case ConfigFileSet::EventWithMotion:
        return {{QStringLiteral("/etc/event/dio_input.conf"),
                 QStringLiteral("/etc/event/periodic_timer.conf"),
                 QStringLiteral("/etc/event/hw_motion.conf")},
                {QStringLiteral("dio_input.conf"), QStringLiteral("periodic_timer.conf"),
                 QStringLiteral("hw_motion.conf")}};
    case ConfigFileSet::InitialVideo:
        return {{QStringLiteral("/etc/middle.conf")}, {QStringLiteral("middle.conf")}};
    case ConfigFileSet::CameraControl:
        return {{QStringLiteral("/etc/control.conf")}, {QStringLiteral("control.conf")}};
    case ConfigFileSet::SystemInfo:
        return {{QStringLiteral("/etc/general.conf")}, {QStringLiteral("general.conf")}};
    case ConfigFileSet::Security:
        return {{QStringLiteral("/etc/rc.iptables")}, {QStringLiteral("rc.iptables")}};
    case ConfigFileSet::Audio:
        return {{QStringLiteral("/etc/audio.conf")}, {QStringLiteral("audio.conf")}};
    case ConfigFileSet::EventWithoutMotion:
        return {{QStringLiteral("/etc/event/dio_input.conf"),
                 QStringLiteral("/etc/event/periodic_timer.conf")},
                {QStringLiteral("dio_input.conf"), QStringLiteral("periodic_timer.conf")}};
    default:
        // The daemon sets name their file through the run; the others carry none.
        return {};
    }
}

} // namespace

QStringList ConfigFileSet::remotePaths() const
{
    return filesOf(m_number).remote;
}

QStringList ConfigFileSet::localNames() const
{
    return filesOf(m_number).local;
}

QStringList ConfigFileSet::finishOrder() const
{
    switch (m_number) {
    case EventWithMotion:
        // The timer file goes into place last, after the files it refers to.
        return {QStringLiteral("/etc/event/dio_input.conf"),
                QStringLiteral("/etc/event/hw_motion.conf"),
                QStringLiteral("/etc/event/periodic_timer.conf")};
    case EventWithoutMotion:
        return {QStringLiteral("/etc/event/dio_input.conf"),
                QStringLiteral("/etc/event/periodic_timer.conf")};
    default:
        return usesTemporaryNames() ? remotePaths() : QStringList();
    }
}

QString ConfigFileSet::siteAfterFinish() const
{
    switch (m_number) {
    case StreamServer:
        return QStringLiteral("chmod 755 /etc/rc.server");
    case Security:
        return QStringLiteral("chmod 755 /etc/rc.iptables");
    default:
        return {};
    }
}

bool ConfigFileSet::listsDaemonFolder() const
{
    return m_number == CameraControl || m_number == DaemonListing || m_number == DaemonAdd
           || m_number == DaemonDelete;
}

bool ConfigFileSet::usesTemporaryNames() const
{
    // Every set with files of its own sends them under temporary names first.
    return !filesOf(m_number).remote.isEmpty();
}

quint8 ConfigFileSet::applyAction() const
{
    return (m_number == InitialVideo || m_number == RestartOnly)
               ? Commands::kActionRestartAfterUpload
               : Commands::kActionApply;
}

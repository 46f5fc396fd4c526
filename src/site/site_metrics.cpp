#include "site/site_metrics.h"

#include "site/site_watch.h"

namespace {

struct Label {
    const char *name;
    QString value;
};

QByteArray labels(std::initializer_list<Label> list)
{
    QByteArray out = "{";
    bool first = true;
    for (const Label &l : list) {
        if (!first)
            out += ',';
        first = false;
        out += l.name;
        out += "=\"";
        out += SiteMetrics::labelValue(l.value);
        out += '"';
    }
    return out + '}';
}

void family(QByteArray &out, const char *name, const char *type, const char *help)
{
    out += "# HELP ";
    out += name;
    out += ' ';
    out += help;
    out += "\n# TYPE ";
    out += name;
    out += ' ';
    out += type;
    out += '\n';
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 15);
}

} // namespace

QByteArray SiteMetrics::labelValue(const QString &value)
{
    QByteArray out;
    const QByteArray utf8 = value.toUtf8();
    out.reserve(utf8.size());
    for (const char c : utf8) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

QByteArray SiteMetrics::text(const SiteWatch &watch)
{
    QByteArray out;
    const auto &cameras = watch.cameras();
    out.reserve(qsizetype(cameras.size()) * 220 + 1024);
    family(out, "zora_camera_up", "gauge", "1 while the camera answers, 0 once it is gone.");
    for (const SiteWatch::Camera &c : cameras) {
        out += "zora_camera_up";
        out += labels({{"mac", c.mac}, {"model", c.model}, {"address", c.address}, {"host", c.host},
                       {"adapter", c.adapter}});
        out += c.up ? " 1\n" : " 0\n";
    }
    family(out, "zora_camera_last_seen_timestamp_seconds", "gauge",
           "When the camera last answered, in seconds since the epoch.");
    for (const SiteWatch::Camera &c : cameras) {
        if (!c.lastSeen.isValid())
            continue;
        out += "zora_camera_last_seen_timestamp_seconds";
        out += labels({{"mac", c.mac}});
        out += ' ' + number(c.lastSeen.toMSecsSinceEpoch() / 1000.0) + '\n';
    }
    family(out, "zora_camera_address_conflict", "gauge",
           "1 for each address conflict of a camera: shared_address, mac_from_two_addresses, own_address.");
    const SiteWatch::Conflicts &conflicts = watch.conflicts();
    for (auto it = conflicts.cbegin(); it != conflicts.cend(); ++it) {
        out += "zora_camera_address_conflict";
        out += labels({{"mac", it.key().first}, {"kind", it.key().second}});
        out += " 1\n";
    }
    int up = 0;
    for (const SiteWatch::Camera &c : cameras)
        up += c.up ? 1 : 0;
    family(out, "zora_cameras", "gauge", "Cameras the watch knows, by whether they answer.");
    out += "zora_cameras{state=\"up\"} " + QByteArray::number(up) + '\n';
    out += "zora_cameras{state=\"gone\"} " + QByteArray::number(cameras.size() - up) + '\n';
    family(out, "zora_scan_rounds_total", "counter", "Discovery rounds the watch has completed.");
    out += "zora_scan_rounds_total " + QByteArray::number(watch.roundsDone()) + '\n';
    family(out, "zora_scan_duration_seconds", "gauge",
           "From the last round's first request to the last answer it got.");
    out += "zora_scan_duration_seconds " + number(watch.lastRoundSeconds()) + '\n';
    family(out, "zora_watch_start_time_seconds", "gauge", "When the watch started, in seconds since the epoch.");
    const qint64 start = watch.startTime().isValid() ? watch.startTime().toSecsSinceEpoch() : 0;
    out += "zora_watch_start_time_seconds " + QByteArray::number(start) + '\n';
    return out;
}

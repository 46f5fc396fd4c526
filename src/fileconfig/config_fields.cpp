#include "fileconfig/config_fields.h"

#include <algorithm>
#include <functional>

namespace {

using Kind = ConfigField::Kind;

// A field and how to reach its value. The value travels as text in the kind's own
// spelling: "on"/"off", the item word as the items spell it, or the text itself.
struct Binding {
    ConfigField field;
    std::optional<EventSource> source; // event fields: the file they belong to
    std::function<bool(const PageSettings &)> holds;
    std::function<QString(const PageSettings &)> read;
    std::function<void(PageSettings &, const QString &)> write;
    // Choice items that depend on the settings (the model boxes); else field.items.
    std::function<QStringList(const PageSettings &)> itemsIn;
};

QString onOffWord(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString shown(const QByteArray &bytes)
{
    return PageText::fromBytes(bytes);
}

QString shown(const QString &text)
{
    return text;
}

void store(QByteArray &bytes, const QString &text)
{
    bytes = PageText::toBytes(text);
}

void store(QString &target, const QString &text)
{
    target = text;
}

QStringList words(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *w : list)
        out << QLatin1String(w);
    return out;
}

QStringList numbers(int first, int last)
{
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << QString::number(n);
    return out;
}

// The quality box: "10" .. "90".
QStringList qualities()
{
    QStringList out;
    for (int n = 1; n <= InitialVideoSettings::QualityItems; ++n)
        out << QString::number(n * 10);
    return out;
}

QString sourceWord(EventSource source)
{
    switch (source) {
    case EventSource::Motion:
        return QStringLiteral("motion");
    case EventSource::Timer:
        return QStringLiteral("timer");
    case EventSource::DigitalInput:
        break;
    }
    return QStringLiteral("input");
}

// The rows of one page, whose settings are the alternative S. References into the
// settings are generic lambdas, `[](auto &s) -> auto & { return s.port; }`, so that one
// lambda serves both reading and writing.
template <typename S>
class Rows
{
public:
    Rows(QList<Binding> &table, const char *page, QString prefix = {},
         std::optional<EventSource> source = {})
        : m_table(table)
        , m_page(QLatin1String(page))
        , m_prefix(std::move(prefix))
        , m_source(source)
    {
    }

    template <typename Ref>
    Rows &text(const char *name, Ref ref, Kind kind = Kind::Text)
    {
        Binding &b = add(name, kind);
        b.read = [ref](const PageSettings &p) { return shown(ref(std::get<S>(p))); };
        b.write = [ref](PageSettings &p, const QString &v) { store(ref(std::get<S>(p)), v); };
        return *this;
    }
    template <typename Ref>
    Rows &number(const char *name, Ref ref)
    {
        return text(name, ref, Kind::Number);
    }
    template <typename Ref>
    Rows &signedNumber(const char *name, Ref ref)
    {
        text(name, ref, Kind::Number);
        m_table.last().field.signedNumber = true;
        return *this;
    }
    template <typename Ref>
    Rows &secret(const char *name, Ref ref)
    {
        text(name, ref);
        m_table.last().field.secret = true;
        return *this;
    }
    template <typename Ref>
    Rows &shownOnly(const char *name, Ref ref)
    {
        text(name, ref);
        m_table.last().field.settable = false;
        return *this;
    }
    template <typename Ref>
    Rows &onOff(const char *name, Ref ref)
    {
        Binding &b = add(name, Kind::OnOff);
        b.read = [ref](const PageSettings &p) { return onOffWord(ref(std::get<S>(p))); };
        b.write = [ref](PageSettings &p, const QString &v) {
            ref(std::get<S>(p)) = v == onOffWord(true);
        };
        return *this;
    }
    // A box by item index; an index outside the items (-1: none chosen) reads as "".
    template <typename Get, typename Put>
    Rows &choice(const char *name, const QStringList &items, Get get, Put put)
    {
        Binding &b = add(name, Kind::Choice);
        b.field.items = items;
        b.read = [get, items](const PageSettings &p) {
            const int index = get(std::get<S>(p));
            return index >= 0 && index < items.size() ? items.at(index) : QString();
        };
        b.write = [put, items](PageSettings &p, const QString &v) {
            put(std::get<S>(p), int(items.indexOf(v)));
        };
        return *this;
    }
    template <typename Ref>
    Rows &box(const char *name, const QStringList &items, Ref ref)
    {
        return choice(
            name, items, [ref](const S &s) { return ref(s); },
            [ref](S &s, int index) { ref(s) = index; });
    }
    // A model box: "none" and then the daemon names the settings carry.
    template <typename Ref>
    Rows &daemonBox(const char *name, Ref ref)
    {
        Binding &b = add(name, Kind::Choice);
        b.itemsIn = [](const PageSettings &p) {
            return QStringList{QStringLiteral("none")} + std::get<S>(p).daemons;
        };
        b.read = [ref, items = b.itemsIn](const PageSettings &p) {
            const int index = ref(std::get<S>(p));
            const QStringList all = items(p);
            return index >= 0 && index < all.size() ? all.at(index) : QString();
        };
        b.write = [ref, items = b.itemsIn](PageSettings &p, const QString &v) {
            const int index = int(items(p).indexOf(v));
            ref(std::get<S>(p)) = index;
        };
        return *this;
    }

private:
    Binding &add(const char *name, Kind kind)
    {
        Binding b;
        b.field.page = m_page;
        b.field.name = m_prefix + QLatin1String(name);
        b.field.kind = kind;
        b.source = m_source;
        b.holds = [](const PageSettings &p) { return std::holds_alternative<S>(p); };
        m_table.append(std::move(b));
        return m_table.last();
    }

    QList<Binding> &m_table;
    QString m_page;
    QString m_prefix;
    std::optional<EventSource> m_source;
};

void addNetwork(QList<Binding> &t)
{
    using S = NetworkPageSettings;
    // The DNS field's use (dnsEnabled) is the camera's, not a setting.
    Rows<S>(t, "network")
        .choice(
            "type", words({"static", "dhcp", "pppoe"}), [](const S &s) { return int(s.type); },
            [](S &s, int i) { s.type = L60NetworkType(i); })
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
    Rows<HostPageSettings>(t, "host")
        .text("host", [](auto &s) -> auto & { return s.host; })
        .text("domain", [](auto &s) -> auto & { return s.domain; });
}

void addFilePages(QList<Binding> &t)
{
    Rows<DdnsSettings>(t, "ddns")
        .onOff("enabled", [](auto &s) -> auto & { return s.enabled; })
        .text("id", [](auto &s) -> auto & { return s.id; })
        .secret("password", [](auto &s) -> auto & { return s.password; })
        .text("handle", [](auto &s) -> auto & { return s.handle; });
    Rows<WebServerSettings>(t, "web")
        .number("port", [](auto &s) -> auto & { return s.port; })
        .text("title", [](auto &s) -> auto & { return s.title; });
    Rows<StreamServerSettings>(t, "stream")
        .number("port", [](auto &s) -> auto & { return s.port; })
        .onOff("udp", [](auto &s) -> auto & { return s.udpEnabled; })
        .number("udp_max_connect", [](auto &s) -> auto & { return s.udpMaxConnect; })
        .onOff("tcp", [](auto &s) -> auto & { return s.tcpEnabled; })
        .number("tcp_max_connect", [](auto &s) -> auto & { return s.tcpMaxConnect; });
}

void addEvent(QList<Binding> &t, EventSource source)
{
    using S = EventPageSettings;
    Rows<S> rows(t, "event", sourceWord(source) + QLatin1Char('.'), source);
    // Only the motion file holds the area and sensitivity, only the timer's the period.
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

void addVideo(QList<Binding> &t)
{
    using S = InitialVideoSettings;
    // The resolution box's items read "QCIF ( 160 X 120 )" and so on; scripts give the
    // first word.
    Rows<S>(t, "video")
        .choice(
            "standard", words({"ntsc", "pal"}), [](const S &s) { return s.pal ? 1 : 0; },
            [](S &s, int i) { s.pal = i == 1; })
        .box("resolution", words({"QCIF", "CIF", "VGA"}),
             [](auto &s) -> auto & { return s.resolutionIndex; })
        .box("quality", qualities(),
             [](auto &s) -> auto & { return s.qualityIndex; })
        .onOff("flickerless", [](auto &s) -> auto & { return s.flickerless; });
}

void addCamera(QList<Binding> &t)
{
    for (int c = 0; c < CameraControlSettings::Channels; ++c) {
        const QString prefix = QStringLiteral("ch%1.").arg(c + 1);
        const auto channel = [c](auto &s) -> auto & { return s.channels[size_t(c)]; };
        Rows<CameraControlSettings>(t, "camera", prefix)
            .text("alias", [channel](auto &s) -> auto & { return channel(s).alias; })
            .daemonBox("model", [channel](auto &s) -> auto & { return channel(s).daemonIndex; })
            .number("id", [channel](auto &s) -> auto & { return channel(s).id; });
    }
}

void addRest(QList<Binding> &t)
{
    Rows<SystemInfoSettings>(t, "system")
        .shownOnly("model", [](auto &s) -> auto & { return s.modelName; })
        .shownOnly("serial", [](auto &s) -> auto & { return s.serialNo; })
        .shownOnly("version", [](auto &s) -> auto & { return s.softwareVersion; })
        .text("location", [](auto &s) -> auto & { return s.location; })
        .text("email", [](auto &s) -> auto & { return s.email; });
    using Level = SecuritySettings::Level;
    // Unset is no item: it reads as "" and cannot be chosen.
    Rows<SecuritySettings>(t, "security")
        .choice(
            "level", words({"low", "medium", "high"}),
            [](const SecuritySettings &s) { return int(s.level) - int(Level::Low); },
            [](SecuritySettings &s, int i) { s.level = Level(i + int(Level::Low)); });
    Rows<AudioSettings>(t, "audio")
        .number("port", [](auto &s) -> auto & { return s.port; })
        .number("max_connect", [](auto &s) -> auto & { return s.maxConnect; })
        .signedNumber("sampling_volume", [](auto &s) -> auto & { return s.samplingVolume; })
        .signedNumber("playback_volume", [](auto &s) -> auto & { return s.playbackVolume; });
}

const QList<Binding> &table()
{
    static const QList<Binding> rows = [] {
        QList<Binding> t;
        addNetwork(t);
        addFilePages(t);
        for (EventSource s : {EventSource::DigitalInput, EventSource::Motion, EventSource::Timer})
            addEvent(t, s);
        addVideo(t);
        addCamera(t);
        addRest(t);
        return t;
    }();
    return rows;
}

const std::pair<const char *, FileTab> kPages[] = {
    {"network", FileTab::NetworkInfo},   {"host", FileTab::HostName},
    {"ddns", FileTab::Ddns},             {"web", FileTab::WebServer},
    {"stream", FileTab::StreamServer},   {"event", FileTab::EventServer},
    {"video", FileTab::InitialVideo},    {"camera", FileTab::CameraControl},
    {"system", FileTab::SystemInfo},     {"security", FileTab::Security},
    {"audio", FileTab::Audio},
};

// The rows that apply to these settings: their page's, and for the event page only
// those of its source.
bool applies(const Binding &b, const PageSettings &settings)
{
    if (!b.holds(settings))
        return false;
    return !b.source || std::get<EventPageSettings>(settings).source == *b.source;
}

std::optional<bool> parseOnOff(const QString &value)
{
    static const QStringList on = words({"on", "yes", "true", "1"});
    static const QStringList off = words({"off", "no", "false", "0"});
    if (on.contains(value, Qt::CaseInsensitive))
        return true;
    if (off.contains(value, Qt::CaseInsensitive))
        return false;
    return std::nullopt;
}

bool isNumber(const QString &value, bool allowMinus)
{
    const qsizetype first = allowMinus && value.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (value.size() == first)
        return false;
    for (qsizetype i = first; i < value.size(); ++i) {
        if (value.at(i) < QLatin1Char('0') || value.at(i) > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

QString ConfigField::key() const
{
    return page + QLatin1Char('.') + name;
}

QString ConfigField::kindText() const
{
    switch (kind) {
    case Kind::Number:
        return signedNumber ? QStringLiteral("number (may be negative)")
                            : QStringLiteral("number");
    case Kind::OnOff:
        return QStringLiteral("on/off");
    case Kind::Choice:
        if (items.isEmpty())
            return QStringLiteral("choice: none or a model the camera lists");
        return QStringLiteral("choice: ") + items.join(QLatin1Char('|'));
    case Kind::Text:
        break;
    }
    return QStringLiteral("text");
}

namespace ConfigFields {

QStringList pages()
{
    QStringList out;
    for (const auto &page : kPages)
        out << QLatin1String(page.first);
    return out;
}

std::optional<FileTab> tabOf(const QString &page)
{
    for (const auto &p : kPages) {
        if (page == QLatin1String(p.first))
            return p.second;
    }
    return std::nullopt;
}

QString pageOf(FileTab tab)
{
    for (const auto &p : kPages) {
        if (p.second == tab)
            return QLatin1String(p.first);
    }
    return {};
}

QList<ConfigField> fields(const QString &page)
{
    QList<ConfigField> out;
    for (const Binding &b : table()) {
        if (page.isEmpty() || b.field.page == page)
            out.append(b.field);
    }
    return out;
}

std::optional<ConfigField> field(const QString &key)
{
    for (const Binding &b : table()) {
        if (b.field.key() == key)
            return b.field;
    }
    return std::nullopt;
}

std::optional<EventSource> eventSourceOf(const QString &fieldName)
{
    const qsizetype dot = fieldName.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return std::nullopt;
    const QStringView word = QStringView(fieldName).left(dot);
    for (EventSource s : {EventSource::DigitalInput, EventSource::Motion, EventSource::Timer}) {
        if (word == sourceWord(s))
            return s;
    }
    return std::nullopt;
}

QList<std::pair<QString, QString>> values(const PageSettings &settings)
{
    QList<std::pair<QString, QString>> out;
    for (const Binding &b : table()) {
        if (applies(b, settings))
            out.append({b.field.key(), b.read(settings)});
    }
    return out;
}

bool set(PageSettings &settings, const QString &fieldName, const QString &value,
         QString *error)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    // The page is the one whose settings these are; Account and Camera Update have none.
    const Binding *row = nullptr;
    QString page;
    for (const Binding &b : table()) {
        if (!b.holds(settings))
            continue;
        page = b.field.page;
        if (b.field.name == fieldName) {
            row = &b;
            break;
        }
    }
    if (!row) {
        if (page.isEmpty())
            return fail(QStringLiteral("no field %1 on this page").arg(fieldName));
        return fail(QStringLiteral("no field %1.%2").arg(page, fieldName));
    }
    const ConfigField &f = row->field;
    const QString key = f.key();
    if (!f.settable)
        return fail(key + QStringLiteral(" is shown only"));
    if (row->source) {
        const EventSource held = std::get<EventPageSettings>(settings).source;
        if (held != *row->source) {
            return fail(QStringLiteral("%1 is for the %2 source, the settings hold %3")
                            .arg(key, sourceWord(*row->source), sourceWord(held)));
        }
    }

    QString stored = value;
    switch (f.kind) {
    case Kind::Text:
        break;
    case Kind::Number:
        if (!isNumber(value, f.signedNumber))
            return fail(key + QStringLiteral(" takes a number"));
        break;
    case Kind::OnOff: {
        const std::optional<bool> on = parseOnOff(value);
        if (!on)
            return fail(key + QStringLiteral(" takes on or off"));
        stored = onOffWord(*on);
        break;
    }
    case Kind::Choice: {
        const QStringList items = row->itemsIn ? row->itemsIn(settings) : f.items;
        const auto match = std::find_if(items.begin(), items.end(), [&value](const QString &i) {
            return i.compare(value, Qt::CaseInsensitive) == 0;
        });
        if (match == items.end())
            return fail(key + QStringLiteral(" is one of: ") + items.join(QStringLiteral(", ")));
        stored = *match;
        break;
    }
    }
    row->write(settings, stored);
    return true;
}

} // namespace ConfigFields

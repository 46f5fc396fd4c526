// The names scripts give the values of the settings pages: each reads back what was set,
// refuses what does not fit, and reaches its own value and no other.
#include "fileconfig/config_fields.h"

#include <QTest>

Q_DECLARE_METATYPE(PageSettings)

namespace {

EventPageSettings eventOf(EventSource source)
{
    EventPageSettings s;
    s.source = source;
    return s;
}

CameraControlSettings cameras()
{
    CameraControlSettings s;
    s.daemons = QStringList{"pelco-d", "Sony-VISCA"};
    return s;
}

QString valueOf(const PageSettings &settings, const QString &key)
{
    for (const auto &[k, v] : ConfigFields::values(settings)) {
        if (k == key)
            return v;
    }
    return "<not listed>";
}

// Fresh settings of every page in table order, the event page once per source.
const QList<PageSettings> &samples()
{
    static const QList<PageSettings> all{
        NetworkPageSettings{},          HostPageSettings{},
        DdnsSettings{},                 WebServerSettings{},
        StreamServerSettings{},         eventOf(EventSource::DigitalInput),
        eventOf(EventSource::Motion),   eventOf(EventSource::Timer),
        InitialVideoSettings{},         cameras(),
        SystemInfoSettings{},           SecuritySettings{},
        AudioSettings{}};
    return all;
}

// A value the field does not hold yet.
QString otherValue(const ConfigField &f, const QString &current)
{
    switch (f.kind) {
    case ConfigField::Kind::Text: return "v-" + f.name;
    case ConfigField::Kind::Number: return "4321";
    case ConfigField::Kind::OnOff: return current == "on" ? "off" : "on";
    case ConfigField::Kind::Choice: break;
    }
    const QStringList items =
        f.items.isEmpty() ? QStringList{"none"} + cameras().daemons : f.items;
    return current == items.last() ? items.first() : items.last();
}

} // namespace

class TestConfigFields : public QObject
{
    Q_OBJECT

private slots:
    void setThenRead_data();
    void setThenRead();
    void reads_data();
    void reads();
    void refused_data();
    void refused();
    void everySettableFieldReachesItsOwnValue();
    void valuesListTheTableInOrder();
    void lookup_data();
    void lookup();
    void pages();
};

void TestConfigFields::setThenRead_data()
{
    QTest::addColumn<PageSettings>("settings");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    const auto row = [](const char *tag, const PageSettings &s, const char *key,
                        const QString &value, const QString &shown) {
        QTest::newRow(tag) << s << QString(key) << value << shown;
    };
    const PageSettings ddns = DdnsSettings{};
    const PageSettings video = InitialVideoSettings{};
    row("type in capitals", NetworkPageSettings{}, "network.type", "PPPoE", "pppoe");
    row("on by yes", ddns, "ddns.enabled", "Yes", "on");
    row("off by 0", DdnsSettings{true, {}, {}, {}}, "ddns.enabled", "0", "off");
    row("latin-1 text", ddns, "ddns.handle", "caf\u00e9", "caf\u00e9");
    row("beyond 8 bits", WebServerSettings{}, "web.title", "a\u20ac", "a\x7f");
    row("area word", eventOf(EventSource::Motion), "event.motion.area", "Center", "center");
    row("standard", video, "video.standard", "PAL", "pal");
    row("resolution word", video, "video.resolution", "vga", "VGA");
    row("model by daemon name", cameras(), "camera.ch3.model", "sony-visca", "Sony-VISCA");
    row("model none", cameras(), "camera.ch2.model", "NONE", "none");
    row("security level", SecuritySettings{}, "security.level", "Medium", "medium");
    row("negative volume", AudioSettings{}, "audio.playback_volume", "-255", "-255");
}

void TestConfigFields::setThenRead()
{
    QFETCH(PageSettings, settings);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    QString error;
    QVERIFY2(ConfigFields::set(settings, key.section('.', 1), value, &error), qPrintable(error));
    QCOMPARE(valueOf(settings, key), shown);
}

void TestConfigFields::reads_data()
{
    QTest::addColumn<PageSettings>("settings");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("shown");
    CameraControlSettings cam = cameras();
    cam.channels[0].daemonIndex = 2;
    cam.channels[1].daemonIndex = -1;
    cam.channels[2].daemonIndex = 3; // past the listing
    EventPageSettings motion = eventOf(EventSource::Motion);
    motion.values.areaIndex = 3;
    motion.values.sensitivityIndex = 0;
    SystemInfoSettings info;
    info.modelName = "N\xe9o";
    const auto row = [](const char *tag, const PageSettings &s, const char *key,
                        const QString &shown) { QTest::newRow(tag) << s << QString(key) << shown; };
    row("model by index", cam, "camera.ch1.model", "Sony-VISCA");
    row("model unset", cam, "camera.ch2.model", "");
    row("model past listing", cam, "camera.ch3.model", "");
    row("model none", cam, "camera.ch4.model", "none");
    row("area last item", motion, "event.motion.area", "all");
    row("sensitivity first item", motion, "event.motion.sensitivity", "2");
    row("no resolution chosen", InitialVideoSettings{}, "video.resolution", "");
    row("security unset", SecuritySettings{}, "security.level", "");
    row("shown-only latin-1", info, "system.model", "N\u00e9o");
}

void TestConfigFields::reads()
{
    QFETCH(PageSettings, settings);
    QFETCH(QString, key);
    QFETCH(QString, shown);
    QCOMPARE(valueOf(settings, key), shown);
}

void TestConfigFields::refused_data()
{
    QTest::addColumn<PageSettings>("settings");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    const auto row = [](const char *tag, const PageSettings &s, const char *name,
                        const char *value, const char *message) {
        QTest::newRow(tag) << s << QString(name) << QString(value) << QString(message);
    };
    const PageSettings stream = StreamServerSettings{};
    const PageSettings audio = AudioSettings{};
    const char *streamPort = "stream.port takes a number";
    row("letters in a number", stream, "port", "80a", streamPort);
    row("empty number", stream, "port", "", streamPort);
    row("signed port", stream, "port", "+80", streamPort);
    row("negative port", audio, "port", "-1", "audio.port takes a number");
    row("minus alone", audio, "sampling_volume", "-", "audio.sampling_volume takes a number");
    row("unknown item", InitialVideoSettings{}, "resolution", "HD",
        "video.resolution is one of: QCIF, CIF, VGA");
    row("no item", SecuritySettings{}, "level", "", "security.level is one of: low, medium, high");
    row("not on/off", DdnsSettings{}, "enabled", "maybe", "ddns.enabled takes on or off");
    row("shown only", SystemInfoSettings{}, "model", "X", "system.model is shown only");
    row("unknown field", stream, "foo", "1", "no field stream.foo");
    row("area of input", eventOf(EventSource::DigitalInput), "input.area", "all",
        "no field event.input.area");
    row("other source", eventOf(EventSource::Timer), "motion.area", "all",
        "event.motion.area is for the motion source, the settings hold timer");
    row("unknown daemon", cameras(), "ch1.model", "other",
        "camera.ch1.model is one of: none, pelco-d, Sony-VISCA");
    row("page without fields", AccountPageSettings{}, "allow_guest", "on",
        "no field allow_guest on this page");
}

void TestConfigFields::refused()
{
    QFETCH(PageSettings, settings);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, message);
    const PageSettings before = settings;
    QString error;
    QVERIFY(!ConfigFields::set(settings, name, value, &error));
    QCOMPARE(error, message);
    QVERIFY(settings == before);
}

void TestConfigFields::everySettableFieldReachesItsOwnValue()
{
    // Each field set alone in fresh settings: its own value changes and no other does.
    for (const PageSettings &sample : samples()) {
        for (const auto &[key, current] : ConfigFields::values(sample)) {
            const ConfigField f = *ConfigFields::field(key);
            if (!f.settable)
                continue;
            PageSettings settings = sample;
            const QString value = otherValue(f, current);
            QString error;
            QVERIFY2(ConfigFields::set(settings, f.name, value, &error),
                     qPrintable(key + ": " + error));
            const auto before = ConfigFields::values(sample);
            const auto after = ConfigFields::values(settings);
            QCOMPARE(after.size(), before.size());
            for (qsizetype i = 0; i < after.size(); ++i) {
                const QString expected = after[i].first == key ? value : before[i].second;
                QVERIFY2(after[i].second == expected,
                         qPrintable(key + " changed " + after[i].first));
            }
        }
    }
}

void TestConfigFields::valuesListTheTableInOrder()
{
    QStringList listed;
    for (const PageSettings &sample : samples()) {
        for (const auto &v : ConfigFields::values(sample))
            listed << v.first;
    }
    QStringList keys;
    for (const ConfigField &f : ConfigFields::fields())
        keys << f.key();
    QCOMPARE(listed, keys);
    QCOMPARE(keys.removeDuplicates(), 0);
}

void TestConfigFields::lookup_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("kind"); // empty: no such field
    QTest::addColumn<bool>("settable");
    QTest::addColumn<bool>("secret");
    const auto row = [](const char *key, const char *kind, bool settable = true,
                        bool secret = false) {
        QTest::newRow(key) << QString(key) << QString(kind) << settable << secret;
    };
    row("ddns.password", "text", true, true);
    row("network.ppp_password", "text", true, true);
    row("event.timer.ftp_password", "text", true, true);
    row("system.serial", "text", false);
    row("audio.sampling_volume", "number (may be negative)");
    row("event.motion.area", "choice: upper|center|lower|all");
    row("event.motion.sensitivity", "choice: 2|3|4|5|6|7|8|9|10|11|12|13|14|15");
    row("video.quality", "choice: 10|20|30|40|50|60|70|80|90");
    row("camera.ch4.model", "choice: none or a model the camera lists");
    row("event.motion.period", "");
    row("event.timer.area", "");
    row("event.area", "");
    row("account.password", "");
    row("camera.ch5.id", "");
}

void TestConfigFields::lookup()
{
    QFETCH(QString, key);
    QFETCH(QString, kind);
    QFETCH(bool, settable);
    QFETCH(bool, secret);
    const std::optional<ConfigField> f = ConfigFields::field(key);
    QCOMPARE(f.has_value(), !kind.isEmpty());
    if (!f)
        return;
    QCOMPARE(f->key(), key);
    QCOMPARE(f->kindText(), kind);
    QCOMPARE(f->settable, settable);
    QCOMPARE(f->secret, secret);
}

void TestConfigFields::pages()
{
    const QList<std::pair<QString, FileTab>> pages{
        {"network", FileTab::NetworkInfo}, {"host", FileTab::HostName},
        {"ddns", FileTab::Ddns},           {"web", FileTab::WebServer},
        {"stream", FileTab::StreamServer}, {"event", FileTab::EventServer},
        {"video", FileTab::InitialVideo},  {"camera", FileTab::CameraControl},
        {"system", FileTab::SystemInfo},   {"security", FileTab::Security},
        {"audio", FileTab::Audio}};
    QStringList names;
    for (const auto &[page, tab] : pages) {
        names << page;
        QVERIFY(ConfigFields::tabOf(page) == tab);
        QCOMPARE(ConfigFields::pageOf(tab), page);
    }
    QCOMPARE(ConfigFields::pages(), names);
    QVERIFY(!ConfigFields::tabOf("account"));
    QCOMPARE(ConfigFields::pageOf(FileTab::Account), QString());

    QVERIFY(ConfigFields::eventSourceOf("input.ftp") == EventSource::DigitalInput);
    QVERIFY(ConfigFields::eventSourceOf("timer.period") == EventSource::Timer);
    QVERIFY(!ConfigFields::eventSourceOf("motion"));
    QVERIFY(!ConfigFields::eventSourceOf("port"));
}

QTEST_GUILESS_MAIN(TestConfigFields)
#include "tst_config_fields.moc"

#include "fileconfig/audio_config.h"
#include "fileconfig/camera_control_config.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/config_table.h"
#include "fileconfig/ddns_config.h"
#include "fileconfig/event_config.h"
#include "fileconfig/initial_video_config.h"
#include "fileconfig/security_config.h"
#include "fileconfig/stream_server_config.h"
#include "fileconfig/system_info_config.h"
#include "fileconfig/web_server_config.h"

#include "camfiles_helper.h"

#include <QtTest>

#include <random>

// Damaged and odd camera files through the parser, every reader and every writer: no
// crash, no overrun (the sanitizer build runs this), and the writers' promises hold.
class TestConfigMutations : public QObject
{
    Q_OBJECT

private slots:
    void mutatedSamples();
};

namespace {

constexpr int Rounds = 100000;
// Every this many rounds the page goes through its files instead of its bytes.
constexpr int FileRoundEvery = 997;

class Mutator
{
public:
    explicit Mutator(quint32 seed) : m_random(seed) {}

    int below(int n) { return int(m_random() % quint32(n)); }

    QByteArray mutate(QByteArray text)
    {
        static const char special[] = {'\n', '\r', '=', '"', '[', ']', '#', '%', ' ',
                                       '\t', '\0', '\xff', '\xbc', '/', 'p'};
        const int steps = 1 + below(4);
        for (int i = 0; i < steps; ++i) {
            const qsizetype size = text.size();
            const qsizetype at = size ? below(int(size)) : 0;
            switch (below(7)) {
            case 0:
                if (size)
                    text[at] = char(below(256));
                break;
            case 1:
                text.insert(at, special[below(sizeof special)]);
                break;
            case 2:
                text.remove(at, 1 + below(8));
                break;
            case 3: { // duplicate a slice, lines and sections included
                const qsizetype n = qMin<qsizetype>(size - at, 1 + below(64));
                text.insert(below(int(size) + 1), text.mid(at, n));
                break;
            }
            case 4: // one very long line
                text.insert(at, QByteArray(100 + below(300), special[below(sizeof special)]));
                break;
            case 5:
                text.replace("\n", below(2) ? "\r\n" : "\n\n");
                break;
            default:
                text.truncate(at);
                break;
            }
        }
        return text;
    }

private:
    std::mt19937 m_random;
};

void checkTable(const ConfigTable &table)
{
    QVERIFY(table.count >= 0 && table.count <= ConfigTable::Capacity);
    for (int i = 0; i < table.count; ++i) {
        QVERIFY(table.entries[size_t(i)].keyText().size() <= ConfigEntry::KeySize);
        QVERIFY(table.entries[size_t(i)].valueText().size() <= ConfigEntry::ValueSize);
    }
}

} // namespace

void TestConfigMutations::mutatedSamples()
{
    const QStringList names = CamFiles::localNames();
    QList<QByteArray> samples;
    for (const QString &name : names)
        samples.append(CamFiles::sample(name));
    const QStringList daemons = {QStringLiteral("head_a"), QStringLiteral("head_b")};
    CamFiles::Folder folder;
    Mutator mutator(20240611u);

    for (int round = 0; round < Rounds; ++round) {
        const int which = mutator.below(int(names.size()));
        const QString &name = names.at(which);
        const QByteArray text = mutator.mutate(samples.at(which));
        // Names the round and its input when a check below fails.
        const auto guard = qScopeGuard([&] {
            if (QTest::currentTestFailed())
                qWarning("round %d, %s: %s", round, qPrintable(name), text.toHex().constData());
        });

        ConfigTable table;
        ParseConfigText(text, table);
        checkTable(table);
        const bool deep = round % 8 == 0; // the costlier checks, on a share of rounds
        if (deep) {
            ParseConfigText(text, table); // appending to a part-full table
            checkTable(table);
        }

        if (round % FileRoundEvery == 0) {
            // The same through the files: every page reads and writes its set.
            QVERIFY(folder.write(name, text));
            DdnsSettings ddns;
            DdnsConfig::read(folder.path(), ddns);
            DdnsConfig::write(folder.path(), ddns);
            WebServerSettings web;
            WebServerConfig::read(folder.path(), web);
            WebServerConfig::write(folder.path(), web);
            StreamServerSettings stream;
            StreamServerConfig::read(folder.path(), stream);
            StreamServerConfig::write(folder.path(), stream);
            InitialVideoSettings video;
            InitialVideoConfig::read(folder.path(), video);
            InitialVideoConfig::write(folder.path(), video);
            CameraControlSettings control;
            CameraControlConfig::read(folder.path(), daemons, control);
            CameraControlConfig::write(folder.path(), control);
            SystemInfoSettings info;
            SystemInfoConfig::read(folder.path(), info);
            SystemInfoConfig::write(folder.path(), info);
            AudioSettings audio;
            AudioConfig::read(folder.path(), audio);
            AudioConfig::write(folder.path(), audio);
            SecuritySettings security;
            SecurityConfig::read(folder.path(), security);
            SecurityConfig::write(folder.path(), security);
            const EventSource source = EventSource(mutator.below(3));
            EventSettings event;
            EventConfig::read(folder.path(), source, event);
            EventConfig::write(folder.path(), source, event);
            QVERIFY(folder.write(name, samples.at(which)));
            continue;
        }

        // Every page edits the damaged file twice: its own settings leave every byte as it
        // was, and a new value reads back as written.
        if (name == QLatin1String("ddns.conf")) {
            DdnsSettings s;
            DdnsConfig::readText(text, s);
            QCOMPARE(DdnsConfig::edit(text, s), std::optional(text));
            s.enabled = !s.enabled;
            s.id = "fuzz id";
            const auto out = DdnsConfig::edit(text, s);
            QVERIFY(out);
            DdnsSettings back;
            DdnsConfig::readText(*out, back);
            QCOMPARE(back, s);
        } else if (name == QLatin1String("thttpd.conf") || name == QLatin1String("title.js")) {
            WebServerSettings server, title;
            WebServerConfig::readText(text, {}, server);
            WebServerConfig::readText({}, text, title);
            QCOMPARE(WebServerConfig::editServer(text, server, server), std::optional(text));
            WebServerSettings changed = server;
            changed.port = "4242";
            const auto out = WebServerConfig::editServer(text, server, changed);
            QVERIFY(out);
            WebServerSettings back;
            WebServerConfig::readText(*out, {}, back);
            QCOMPARE(back.port, changed.port);
            changed = title;
            changed.title = "fuzz title";
            const auto outTitle = WebServerConfig::editTitle(text, title, changed);
            QVERIFY(outTitle);
            WebServerConfig::readText({}, *outTitle, back);
            QCOMPARE(back.title, changed.title);
        } else if (name.endsWith(QLatin1String("_server.conf")) || name == QLatin1String("rc.server")) {
            StreamServerSettings s;
            StreamServerConfig::readScript(text, s);
            StreamServerConfig::readText(text, text, s);
            QCOMPARE(StreamServerConfig::editTcp(text, s, s), std::optional(text));
            QCOMPARE(StreamServerConfig::editScript(text, s, s), text);
            StreamServerSettings changed = s;
            changed.port = "4242";
            changed.tcpMaxConnect = "77";
            changed.udpMaxConnect = "78";
            changed.udpEnabled = !s.udpEnabled;
            changed.tcpEnabled = !s.tcpEnabled;
            const auto tcp = StreamServerConfig::editTcp(text, s, changed);
            const auto udp = StreamServerConfig::editUdp(text, s, changed);
            QVERIFY(tcp && udp);
            StreamServerSettings back;
            StreamServerConfig::readText(*udp, *tcp, back);
            StreamServerConfig::readScript(StreamServerConfig::editScript(text, s, changed), back);
            QCOMPARE(back, changed);
        } else if (name == QLatin1String("middle.conf")) {
            InitialVideoSettings s;
            InitialVideoConfig::readText(text, s);
            QVERIFY(s.qualityIndex >= -1 && s.qualityIndex < InitialVideoSettings::QualityItems);
            QVERIFY(s.resolutionIndex >= -1
                    && s.resolutionIndex < InitialVideoSettings::ResolutionItems);
            QCOMPARE(InitialVideoConfig::edit(text, s), std::optional(text));
            s.pal = !s.pal;
            s.flickerless = !s.flickerless;
            s.qualityIndex = 6;
            const auto out = InitialVideoConfig::edit(text, s);
            QVERIFY(out);
            InitialVideoSettings back;
            InitialVideoConfig::readText(*out, back);
            QCOMPARE(back, s);
        } else if (name == QLatin1String("control.conf")) {
            CameraControlSettings s;
            CameraControlConfig::readText(text, daemons, s);
            for (const CameraChannel &c : s.channels)
                QVERIFY(c.alias.size() <= CameraControlSettings::AliasLimit
                        && c.daemonIndex >= 0 && c.daemonIndex <= daemons.size());
            QCOMPARE(CameraControlConfig::edit(text, s), std::optional(text));
            s.channels[1] = {"fuzz alias", "9", 2};
            const auto out = CameraControlConfig::edit(text, s);
            QVERIFY(out);
            CameraControlSettings back;
            CameraControlConfig::readText(*out, daemons, back);
            QCOMPARE(back.channels[1], s.channels[1]);
        } else if (name == QLatin1String("general.conf")) {
            SystemInfoSettings s;
            SystemInfoConfig::readText(text, s);
            QCOMPARE(SystemInfoConfig::edit(text, s), std::optional(text));
            s.location = "fuzz place";
            s.email = "fuzz@example.invalid";
            const auto out = SystemInfoConfig::edit(text, s);
            QVERIFY(out);
            SystemInfoSettings back;
            SystemInfoConfig::readText(*out, back);
            QCOMPARE(back, s);
        } else if (name == QLatin1String("rc.iptables")) {
            SecuritySettings s;
            SecurityConfig::readText(text, s);
            QCOMPARE(SecurityConfig::edit(text, s), text);
            s.level = s.level == SecuritySettings::Level::High ? SecuritySettings::Level::Low
                                                               : SecuritySettings::Level::High;
            SecuritySettings back;
            SecurityConfig::readText(SecurityConfig::edit(text, s), back);
            QCOMPARE(back, s);
            SecurityConfig::readText(SecurityConfig::render(s), back);
            QCOMPARE(back, s);
        } else if (name == QLatin1String("audio.conf")) {
            AudioSettings s;
            AudioConfig::readText(text, s);
            QCOMPARE(AudioConfig::edit(text, s), std::optional(text));
            s.port = "4321";
            const auto out = AudioConfig::edit(text, s);
            QVERIFY(out);
            AudioSettings back;
            AudioConfig::readText(*out, back);
            QCOMPARE(back, s);
        } else {
            const EventSource source = EventSource(mutator.below(3));
            EventSettings s = EventConfig::readText(text, source);
            QVERIFY(s.ftpCameraIndex >= -1 && s.ftpCameraIndex < EventSettings::CameraItems);
            s.ftpServer = "fuzz.example";
            s.mailEnabled = !s.mailEnabled;
            const auto out = EventConfig::edit(text, source, s);
            QVERIFY(out);
            QCOMPARE(EventConfig::readText(*out, source), s);
        }
    }
}

QTEST_APPLESS_MAIN(TestConfigMutations)
#include "tst_config_mutations.moc"

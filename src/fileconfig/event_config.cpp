#include "fileconfig/event_config.h"

#include "base/profile_file.h"
#include "fileconfig/config_files.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/profile_edit.h"

namespace {

struct Defaults {
    const char *ftpServer;
    const char *ftpUser;
    const char *ftpPassword;
    const char *ftpImageName;
    const char *mailServer;
    const char *mailFrom;
    const char *mailTo;
    const char *notifyEnable;
    const char *notifyServer;
    const char *outputEnable;
};

// The camera's own files were written from these; a missing key falls back to them.
const Defaults &defaultsOf(EventSource source)
{
    static const Defaults input {"127.0.0.1", "", "", " ", "127.0.0.1", "admin",
                                 "receiver@example.invalid", "true", "Notify.server", ""};
    static const Defaults motion {"ftp_server", "user", "password", "image_name",
                                  "email_server", "from", "to", "true", "server", "true"};
    static const Defaults timer {"FTP_server", "user", "password", "image_name",
                                 "mail_server", "from", "to", "enable", "server", "true"};
    switch (source) {
    case EventSource::Motion:
        return motion;
    case EventSource::Timer:
        return timer;
    case EventSource::DigitalInput:
        break;
    }
    return input;
}

bool isSet(const QByteArray &value)
{
    return KeyStartsWith(value, "true");
}

class Reader
{
public:
    explicit Reader(const QByteArray &contents) : m_contents(contents) {}

    QByteArray text(const char *section, const char *key, const char *fallback) const
    {
        return ProfileFile::lookup(m_contents, section, key, fallback);
    }
    int number(const char *section, const char *key, int fallback) const
    {
        bool found = false;
        const QByteArray value = ProfileFile::lookup(m_contents, section, key, {}, &found);
        return found ? ProfileFile::toInt(value) : fallback;
    }
    // Item index of a box whose first item stands for `first`; -1 outside the items.
    int item(const char *section, const char *key, int fallback, int first, int items) const
    {
        const int index = number(section, key, fallback) - first;
        return (index >= 0 && index < items) ? index : -1;
    }

private:
    const QByteArray &m_contents;
};

// Sets the keys of the fields that differ from `before`, or every field without one (a
// file the camera lacks).
class Writer
{
public:
    Writer(const QByteArray &contents, const EventSettings *before, const EventSettings &after)
        : m_edit(contents), m_before(before), m_after(after)
    {
    }

    void text(const char *section, const char *key, QByteArray EventSettings::*field)
    {
        if (changed(field))
            m_edit.set(section, key, m_after.*field);
    }
    void flag(const char *section, const char *key, bool EventSettings::*field)
    {
        if (changed(field))
            m_edit.setFlag(section, key, m_after.*field);
    }
    void item(const char *section, const char *key, int EventSettings::*field, int first, int items)
    {
        const int index = m_after.*field;
        if (changed(field) && index >= 0 && index < items)
            m_edit.set(section, key, QByteArray::number(index + first));
    }
    ProfileEdit &edit() { return m_edit; }

private:
    template <typename T>
    bool changed(T EventSettings::*field) const
    {
        return !m_before || m_before->*field != m_after.*field;
    }

    ProfileEdit m_edit;
    const EventSettings *m_before;
    const EventSettings &m_after;
};

std::optional<QByteArray> apply(const QByteArray &contents, EventSource source,
                                const EventSettings *before, const EventSettings &s, bool activate)
{
    Writer w(contents, before, s);
    // Saving a source is what makes it the camera's active one.
    if (activate || !before)
        w.edit().set("INPUT", "enable", "true");
    if (source == EventSource::Motion) {
        w.item("INPUT", "detect_area", &EventSettings::areaIndex, 1, EventSettings::AreaItems);
        w.item("INPUT", "sensitivity", &EventSettings::sensitivityIndex, 2,
               EventSettings::SensitivityItems);
    }
    if (source == EventSource::Timer)
        w.text("INPUT", "period", &EventSettings::period);

    w.flag("DIO_OUTPUT", "enable", &EventSettings::outputEnabled);
    w.text("DIO_OUTPUT", "out_time", &EventSettings::outputTime);

    w.flag("FTP", "enable", &EventSettings::ftpEnabled);
    w.text("FTP", "server", &EventSettings::ftpServer);
    w.text("FTP", "port", &EventSettings::ftpPort);
    w.text("FTP", "user", &EventSettings::ftpUser);
    w.text("FTP", "user_pw", &EventSettings::ftpPassword);
    w.text("FTP", "image_name", &EventSettings::ftpImageName);
    w.item("FTP", "which_cam", &EventSettings::ftpCameraIndex, 1, EventSettings::CameraItems);

    w.flag("EMAIL", "enable", &EventSettings::mailEnabled);
    w.text("EMAIL", "server", &EventSettings::mailServer);
    w.text("EMAIL", "port", &EventSettings::mailPort);
    w.text("EMAIL", "subject", &EventSettings::mailSubject);
    w.text("EMAIL", "from", &EventSettings::mailFrom);
    w.text("EMAIL", "to", &EventSettings::mailTo);
    w.item("EMAIL", "which_cam", &EventSettings::mailCameraIndex, 1, EventSettings::CameraItems);

    w.flag("NOTIFY", "enable", &EventSettings::notifyEnabled);
    w.text("NOTIFY", "server", &EventSettings::notifyServer);
    w.item("NOTIFY", "which_cam", &EventSettings::notifyCameraIndex, 1, EventSettings::CameraItems);
    return w.edit().result();
}

} // namespace

QString EventConfig::fileName(EventSource source)
{
    switch (source) {
    case EventSource::Motion:
        return QStringLiteral("hw_motion.conf");
    case EventSource::Timer:
        return QStringLiteral("periodic_timer.conf");
    case EventSource::DigitalInput:
        break;
    }
    return QStringLiteral("dio_input.conf");
}

EventSettings EventConfig::readText(const QByteArray &contents, EventSource source)
{
    const Defaults &d = defaultsOf(source);
    const Reader r(contents);
    EventSettings s;
    if (source == EventSource::Motion) {
        s.areaIndex = r.item("INPUT", "detect_area", 3, 1, EventSettings::AreaItems);
        s.sensitivityIndex =
            r.item("INPUT", "sensitivity", 6, 2, EventSettings::SensitivityItems);
    }
    if (source == EventSource::Timer)
        s.period = r.text("INPUT", "period", "10");

    s.outputEnabled = isSet(r.text("DIO_OUTPUT", "enable", d.outputEnable));
    s.outputTime = r.text("DIO_OUTPUT", "out_time", "10");

    s.ftpEnabled = isSet(r.text("FTP", "enable", "true"));
    s.ftpServer = r.text("FTP", "server", d.ftpServer);
    s.ftpPort = r.text("FTP", "port", "21");
    s.ftpUser = r.text("FTP", "user", d.ftpUser);
    s.ftpPassword = r.text("FTP", "user_pw", d.ftpPassword);
    s.ftpImageName = r.text("FTP", "image_name", d.ftpImageName);
    s.ftpCameraIndex = r.item("FTP", "which_cam", 1, 1, EventSettings::CameraItems);

    s.mailEnabled = isSet(r.text("EMAIL", "enable", "true"));
    s.mailServer = r.text("EMAIL", "server", d.mailServer);
    s.mailPort = r.text("EMAIL", "port", "25");
    s.mailSubject = r.text("EMAIL", "subject", "subject");
    s.mailFrom = r.text("EMAIL", "from", d.mailFrom);
    s.mailTo = r.text("EMAIL", "to", d.mailTo);
    s.mailCameraIndex = r.item("EMAIL", "which_cam", 1, 1, EventSettings::CameraItems);

    s.notifyEnabled = isSet(r.text("NOTIFY", "enable", d.notifyEnable));
    s.notifyServer = r.text("NOTIFY", "server", d.notifyServer);
    s.notifyCameraIndex = r.item("NOTIFY", "which_cam", 1, 1, EventSettings::CameraItems);
    return s;
}

std::optional<QByteArray> EventConfig::edit(const QByteArray &contents, EventSource source,
                                            const EventSettings &settings, bool activate)
{
    const EventSettings before = readText(contents, source);
    return apply(contents, source, &before, settings, activate);
}

ConfigError EventConfig::read(const QString &folder, EventSource source, EventSettings &settings)
{
    settings = readText(ConfigFiles::load(folder, fileName(source)).value_or(QByteArray()),
                        source);
    return ConfigError::None;
}

ConfigError EventConfig::write(const QString &folder, EventSource source,
                               const EventSettings &settings, bool activate)
{
    const QString name = fileName(source);
    const std::optional<QByteArray> contents = ConfigFiles::load(folder, name);
    const auto out = contents ? edit(*contents, source, settings, activate)
                              : apply({}, source, nullptr, settings, activate);
    if (!out || (out != contents && !ConfigFiles::save(folder, name, *out)))
        return ConfigError::Write;
    return ConfigError::None;
}

#pragma once

#include "fileconfig/page_settings.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// One value of a settings page as scripts name it.
struct ConfigField {
    enum class Kind { Text, Number, OnOff, Choice };

    QString page;        // "stream"
    QString name;        // "port"; event fields carry their source: "motion.area"
    Kind kind = Kind::Text;
    // Choice: the item words, in the box's index order. Empty when the items come from
    // the camera: the PTZ model boxes offer "none" and the camera's daemon names.
    QStringList items;
    bool settable = true;      // false: shown only (System Info's model name, serial, version)
    bool secret = false;       // a password: never printed as it is
    bool signedNumber = false; // Number: a leading minus is allowed (the audio volumes)

    QString key() const;      // "stream.port"
    QString kindText() const; // "text", "number", "on/off", "choice: a|b|c" (for a listing)

    bool operator==(const ConfigField &) const = default;
};

// The names scripts use for the values of the settings pages, and how each is read out
// of a page's settings and written back; each page gives its own in its row of the page
// table (FilePageTable). Account and Camera Update have no fields: their values are
// commands, not settings.
namespace ConfigFields {

// The page names in listing order: "network", "host", "ddns", "web", "stream", "event",
// "video", "camera", "system", "security", "audio".
QStringList pages();
// The tab a page name stands for; nothing for an unknown name. And back: empty for a
// tab without fields.
std::optional<FileTab> tabOf(const QString &page);
QString pageOf(FileTab tab);

// The page's fields in order; every page's when page is empty, nothing for an unknown
// page. Event fields come in three groups "input.*", "motion.*", "timer.*", one per
// event source, each with only the fields that source's file holds.
QList<ConfigField> fields(const QString &page = {});
std::optional<ConfigField> field(const QString &key); // "stream.port"
// The event source of an event field name ("motion.area" -> Motion).
std::optional<EventSource> eventSourceOf(const QString &fieldName);

// The values the settings hold, field by field in table order, as (key, text) pairs:
// on/off as "on"/"off", a choice as its item word ("" when no item is chosen), text and
// numbers as the page shows them. For EventPageSettings only the fields of its source;
// for CameraControlSettings the model as "none" or the daemon name. Secrets are
// included as they are: callers mask them.
QList<std::pair<QString, QString>> values(const PageSettings &settings);

// Sets one field, named without its page ("port", "motion.area"), in the settings of
// that page. False with a message when the field is unknown or shown only, when the
// value does not fit its kind, or when an event field belongs to another source than
// the settings'. On/off takes on/off, yes/no, true/false, 1/0 in any case; a choice
// takes an item word in any case; a number takes decimal digits only. Lengths and
// characters of text are left to the page checks.
bool set(PageSettings &settings, const QString &fieldName, const QString &value,
         QString *error);

} // namespace ConfigFields

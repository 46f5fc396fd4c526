#include "fileconfig/config_fields.h"

#include "fileconfig/config_field_rows.h"
#include "fileconfig/file_page_table.h"

#include <algorithm>

namespace {

using Kind = ConfigField::Kind;
using Binding = ConfigFieldBinding;
using FieldWords::words;

// Each page's fields in their page's row, the pages in tab order.
const QList<Binding> &table()
{
    static const QList<Binding> rows = [] {
        ConfigFieldTable t;
        for (const FilePageRow &page : FilePageTable::rows()) {
            if (page.fields)
                page.fields(t, page.fieldsPage);
        }
        return t;
    }();
    return rows;
}

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
    for (const FilePageRow &row : FilePageTable::rows()) {
        if (!row.fieldsPage.isEmpty())
            out << row.fieldsPage;
    }
    return out;
}

std::optional<FileTab> tabOf(const QString &page)
{
    for (const FilePageRow &row : FilePageTable::rows()) {
        if (!page.isEmpty() && row.fieldsPage == page)
            return row.tab;
    }
    return std::nullopt;
}

QString pageOf(FileTab tab)
{
    const FilePageRow *row = FilePageTable::of(tab);
    return row ? row->fieldsPage : QString();
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
        if (word == FieldWords::source(s))
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
                            .arg(key, FieldWords::source(*row->source), FieldWords::source(held)));
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
        stored = FieldWords::onOff(*on);
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

#include "site/config_assignments.h"

#include "fileconfig/file_page_table.h"

#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Settings of a page's kind with nothing read into them, to try a value on.
PageSettings emptySettings(FileTab tab, EventSource source)
{
    const FilePageRow *row = FilePageTable::of(tab);
    if (!row)
        return std::monostate{};
    PageSettings settings = row->blank();
    if (auto *event = std::get_if<EventPageSettings>(&settings))
        event->source = source;
    return settings;
}

} // namespace

bool ConfigAssignments::isRecordPage(FileTab tab)
{
    const FilePageRow *row = FilePageTable::of(tab);
    return row && row->kind == FilePageRow::Kind::Record;
}

bool ConfigAssignments::read(const QStringList &words, QList<Unit> *units, QString *error)
{
    QSet<QString> seen;
    for (const QString &word : words) {
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            *error = u"%1 is neither a MAC address nor PAGE.FIELD=VALUE"_s.arg(word);
            return false;
        }
        const QString key = word.left(eq);
        const auto field = ConfigFields::field(key);
        if (!field) {
            *error = u"no field %1 (see zoractl config fields)"_s.arg(key);
            return false;
        }
        if (!field->settable) {
            *error = u"%1 is shown only"_s.arg(key);
            return false;
        }
        if (field->secret && field->page == u"network"_s) {
            *error = u"%1 is set with set-network --pppoe-password-file"_s.arg(key);
            return false;
        }
        if (seen.contains(key)) {
            *error = u"%1 given twice"_s.arg(key);
            return false;
        }
        // The page's box holds no more; the file would keep what its reader cuts.
        const QString value = word.mid(eq + 1);
        if (field->page == u"camera"_s && field->name.endsWith(u".alias"_s)
            && PageText::toBytes(value).size() > CameraControlSettings::AliasLimit) {
            *error = u"%1 takes at most %2 characters"_s.arg(key).arg(CameraControlSettings::AliasLimit);
            return false;
        }
        seen.insert(key);
        const FileTab tab = *ConfigFields::tabOf(field->page);
        const EventSource source =
            tab == FileTab::EventServer ? ConfigFields::eventSourceOf(field->name).value_or(EventSource::DigitalInput)
                                        : EventSource::DigitalInput;
        auto it = std::find_if(units->begin(), units->end(),
                               [&](const Unit &u) { return u.tab == tab && u.source == source; });
        if (it == units->end()) {
            units->append(Unit{tab, source, {}});
            it = units->end() - 1;
        }
        it->fields << Assignment{*field, word.mid(eq + 1)};
    }
    return true;
}

bool ConfigAssignments::fit(const QList<Unit> &units, QString *error)
{
    for (const Unit &unit : units) {
        for (const Assignment &a : unit.fields) {
            // The camera names the items of these; only the camera can tell.
            if (a.field.kind == ConfigField::Kind::Choice && a.field.items.isEmpty())
                continue;
            PageSettings probe = emptySettings(unit.tab, unit.source);
            if (!ConfigFields::set(probe, a.field.name, a.value, error))
                return false;
        }
    }
    return true;
}

#include "site/config_view.h"

#include "fileconfig/config_fields.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/page_files.h"

#include <QDir>
#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// One page as read from files: a tab, and for the event page one of its sources.
struct PageUnit {
    FileTab tab;
    EventSource source = EventSource::DigitalInput;
};

QList<PageUnit> unitsOf(const CameraBackup::Folder &folder)
{
    QList<PageUnit> units;
    for (FileTab tab : PageFiles::FileTabs()) {
        if (!folder.sets.contains(PageFiles::SetOf(tab, folder.modelCode)))
            continue;
        if (tab != FileTab::EventServer) {
            units << PageUnit{tab};
            continue;
        }
        units << PageUnit{tab, EventSource::DigitalInput};
        if (PageFiles::HasMotionDetection(folder.modelCode))
            units << PageUnit{tab, EventSource::Motion};
        units << PageUnit{tab, EventSource::Timer};
    }
    return units;
}

bool readUnit(const CameraBackup::Folder &folder, const PageUnit &unit, PageSettings *out, QString *error)
{
    const ConfigError e = PageFiles::Read(unit.tab, folder.path, folder.daemons, unit.source, *out);
    if (e != ConfigError::None) {
        *error = u"%1: the %2 page: %3"_s.arg(QDir::toNativeSeparators(folder.source), ConfigFields::pageOf(unit.tab),
                                             ConfigErrorText(e));
        return false;
    }
    return true;
}

void appendValues(const PageSettings &settings, QList<ConfigView::Value> *out)
{
    for (const auto &[key, value] : ConfigFields::values(settings)) {
        const auto f = ConfigFields::field(key);
        *out << ConfigView::Value{key, value, f && f->secret};
    }
}

} // namespace

void ConfigView::lineChanges(const QString &page, const QString &file, const QByteArray &a,
                             const QByteArray &b, QList<LineChange> *out)
{
    const QList<QByteArrayView> la = SplitConfigLines(a);
    const QList<QByteArrayView> lb = SplitConfigLines(b);
    // Each side's lines the other lacks, as often as it lacks them.
    auto onlyIn = [&](const QList<QByteArrayView> &mine, const QList<QByteArrayView> &theirs, bool added) {
        QHash<QByteArrayView, int> left;
        for (QByteArrayView l : theirs)
            ++left[l];
        for (QByteArrayView l : mine) {
            int &n = left[l];
            if (n > 0)
                --n;
            else
                *out << LineChange{page, file, QString::fromLatin1(l), added};
        }
    };
    onlyIn(la, lb, false);
    onlyIn(lb, la, true);
}

bool ConfigView::values(const CameraBackup::Folder &folder, const QStringList &pages,
                        QList<Value> *out, QString *error)
{
    auto wanted = [&pages](const QString &page) { return pages.isEmpty() || pages.contains(page); };
    for (const QString &page : {u"network"_s, u"host"_s}) {
        if (!wanted(page))
            continue;
        const QJsonObject o = folder.settings.value(page).toObject();
        // The settings hold the fields in the table's order only by name: the table orders.
        for (const ConfigField &f : ConfigFields::fields(page)) {
            if (o.contains(f.name))
                *out << Value{f.key(), o.value(f.name).toString(), f.secret};
        }
    }
    for (const PageUnit &unit : unitsOf(folder)) {
        if (!wanted(ConfigFields::pageOf(unit.tab)))
            continue;
        PageSettings s;
        if (!readUnit(folder, unit, &s, error))
            return false;
        appendValues(s, out);
    }
    return true;
}

QList<ConfigView::Difference> ConfigView::differences(const QList<Value> &a, const QList<Value> &b)
{
    QList<Difference> out;
    QHash<QString, const Value *> inB;
    for (const Value &v : b)
        inB.insert(v.key, &v);
    QSet<QString> seen;
    for (const Value &v : a) {
        seen.insert(v.key);
        const Value *w = inB.value(v.key);
        if (!w)
            out << Difference{v.key, v.value, QString(), v.secret, true, false};
        else if (w->value != v.value)
            out << Difference{v.key, v.value, w->value, v.secret};
    }
    for (const Value &w : b) {
        if (!seen.contains(w.key))
            out << Difference{w.key, QString(), w.value, w.secret, false, true};
    }
    return out;
}

bool ConfigView::unknownLines(const CameraBackup::Folder &a, const CameraBackup::Folder &b,
                              QList<LineChange> *out, QString *error)
{
    const QList<PageUnit> unitsA = unitsOf(a);
    const QList<PageUnit> unitsB = unitsOf(b);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        *error = u"cannot make a scratch folder"_s;
        return false;
    }
    for (FileTab tab : PageFiles::FileTabs()) {
        const int setA = PageFiles::SetOf(tab, a.modelCode);
        const int setB = PageFiles::SetOf(tab, b.modelCode);
        if (!a.sets.contains(setA) || !b.sets.contains(setB))
            continue;
        // A's files as the page would write B's values into them: the lines that edit
        // changes are the ones the fields explain; every other line of A stays, so a line
        // only A has is still told.
        const QString x = QDir(scratch.path()).filePath(QString::number(int(tab)));
        if (!QDir().mkpath(x) || !PageFiles::CopySet(a.path, x, setA)) {
            *error = u"cannot copy the files into a scratch folder"_s;
            return false;
        }
        for (const PageUnit &unit : unitsB) {
            const bool inA = std::any_of(unitsA.begin(), unitsA.end(), [&unit](const PageUnit &u) {
                return u.tab == unit.tab && u.source == unit.source;
            });
            PageSettings s;
            if (unit.tab != tab || !inA)
                continue;
            if (!readUnit(b, unit, &s, error))
                return false;
            if (PageFiles::WriteFields(x, s) != ConfigError::None) {
                *error = u"the %1 page cannot be written"_s.arg(ConfigFields::pageOf(tab));
                return false;
            }
        }
        const QString page = ConfigFields::pageOf(tab);
        QStringList names = ConfigFileSet(setA).localNames();
        for (const QString &n : ConfigFileSet(setB).localNames()) {
            if (!names.contains(n))
                names << n;
        }
        for (const QString &name : names) {
            const auto fa = ConfigFiles::load(a.path, name);
            const auto fb = ConfigFiles::load(b.path, name);
            if (!fa || !fb) {
                if (fa || fb)
                    *out << LineChange{page, name, u"(the whole file)"_s, bool(fb)};
                continue;
            }
            QList<LineChange> raw, explained;
            lineChanges(page, name, *fa, *fb, &raw);
            lineChanges(page, name, *fa, ConfigFiles::load(x, name).value_or(QByteArray()), &explained);
            // The page may respell a line it writes ("port = 1" as "port=1"): the
            // readers take both alike.
            auto spelling = [](QString line) {
                line.remove(QLatin1Char('"'));
                line.remove(QLatin1Char(' '));
                line.remove(QLatin1Char('\t'));
                return line;
            };
            QHash<std::pair<bool, QString>, int> known;
            for (const LineChange &l : explained)
                ++known[{l.added, spelling(l.line)}];
            for (const LineChange &l : raw) {
                int &n = known[{l.added, spelling(l.line)}];
                if (n > 0)
                    --n;
                else
                    *out << l;
            }
        }
    }
    return true;
}

QString ConfigView::text(const Difference &d)
{
    if (d.secret)
        return u"%1: (changed)"_s.arg(d.key);
    return u"%1: %2 → %3"_s.arg(d.key, d.inA ? d.before : u"(none)"_s, d.inB ? d.after : u"(none)"_s);
}

QString ConfigView::shown(const Value &v)
{
    if (v.secret)
        return v.value.isEmpty() ? u"(empty)"_s : u"(set)"_s;
    return v.value;
}

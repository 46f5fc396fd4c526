#pragma once

#include "fileconfig/config_fields.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

// A field and how to reach its value. The value travels as text in the kind's own
// spelling: "on"/"off", the item word as the items spell it, or the text itself.
struct ConfigFieldBinding {
    ConfigField field;
    std::optional<EventSource> source; // event fields: the file they belong to
    std::function<bool(const PageSettings &)> holds;
    std::function<QString(const PageSettings &)> read;
    std::function<void(PageSettings &, const QString &)> write;
    // Choice items that depend on the settings (the model boxes); else field.items.
    std::function<QStringList(const PageSettings &)> itemsIn;
};
using ConfigFieldTable = QList<ConfigFieldBinding>;

// The spellings the fields share.
namespace FieldWords {
QString onOff(bool on);
QStringList words(std::initializer_list<const char *> list);
QStringList numbers(int first, int last);
QString source(EventSource source); // "input", "motion", "timer"
QString shown(const QByteArray &bytes);
QString shown(const QString &text);
void store(QByteArray &bytes, const QString &text);
void store(QString &target, const QString &text);
} // namespace FieldWords

// The fields of one page, whose settings are the alternative S, each page's own in its
// row of the page table. References into the settings are generic lambdas,
// `[](auto &s) -> auto & { return s.port; }`, so that one lambda serves both reading
// and writing.
template <typename S>
class ConfigFieldRows
{
public:
    ConfigFieldRows(ConfigFieldTable &table, QString page, QString prefix = {},
                    std::optional<EventSource> source = {})
        : m_table(table)
        , m_page(std::move(page))
        , m_prefix(std::move(prefix))
        , m_source(source)
    {
    }

    template <typename Ref>
    ConfigFieldRows &text(const char *name, Ref ref,
                          ConfigField::Kind kind = ConfigField::Kind::Text)
    {
        ConfigFieldBinding &b = add(name, kind);
        b.read = [ref](const PageSettings &p) { return FieldWords::shown(ref(std::get<S>(p))); };
        b.write = [ref](PageSettings &p, const QString &v) {
            FieldWords::store(ref(std::get<S>(p)), v);
        };
        return *this;
    }
    template <typename Ref>
    ConfigFieldRows &number(const char *name, Ref ref)
    {
        return text(name, ref, ConfigField::Kind::Number);
    }
    template <typename Ref>
    ConfigFieldRows &signedNumber(const char *name, Ref ref)
    {
        text(name, ref, ConfigField::Kind::Number);
        m_table.last().field.signedNumber = true;
        return *this;
    }
    template <typename Ref>
    ConfigFieldRows &secret(const char *name, Ref ref)
    {
        text(name, ref);
        m_table.last().field.secret = true;
        return *this;
    }
    template <typename Ref>
    ConfigFieldRows &shownOnly(const char *name, Ref ref)
    {
        text(name, ref);
        m_table.last().field.settable = false;
        return *this;
    }
    template <typename Ref>
    ConfigFieldRows &onOff(const char *name, Ref ref)
    {
        ConfigFieldBinding &b = add(name, ConfigField::Kind::OnOff);
        b.read = [ref](const PageSettings &p) { return FieldWords::onOff(ref(std::get<S>(p))); };
        b.write = [ref](PageSettings &p, const QString &v) {
            ref(std::get<S>(p)) = v == FieldWords::onOff(true);
        };
        return *this;
    }
    // A box by item index; an index outside the items (-1: none chosen) reads as "".
    template <typename Get, typename Put>
    ConfigFieldRows &choice(const char *name, const QStringList &items, Get get, Put put)
    {
        ConfigFieldBinding &b = add(name, ConfigField::Kind::Choice);
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
    ConfigFieldRows &box(const char *name, const QStringList &items, Ref ref)
    {
        return choice(
            name, items, [ref](const S &s) { return ref(s); },
            [ref](S &s, int index) { ref(s) = index; });
    }
    // A model box: "none" and then the daemon names the settings carry.
    template <typename Ref>
    ConfigFieldRows &daemonBox(const char *name, Ref ref)
    {
        ConfigFieldBinding &b = add(name, ConfigField::Kind::Choice);
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
    ConfigFieldBinding &add(const char *name, ConfigField::Kind kind)
    {
        ConfigFieldBinding b;
        b.field.page = m_page;
        b.field.name = m_prefix + QLatin1String(name);
        b.field.kind = kind;
        b.source = m_source;
        b.holds = [](const PageSettings &p) { return std::holds_alternative<S>(p); };
        m_table.append(std::move(b));
        return m_table.last();
    }

    ConfigFieldTable &m_table;
    QString m_page;
    QString m_prefix;
    std::optional<EventSource> m_source;
};

#pragma once

#include "fileconfig/config_field_rows.h"
#include "fileconfig/file_page_table.h"
#include "protoconfig/commands.h"

#include <type_traits>
#include <utility>

// Builds the row of a page whose settings are the alternative S out of the page's own
// typed functions: its reader, writer, checks, record and command functions and its
// fields, each wrapped to the row's PageSettings form once, here.
template <typename S>
class FilePageRowBuilder
{
public:
    FilePageRowBuilder(FileTab tab, FilePageRow::Kind kind, int titleId, const char *title)
    {
        m_row.tab = tab;
        m_row.kind = kind;
        m_row.titleId = titleId;
        m_row.title = title;
        m_row.blank = [] { return PageSettings(std::in_place_type<S>); };
        m_row.alternative = PageSettings(std::in_place_type<S>).index();
    }

    // The file set; a second one for the models without motion detection when theirs
    // differs.
    FilePageRowBuilder &files(int set, int setWithoutMotion = -1)
    {
        m_row.set = set;
        m_row.setWithoutMotion = setWithoutMotion < 0 ? set : setWithoutMotion;
        return *this;
    }
    FilePageRowBuilder &needsAudio()
    {
        m_row.needsAudio = true;
        return *this;
    }
    // f(folder, S &) or f(const PageReadInput &, S &); `out` changes only on success.
    template <typename F>
    FilePageRowBuilder &reads(F f)
    {
        m_row.read = [f](const PageReadInput &in, PageSettings &out) {
            S s;
            ConfigError e;
            if constexpr (std::is_invocable_v<F, const QString &, S &>)
                e = f(in.folder, s);
            else
                e = f(in, s);
            if (e == ConfigError::None)
                out = std::move(s);
            return e;
        };
        return *this;
    }
    // f(folder, const S &).
    template <typename F>
    FilePageRowBuilder &writes(F f)
    {
        m_row.write = [f](const QString &folder, const PageSettings &p) {
            return f(folder, std::get<S>(p));
        };
        return *this;
    }
    // f(const S &) or f(const S &, const PageCheckContext &).
    template <typename F>
    FilePageRowBuilder &checks(F f)
    {
        m_row.check = [f](const PageSettings &p, const PageCheckContext &context) {
            if constexpr (std::is_invocable_v<F, const S &>) {
                Q_UNUSED(context);
                return f(std::get<S>(p));
            } else {
                return f(std::get<S>(p), context);
            }
        };
        return *this;
    }
    // f(const TConfigItem &) -> S.
    template <typename F>
    FilePageRowBuilder &fromRecord(F f)
    {
        m_row.fromRecord = [f](const TConfigItem &camera) { return PageSettings(f(camera)); };
        return *this;
    }
    // f(camera, rowKind, const S &, sources) -> CommandBytes.
    template <typename F>
    FilePageRowBuilder &command(F f)
    {
        m_row.command = [f](TConfigItem &camera, const QString &rowKind, const PageSettings &p,
                            const CommandSources &sources) {
            return f(camera, rowKind, std::get<S>(p), sources);
        };
        return *this;
    }
    // f(ConfigFieldRows<S> &) for a page whose fields are one group, or
    // f(ConfigFieldTable &, const QString &page) to add groups of its own.
    template <typename F>
    FilePageRowBuilder &fields(const char *page, F f)
    {
        m_row.fieldsPage = QLatin1String(page);
        if constexpr (std::is_invocable_v<F, ConfigFieldRows<S> &>) {
            m_row.fields = [f](ConfigFieldTable &table, const QString &name) {
                ConfigFieldRows<S> rows(table, name);
                f(rows);
            };
        } else {
            m_row.fields = f;
        }
        return *this;
    }

    operator FilePageRow() const { return m_row; }

private:
    FilePageRow m_row;
};

#include "fileconfig/page_files.h"

#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/file_page_table.h"

#include <QFile>

namespace PageFiles {

bool HasMotionDetection(quint8 modelCode)
{
    return modelCode != 2 && modelCode != 6;
}

int SetOf(FileTab tab, quint8 modelCode)
{
    const FilePageRow *row = FilePageTable::of(tab);
    return row ? row->setOf(modelCode) : -1;
}

const QList<FileTab> &FileTabs()
{
    static const QList<FileTab> tabs = [] {
        QList<FileTab> out;
        for (const FilePageRow &row : FilePageTable::rows()) {
            if (row.kind == FilePageRow::Kind::Files)
                out << row.tab;
        }
        return out;
    }();
    return tabs;
}

std::optional<FileTab> TabOfSet(int set)
{
    for (const FilePageRow &row : FilePageTable::rows()) {
        if (row.kind == FilePageRow::Kind::Files && (row.set == set || row.setWithoutMotion == set))
            return row.tab;
    }
    return std::nullopt;
}

ConfigError Read(FileTab tab, const QString &folder, const QStringList &listing,
                 EventSource source, PageSettings &out)
{
    const FilePageRow *row = FilePageTable::of(tab);
    if (!row || !row->read)
        return ConfigError::Parse;
    return row->read(PageReadInput{folder, listing, source}, out);
}

ConfigError Write(const QString &folder, const PageSettings &settings)
{
    // Pages without files have nothing to write.
    const FilePageRow *row = FilePageTable::holding(settings);
    if (!row || !row->write)
        return ConfigError::Write;
    return row->write(folder, settings);
}

ConfigError WriteFields(const QString &folder, PageSettings settings)
{
    if (auto *event = std::get_if<EventPageSettings>(&settings))
        event->activate = false;
    return Write(folder, settings);
}

bool CopySet(const QString &from, const QString &to, int set)
{
    for (const QString &name : ConfigFileSet(set).localNames()) {
        const auto bytes = ConfigFiles::load(from, name);
        if (bytes && !ConfigFiles::save(to, name, *bytes))
            return false;
    }
    return true;
}

Snapshot Take(const QString &folder, int set)
{
    Snapshot snapshot;
    if (set < 0)
        return snapshot;
    for (const QString &name : ConfigFileSet(set).localNames())
        snapshot.insert(name, ConfigFiles::load(folder, name));
    return snapshot;
}

bool PutBack(const QString &folder, const Snapshot &snapshot)
{
    bool ok = true;
    for (auto it = snapshot.cbegin(); it != snapshot.cend(); ++it) {
        if (it.value())
            ok = ConfigFiles::save(folder, it.key(), *it.value()) && ok;
        else if (ConfigFiles::exists(folder, it.key()))
            ok = QFile::remove(ConfigFiles::pathOf(folder, it.key())) && ok;
    }
    return ok;
}

} // namespace PageFiles

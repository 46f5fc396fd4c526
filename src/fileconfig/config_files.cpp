#include "fileconfig/config_files.h"

#include "app/profile_file.h"
#include "fileconfig/config_parser.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace ConfigFiles {

QString pathOf(const QString &folder, const QString &name)
{
    return QDir(folder).filePath(name);
}

bool exists(const QString &folder, const QString &name)
{
    return QFile::exists(pathOf(folder, name));
}

std::optional<QByteArray> load(const QString &folder, const QString &name)
{
    QFile file(pathOf(folder, name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool save(const QString &folder, const QString &name, const QByteArray &bytes)
{
    QSaveFile file(pathOf(folder, name));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QByteArray copyEdit(const QByteArray &contents,
                    const std::function<std::optional<QByteArray>(QByteArrayView)> &edit)
{
    QByteArray out;
    out.reserve(contents.size() + 16);
    for (QByteArrayView line : SplitConfigLines(contents)) {
        if (line.isEmpty())
            continue;
        if (std::optional<QByteArray> replacement = edit(line))
            out += *replacement;
        else
            out += line;
        out += '\n';
    }
    return out;
}

QByteArray setProfileValue(const QByteArray &contents, QByteArrayView section,
                           QByteArrayView key, QByteArrayView value)
{
    QByteArray updated = ProfileFile::update(contents, section, key, value);
    if (updated == contents)
        return contents;
    // The update respells a line such as `key = "value"`; leave it when it already
    // says the same.
    bool found = false;
    const QByteArray current = ProfileFile::lookup(contents, section, key, {}, &found);
    return (found && current == value) ? contents : updated;
}

} // namespace ConfigFiles

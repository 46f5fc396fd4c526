#include "fileconfig/config_files.h"

#include "app/profile_file.h"
#include "fileconfig/config_lines.h"

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

namespace {

// A key line with a new value in the place of the old one: the blanks around it and its
// quotes stay.
QByteArray respelled(QByteArrayView line, QByteArrayView value)
{
    const qsizetype eq = line.indexOf('=');
    qsizetype begin = eq + 1, end = line.size();
    while (begin < end && (line.at(begin) == ' ' || line.at(begin) == '\t'))
        ++begin;
    while (end > begin && (line.at(end - 1) == ' ' || line.at(end - 1) == '\t'))
        --end;
    const QByteArrayView old = line.sliced(begin, end - begin);
    QByteArray inner = value.toByteArray();
    if (old.size() >= 2 && (old.front() == '"' || old.front() == '\'') && old.back() == old.front()
        && !value.contains(old.front()))
        inner = old.front() + inner + old.front();
    return line.first(begin).toByteArray() + inner + line.sliced(end).toByteArray();
}

} // namespace

QByteArray setProfileValue(const QByteArray &contents, QByteArrayView section,
                           QByteArrayView key, QByteArrayView value)
{
    const QByteArray updated = ProfileFile::update(contents, section, key, value);
    if (updated == contents)
        return contents;
    bool found = false;
    const QByteArray current = ProfileFile::lookup(contents, section, key, {}, &found);
    if (!found)
        return updated;
    if (current == value)
        return contents;
    // The update writes the key's line as `key=value`; the camera's spelling of the rest
    // of the line is kept instead.
    ConfigLines before(contents);
    const ConfigLines after(updated);
    if (before.size() != after.size())
        return updated;
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before.text(i) != after.text(i)) {
            before.setText(i, respelled(before.text(i), value));
            return before.contents();
        }
    }
    return updated;
}

} // namespace ConfigFiles

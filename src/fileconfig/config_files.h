#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

// Local copies of the camera files, by bare name inside a folder the caller gives
// (LocalTempFolder() in the program, a scratch folder in tests).
namespace ConfigFiles {

QString pathOf(const QString &folder, const QString &name);
bool exists(const QString &folder, const QString &name);
// The file's bytes; nothing when it does not exist or cannot be read.
std::optional<QByteArray> load(const QString &folder, const QString &name);
// Writes beside the file and renames over it, so a failed write keeps the old file.
bool save(const QString &folder, const QString &name, const QByteArray &bytes);

// Copies `contents` line by line, every line whole and ended by one line feed, empty
// lines dropped. `edit` returns the replacement of a line, or nothing to keep it.
QByteArray copyEdit(const QByteArray &contents,
                    const std::function<std::optional<QByteArray>(QByteArrayView)> &edit);

// `after` as the smallest edit of `before`: every line whose text the rewrite left alone
// keeps its bytes (line end included), and the empty and comment lines ('#', '%') the
// rewrite dropped stay where they were. The camera's readers skip those lines, so the
// result reads the same as `after`. Very long files come back as `after`.
QByteArray keepUntouchedLines(const QByteArray &before, const QByteArray &after);

// A profile update that leaves the file's bytes alone when the key already holds the
// value.
QByteArray setProfileValue(const QByteArray &contents, QByteArrayView section,
                           QByteArrayView key, QByteArrayView value);

} // namespace ConfigFiles

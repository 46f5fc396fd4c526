#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

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

// A profile update that leaves the file's bytes alone when the key already holds the
// value.
QByteArray setProfileValue(const QByteArray &contents, QByteArrayView section,
                           QByteArrayView key, QByteArrayView value);

} // namespace ConfigFiles

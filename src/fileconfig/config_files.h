#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Local copies of the camera files, by bare name inside a folder the caller gives
// (LocalTempFolder() in the program, a scratch folder in tests).
namespace ConfigFiles {

// Camera files are a few KB; anything larger is not one and is not read whole.
constexpr qsizetype MaxFileBytes = 1024 * 1024;

QString pathOf(const QString &folder, const QString &name);
bool exists(const QString &folder, const QString &name);
// The file's bytes; nothing when it does not exist or cannot be read. Only a plain file
// of at most MaxFileBytes is read: a link, a device, a FIFO or a larger file is refused,
// and *refusal (when given) says so with its name. A missing file leaves it empty.
std::optional<QByteArray> load(const QString &folder, const QString &name);
std::optional<QByteArray> load(const QString &folder, const QString &name, QString *refusal);
// Writes a new file beside the name and renames it over whatever the name held (a link
// there is replaced, not followed), so a failed write keeps the old file. The file is
// for the owner alone (0600) whatever the umask: camera files hold passwords.
bool save(const QString &folder, const QString &name, const QByteArray &bytes);

// A profile update that leaves the file's bytes alone when the key already holds the
// value.
QByteArray setProfileValue(const QByteArray &contents, QByteArrayView section,
                           QByteArrayView key, QByteArrayView value);

} // namespace ConfigFiles

#pragma once

#include "fileconfig/config_error.h"
#include "fileconfig/page_settings.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Which camera files each settings tab shows, and reading and writing them in the local
// folder, for every tab alike.
namespace PageFiles {

// Model codes 2 and 6 have no motion detection (and choose channel 1's PTZ model).
bool HasMotionDetection(quint8 modelCode);
// The file set of a tab; -1 for tabs shown from the discovery data.
int SetOf(FileTab tab, quint8 modelCode);
// The tabs shown from camera files, in page order (Ddns .. Audio).
const QList<FileTab> &FileTabs();
// The tab whose files a set holds (both event sets are the Event Server's); nothing for
// the sets of no page.
std::optional<FileTab> TabOfSet(int set);
// The tab's settings read from the local files. listing: the daemon folder's listing of
// the fetch (Camera Control); source: the event file shown. On error `out` is unchanged.
ConfigError Read(FileTab tab, const QString &folder, const QStringList &listing,
                 EventSource source, PageSettings &out);
// Writes the settings into their local files (the event settings into their source's
// file only) as an edit: the lines of the fields that differ from what a file says change,
// every other byte stays, so the camera's own lines, comments and line ends survive. A
// file the folder lacks is written whole where the page can write one.
ConfigError Write(const QString &folder, const PageSettings &settings);
// Write for a script's field edit: only the named fields' lines change, so an event
// source is not made the camera's active one on the way.
ConfigError WriteFields(const QString &folder, PageSettings settings);

// Copies the set's files that exist in `from` into `to`; false when one cannot be written.
bool CopySet(const QString &from, const QString &to, int set);

// The local files of a set as they are now (nothing for a missing file), so that a
// failed upload can put back what the camera still holds.
using Snapshot = QHash<QString, std::optional<QByteArray>>;
Snapshot Take(const QString &folder, int set);
// False when a file could not be put back.
bool PutBack(const QString &folder, const Snapshot &snapshot);

} // namespace PageFiles

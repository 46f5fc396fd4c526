#pragma once

#include "fileconfig/config_error.h"
#include "fileconfig/page_checks.h"
#include "fileconfig/page_settings.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <optional>

struct ConfigFieldBinding;

// What reading a page's files takes besides the folder.
struct PageReadInput {
    QString folder;
    QStringList listing;    // the daemon folder's listing of the fetch (Camera Control)
    EventSource source = EventSource::DigitalInput; // the event file shown
};

// One page of a file-configured camera's page control, everything the program knows of
// it but its widget (the window's own table adds that): where its values come from,
// how they are read, checked and saved, and what scripts call them.
struct FilePageRow {
    // Where the page's values come from and where its Save sends them.
    enum class Kind {
        Record,  // the discovery reply; saved by a command
        Account, // the account flow with its own Save, a command
        Update,  // firmware, pictures and daemons: no values of its own
        Files,   // the camera's files, fetched over FTP; saved by their upload
    };

    FileTab tab = FileTab::NetworkInfo;
    Kind kind = Kind::Files;
    int titleId = 0;
    const char *title = "";    // the English title, where the language has none
    QString fieldsPage;        // the page name scripts use ("ddns"); empty: no fields
    int set = -1;              // Files: the file set
    int setWithoutMotion = -1; // Files: the set of the models without motion detection
    bool needsAudio = false;   // shown only for a camera that announced audio
    std::size_t alternative = 0; // the PageSettings alternative the page holds
    // That alternative with nothing read into it.
    std::function<PageSettings()> blank;

    // Files: the settings from the local copies; `out` changes only on success.
    std::function<ConfigError(const PageReadInput &, PageSettings &out)> read;
    // Files: the settings into their local copies (see PageFiles::Write).
    std::function<ConfigError(const QString &folder, const PageSettings &)> write;
    // The page Save's checks; empty for a page without rules.
    std::function<std::optional<CheckFailure>(const PageSettings &, const PageCheckContext &)>
        check;
    // Record: the settings as the camera announced them, and the command that sets them.
    std::function<PageSettings(const TConfigItem &)> fromRecord;
    std::function<CommandBytes(TConfigItem &, const QString &rowKind, const PageSettings &,
                               const CommandSources &)>
        command;
    // Adds the page's fields (named `fieldsPage`) to the table of fields.
    std::function<void(QList<ConfigFieldBinding> &, const QString &page)> fields;

    bool holds(const PageSettings &settings) const { return settings.index() == alternative; }
    // The page-wide Save and Restore serve the page (not Account, which has its own, nor
    // Camera Update, which saves nothing).
    bool pageSave() const { return kind == Kind::Record || kind == Kind::Files; }
    // The tab's caption in the program's language.
    QString titleText() const;
    // The file set of this camera model; -1 for a page without files.
    int setOf(quint8 modelCode) const;
};

// The pages of a file-configured camera, one row each, in tab order: the one place a
// page is added.
namespace FilePageTable {

const QList<FilePageRow> &rows();
// Null for a value that is no tab.
const FilePageRow *of(FileTab tab);
// The page whose settings these are (std::monostate: Camera Update, which has none).
const FilePageRow *holding(const PageSettings &settings);

} // namespace FilePageTable

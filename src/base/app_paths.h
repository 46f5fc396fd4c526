#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files. A copy run from a build tree (or given --app-dir)
// keeps everything in one directory, as the tests and the demo expect; an installed copy
// uses the places a Linux user looks: settings under $XDG_CONFIG_HOME/zora, the saved
// camera list and the window layout under $XDG_STATE_HOME/zora, working copies of camera
// files under $XDG_RUNTIME_DIR/zora (else $XDG_CACHE_HOME/zora).
struct AppPaths {
    QString settings;      // zora.ini, the language files, the icon and the About picture
    QString state;         // empty: the camera list in temp/, the layout beside zora.ini
    QString work;          // empty: temp/ of the settings directory
    bool installed = false;

    // Everything in dir.
    static AppPaths beside(const QString &dir);
    // The user's XDG directories (relative values are ignored, as the XDG rules ask).
    static AppPaths forUser();
    // Where an older version kept everything: $XDG_DATA_HOME/zora.
    static QString olderDir();

    // Makes the directories (the state and working ones readable by the user only) and
    // points ApplicationPath, LocalTempFolder and the state files at them.
    void apply() const;
    // Moves what an older version left in oldDir to the places above, each file only
    // when the new place has none (so nothing is overwritten and a second start moves
    // nothing); oldDir goes once it is empty. One line a file moved.
    QStringList moveOlderFiles(const QString &oldDir) const;
};

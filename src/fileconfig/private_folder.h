#pragma once

#include <QString>

// A folder of camera files for this user alone (0700), made inside a folder that others
// may write to: a site keeps its backups in a checkout and runs the backup as root. No
// link found there is followed. The folder stays open once made, so that its files go
// into it even when somebody moves its name or puts something else there meanwhile.
class PrivateFolder final
{
public:
    enum class Kind { Missing, Folder, Link, Other };

    // What path names itself, a link not followed.
    static Kind kindOf(const QString &path);
    // "DIR/NAME is a link: refused" for what may not be taken for a folder of ours;
    // empty for a folder or nothing.
    static QString refusal(const QString &path);
    // Removes the folder at path and all it holds. A link inside goes itself (never
    // what it points to); a link or any other non-folder at path is refused.
    static bool removeTree(const QString &path, QString *error);
    // The folder a user names to hold camera folders (a backup's --out): made with its
    // parents where missing, and then for this user alone (its camera folders' names are
    // MACs); a folder that is there already stays as it is.
    static bool makeRoot(const QString &path);

    PrivateFolder() = default;
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;

    // Makes path anew; a folder left there by an earlier run is removed first.
    bool create(const QString &path, QString *error);
    // A path of the folder made that stays with it wherever its name goes.
    QString handle() const { return m_handle; }
    // Whether path names the folder made, not something put in its place.
    bool isAt(const QString &path) const;
    // Removes what the folder holds wherever it is now, and the folder if still at
    // its name.
    void discard();

private:
    int m_fd = -1;
    QString m_path;
    QString m_handle;
};

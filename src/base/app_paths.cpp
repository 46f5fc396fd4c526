#include "base/app_paths.h"

#include "base/shared_routines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// $name when it holds an absolute path, else home + fallback.
QString xdgDir(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + fallback;
}

void makePrivateDir(const QString &dir)
{
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Moves from to to unless to exists; a link moves as the link it is.
bool moveOne(const QString &from, const QString &to, QStringList *moved)
{
    const QFileInfo source(from);
    if (!source.exists() && !source.isSymLink())
        return false;
    if (QFileInfo(to).exists() || QFileInfo(to).isSymLink())
        return false;
    QDir().mkpath(QFileInfo(to).absolutePath());
    const bool ok = source.isDir() && !source.isSymLink() ? QDir().rename(from, to) : QFile::rename(from, to);
    if (ok)
        *moved << QStringLiteral("%1 -> %2").arg(from, to);
    return ok;
}

} // namespace

AppPaths AppPaths::beside(const QString &dir)
{
    AppPaths p;
    p.settings = QDir::cleanPath(dir);
    return p;
}

AppPaths AppPaths::forUser()
{
    AppPaths p;
    p.installed = true;
    p.settings = xdgDir("XDG_CONFIG_HOME", QStringLiteral("/.config")) + QStringLiteral("/zora");
    p.state = xdgDir("XDG_STATE_HOME", QStringLiteral("/.local/state")) + QStringLiteral("/zora");
    // Working copies hold camera settings, passwords among them: the runtime directory is
    // the user's alone and gone at logout. Without one, the cache.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        p.work = QDir::cleanPath(runtime) + QStringLiteral("/zora");
    else
        p.work = xdgDir("XDG_CACHE_HOME", QStringLiteral("/.cache")) + QStringLiteral("/zora");
    return p;
}

QString AppPaths::olderDir()
{
    return xdgDir("XDG_DATA_HOME", QStringLiteral("/.local/share")) + QStringLiteral("/zora");
}

void AppPaths::apply() const
{
    QDir().mkpath(settings);
    if (!state.isEmpty())
        makePrivateDir(state);
    if (!work.isEmpty())
        makePrivateDir(work);
    SetApplicationPath(settings);
    SetStateFolder(state);
    SetWorkFolder(work);
}

QStringList AppPaths::moveOlderFiles(const QString &oldDir) const
{
    QStringList moved;
    const QDir old(oldDir);
    if (!installed || !old.exists() || QDir::cleanPath(oldDir) == QDir::cleanPath(settings))
        return moved;
    const QString temp = old.filePath(QStringLiteral("temp"));
    moveOne(old.filePath(QStringLiteral("temp/CameraList.cfg")), state + QStringLiteral("/CameraList.cfg"), &moved);
    moveOne(old.filePath(QStringLiteral("zora-window.ini")), state + QStringLiteral("/zora-window.ini"), &moved);
    // Working copies in temp/ are left where they are: a window closed in order removes
    // them, so any left are a crashed run's, which its user may still want.
    QDir().rmdir(temp);
    // Everything else was a setting: zora.ini, the language files, icons and pictures.
    const QStringList rest = old.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : rest) {
        if (name != QLatin1String("temp"))
            moveOne(old.filePath(name), settings + QLatin1Char('/') + name, &moved);
    }
    QDir().rmdir(oldDir);
    return moved;
}

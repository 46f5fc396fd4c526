#include "fileconfig/private_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Our folders are flat; a deeper tree is not ours to clear.
constexpr int kMaxDepth = 16;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

int openFolder(int at, const char *name)
{
    return ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Everything in the open folder goes; a link is unlinked, a folder is entered only by
// a handle that refuses links, so nothing outside is ever touched.
bool emptyFolder(int fd, int depth)
{
    const int listFd = ::dup(fd);
    DIR *dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return false;
    }
    bool ok = true;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (::unlinkat(fd, name, 0) == 0)
            continue;
        const int sub = (errno == EISDIR && depth < kMaxDepth) ? openFolder(fd, name) : -1;
        if (sub < 0) {
            ok = false;
            continue;
        }
        ok = emptyFolder(sub, depth + 1) && ok;
        ::close(sub);
        ok = ::unlinkat(fd, name, AT_REMOVEDIR) == 0 && ok;
    }
    ::closedir(dir);
    return ok;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

PrivateFolder::Kind PrivateFolder::kindOf(const QString &path)
{
    struct stat st;
    if (::lstat(native(path).constData(), &st) != 0)
        return Kind::Missing;
    if (S_ISLNK(st.st_mode))
        return Kind::Link;
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
}

QString PrivateFolder::refusal(const QString &path)
{
    switch (kindOf(path)) {
    case Kind::Link:
        return u"%1 is a link: refused"_s.arg(QDir::toNativeSeparators(path));
    case Kind::Other:
        return u"%1 is not a folder: refused"_s.arg(QDir::toNativeSeparators(path));
    case Kind::Missing:
    case Kind::Folder:
        break;
    }
    return {};
}

bool PrivateFolder::makeRoot(const QString &path)
{
    if (QFileInfo(path).isDir())
        return true;
    return QDir().mkpath(path)
           && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool PrivateFolder::removeTree(const QString &path, QString *error)
{
    if (const QString refused = refusal(path); !refused.isEmpty()) {
        *error = refused;
        return false;
    }
    const int fd = openFolder(AT_FDCWD, native(path).constData());
    if (fd < 0 && errno == ENOENT)
        return true;
    const bool emptied = fd >= 0 && emptyFolder(fd, 0);
    if (fd >= 0)
        ::close(fd);
    if (!emptied || ::rmdir(native(path).constData()) != 0) {
        *error = u"cannot remove %1"_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

PrivateFolder::~PrivateFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PrivateFolder::create(const QString &path, QString *error)
{
    if (kindOf(path) == Kind::Folder && !removeTree(path, error))
        return false;
    const QByteArray name = native(path);
    if (::mkdir(name.constData(), S_IRWXU) != 0) {
        const QString refused = refusal(path);
        *error = refused.isEmpty() ? u"cannot make %1: %2"_s.arg(QDir::toNativeSeparators(path),
                                                                 QString::fromLocal8Bit(std::strerror(errno)))
                                   : refused;
        return false;
    }
    // Between mkdir and open the name may have been given to another user's folder.
    m_fd = openFolder(AT_FDCWD, name.constData());
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || st.st_uid != ::geteuid() || ::fchmod(m_fd, S_IRWXU) != 0) {
        *error = u"%1 was replaced while it was made: refused"_s.arg(QDir::toNativeSeparators(path));
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_path = path;
    // The process's own view of the open folder; without /proc the name must do.
    const QString proc = u"/proc/self/fd/%1"_s.arg(m_fd);
    m_handle = ::access(native(proc).constData(), W_OK) == 0 ? proc : path;
    return true;
}

bool PrivateFolder::isAt(const QString &path) const
{
    struct stat mine, there;
    return m_fd >= 0 && ::fstat(m_fd, &mine) == 0 && ::lstat(native(path).constData(), &there) == 0
           && S_ISDIR(there.st_mode) && sameFile(mine, there);
}

void PrivateFolder::discard()
{
    if (m_fd < 0)
        return;
    emptyFolder(m_fd, 0);
    if (isAt(m_path))
        ::rmdir(native(m_path).constData());
}

#include "fileconfig/config_files.h"

#include "base/profile_file.h"
#include "fileconfig/config_lines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    return load(folder, name, nullptr);
}

std::optional<QByteArray> load(const QString &folder, const QString &name, QString *refusal)
{
    using namespace Qt::StringLiterals;
    const QString path = pathOf(folder, name);
    auto refuse = [refusal, &path](const QString &why) -> std::optional<QByteArray> {
        if (refusal)
            *refusal = u"%1 %2: refused"_s.arg(QDir::toNativeSeparators(path), why);
        return std::nullopt;
    };
    // Not blocking, so that a FIFO cannot hold the open; nothing but a plain file is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        return refuse(errno == ELOOP ? u"is a link"_s
                                     : u"cannot be read (%1)"_s.arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(u"is not a plain file"_s);
    }
    QByteArray bytes;
    bool failed = false;
    // One byte past the bound tells a file that is too large from one that just fits.
    while (bytes.size() <= MaxFileBytes) {
        char chunk[16384];
        const ssize_t n = ::read(fd, chunk, size_t(qMin<qsizetype>(sizeof chunk, MaxFileBytes + 1 - bytes.size())));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        bytes.append(chunk, n);
    }
    ::close(fd);
    if (failed)
        return refuse(u"cannot be read"_s);
    if (bytes.size() > MaxFileBytes)
        return refuse(u"is larger than %1 bytes"_s.arg(MaxFileBytes));
    return bytes;
}

bool save(const QString &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = pathOf(folder, name);
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return false;
    const int fd = file.handle();
    // For the owner alone whatever the umask: camera files hold passwords. A file system
    // that cannot sync (EINVAL) still takes the file.
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0 || file.write(bytes) != bytes.size() || !file.flush()
        || (::fsync(fd) != 0 && errno != EINVAL))
        return false;
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return false;
    file.setAutoRemove(false);
    return true;
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
    // Quotes around a value keep blanks at its ends that a lookup would otherwise trim.
    if (old.size() >= 2 && (old.front() == '"' || old.front() == '\'') && old.back() == old.front()
        && !value.contains(old.front()) && value.trimmed() == value)
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

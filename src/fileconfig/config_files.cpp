#include "fileconfig/config_files.h"

#include "app/profile_file.h"
#include "fileconfig/config_parser.h"
#include "fileconfig/config_table.h"

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

QByteArray copyEdit(const QByteArray &contents,
                    const std::function<std::optional<QByteArray>(QByteArrayView)> &edit)
{
    QByteArray out;
    out.reserve(contents.size() + 16);
    for (QByteArrayView line : SplitConfigLines(contents)) {
        if (line.isEmpty())
            continue;
        if (std::optional<QByteArray> replacement = edit(line))
            out += *replacement;
        else
            out += line;
        out += '\n';
    }
    return out;
}

namespace {

struct RawLine {
    QByteArrayView raw;  // with its line end
    QByteArrayView text; // without
};

QList<RawLine> rawLines(const QByteArray &bytes)
{
    QList<RawLine> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        qsizetype textEnd = end;
        while (textEnd > start && bytes.at(textEnd - 1) == '\r')
            --textEnd;
        lines.append({QByteArrayView(bytes).sliced(start, next - start),
                      QByteArrayView(bytes).sliced(start, textEnd - start)});
        start = next;
    }
    return lines;
}

bool quietLine(QByteArrayView text)
{
    const QByteArrayView t = text.trimmed();
    return t.isEmpty() || t.startsWith('#') || t.startsWith('%');
}

// Both lines hold one entry with the same key and value.
bool sameEntry(QByteArrayView x, QByteArrayView y)
{
    ConfigTable a, b;
    if (ParseConfigText(x, a) != 1 || ParseConfigText(y, b) != 1)
        return false;
    const ConfigEntry &p = a.entries[0], &q = b.entries[0];
    return p.keyText() == q.keyText() && p.valueText() == q.valueText();
}

} // namespace

QByteArray keepUntouchedLines(const QByteArray &before, const QByteArray &after)
{
    const QList<RawLine> a = rawLines(before);
    const QList<RawLine> b = rawLines(after);
    const qsizetype n = a.size(), m = b.size();
    constexpr qsizetype kMaxCells = 4'000'000;
    if ((n + 1) * (m + 1) > kMaxCells)
        return after;
    // Longest common subsequence of the lines' texts, from the ends.
    QList<int> lcs((n + 1) * (m + 1), 0);
    auto at = [m](qsizetype i, qsizetype j) { return i * (m + 1) + j; };
    for (qsizetype i = n - 1; i >= 0; --i) {
        for (qsizetype j = m - 1; j >= 0; --j) {
            lcs[at(i, j)] = a[i].text == b[j].text ? lcs[at(i + 1, j + 1)] + 1
                                                   : qMax(lcs[at(i + 1, j)], lcs[at(i, j + 1)]);
        }
    }
    QByteArray out;
    out.reserve(qMax(before.size(), after.size()) + 16);
    auto put = [&out](QByteArrayView raw) {
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += '\n';
        out += raw;
    };
    // Between two common lines lies a hunk: the lines the rewrite took out and those it
    // put in. A line it took out gives its place to the next line put in; an empty or
    // comment line stays in its place.
    qsizetype i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i].text == b[j].text) {
            put(a[i++].raw);
            ++j;
            continue;
        }
        const qsizetype hunkA = i, hunkB = j;
        while ((i < n || j < m) && !(i < n && j < m && a[i].text == b[j].text)) {
            if (i < n && (j >= m || lcs[at(i + 1, j)] >= lcs[at(i, j + 1)]))
                ++i;
            else
                ++j;
        }
        qsizetype next = hunkB;
        for (qsizetype k = hunkA; k < i; ++k) {
            if (quietLine(a[k].text)) {
                put(a[k].raw);
            } else if (next < j) {
                // Respelled but saying the same (`var title = "x";` as `var title = "x"`):
                // the camera's own line stays.
                put(sameEntry(a[k].text, b[next].text) ? a[k].raw : b[next].raw);
                ++next;
            }
        }
        while (next < j)
            put(b[next++].raw);
    }
    return out;
}

QByteArray setProfileValue(const QByteArray &contents, QByteArrayView section,
                           QByteArrayView key, QByteArrayView value)
{
    QByteArray updated = ProfileFile::update(contents, section, key, value);
    if (updated == contents)
        return contents;
    // The update respells a line such as `key = "value"`; leave it when it already
    // says the same.
    bool found = false;
    const QByteArray current = ProfileFile::lookup(contents, section, key, {}, &found);
    return (found && current == value) ? contents : updated;
}

} // namespace ConfigFiles

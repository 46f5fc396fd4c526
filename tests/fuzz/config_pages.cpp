// A file-configured camera's settings files through every page reader and writer.
//
// Input: one byte choosing the page (value % 9, in page order), the event source
// (value / 9 % 3), a spare bit (value / 27 % 2, once the writer's kind) and the
// event file set (value / 54 % 2: with or without motion detection); then the page's
// files in the order of their set, separated by 0x1e. A file the input leaves out is
// missing. After the Camera Control page's file may follow the daemon folder's listing,
// one name a line.
//
// Promise checked, for well-formed files (see wellFormed) and settings the page's own
// checks let be saved (as the window and zoractl check them before writing): what a
// page reads, writes and reads again is what it read at first; writing that again
// changes no byte. Other inputs still
// go through every reader and writer, for the sanitizers.
#include "fuzz_support.h"

#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/page_checks.h"
#include "fileconfig/page_files.h"

#include <QHash>

namespace {

const QString &folder()
{
    static const QString path = [] {
        const QString p = Fuzz::scratchFile(QStringLiteral("camfiles"));
        QDir().mkpath(p);
        return p;
    }();
    return path;
}

// Every local file of every set.
const QStringList &allNames()
{
    static const QStringList names = [] {
        QStringList out;
        for (int set = 0; set < 16; ++set) {
            for (const QString &name : ConfigFileSet(set).localNames()) {
                if (!out.contains(name))
                    out << name;
            }
        }
        return out;
    }();
    return names;
}

using Files = QHash<QString, QByteArray>;

Files filesNow()
{
    Files files;
    for (const QString &name : allNames()) {
        if (const auto bytes = ConfigFiles::load(folder(), name))
            files.insert(name, *bytes);
    }
    return files;
}

QByteArray shownFiles(const Files &files)
{
    QByteArray out;
    for (const QString &name : allNames()) {
        if (files.contains(name))
            out += "\n  " + name.toLatin1() + ": " + Fuzz::shown(files.value(name));
    }
    return out;
}

// Files as a camera writes them, for which the promise holds: text without NUL bytes,
// no entry line longer than a value field (192 bytes: the table readers trim a value,
// then cut it to its field, and a cut value may end in blanks that a rewrite trims), no
// key holding a double quote (the readers take a value from the first quote of the
// line on), and comments starting their line (System Info's rebuild writes a key
// without its leading blanks, and one that then starts like a comment is one from the
// next read on).
bool wellFormed(const Files &files)
{
    for (const QByteArray &file : files) {
        if (file.contains('\0'))
            return false;
        for (QByteArrayView line : file.split('\n')) {
            if (line.size() > 192 && line.contains('=') && !line.startsWith('#')
                && !line.startsWith('%'))
                return false;
            const qsizetype eq = line.indexOf('=');
            if (eq >= 0 && line.first(eq).contains('"'))
                return false;
            // The readers' blanks: every byte up to ' '.
            qsizetype first = 0;
            while (first < line.size() && uchar(line[first]) <= ' ')
                ++first;
            if (first > 0 && first < line.size() && (line[first] == '#' || line[first] == '%'))
                return false;
        }
    }
    return true;
}

// The settings as their writer stores them: an edit of the camera's script keeps an
// unnamed security level unnamed; a script written anew names Low for it.
PageSettings stored(PageSettings settings, const Files &given)
{
    if (auto *security = std::get_if<SecuritySettings>(&settings);
        security && security->level == SecuritySettings::Level::Unset
        && !given.contains(QStringLiteral("rc.iptables")))
        security->level = SecuritySettings::Level::Low;
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::start();
    folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int pick = data[0];
    const FileTab tab = PageFiles::FileTabs().at(pick % 9);
    const EventSource source = EventSource(pick / 9 % 3);
    const quint8 model = pick / 54 % 2 ? 2 : 0;
    const int set = PageFiles::SetOf(tab, model);
    const QStringList names = ConfigFileSet(set).localNames();
    const QList<QByteArray> parts = Fuzz::split(Fuzz::bytesOf(data + 1, size - 1));

    for (const QString &name : allNames())
        QFile::remove(ConfigFiles::pathOf(folder(), name));
    for (qsizetype i = 0; i < names.size() && i < parts.size(); ++i)
        Fuzz::writeFile(ConfigFiles::pathOf(folder(), names[i]), parts[i]);
    QStringList listing = {QStringLiteral("."), QStringLiteral(".."), QStringLiteral("head_a"),
                           QStringLiteral("head_b")};
    if (tab == FileTab::CameraControl && parts.size() > names.size()) {
        // Names in a folder: never empty, never with a '/'.
        listing = QString::fromLatin1(parts[names.size()]).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        listing.removeIf([](const QString &name) { return name.contains(QLatin1Char('/')); });
    }

    const Files given = filesNow();
    PageSettings first;
    if (PageFiles::Read(tab, folder(), listing, source, first) != ConfigError::None)
        return 0;
    const auto write = [&](const PageSettings &settings) { return PageFiles::Write(folder(), settings); };
    // A page whose files are missing may refuse to write; that is all it may do.
    if (write(first) != ConfigError::None) {
        if (filesNow() != given)
            Fuzz::fail("config_pages", "a refused write changed files:" + shownFiles(given)
                                           + "\nnow:" + shownFiles(filesNow()));
        return 0;
    }
    const Files written = filesNow();
    PageCheckContext context;
    context.channelOneModelBox = !PageFiles::HasMotionDetection(model);
    if (CheckPage(first, context) || !wellFormed(given))
        return 0;

    PageSettings second;
    if (PageFiles::Read(tab, folder(), listing, source, second) != ConfigError::None
        || second != stored(first, given))
        Fuzz::fail("config_pages", "the page reads otherwise after its own write\ngiven:"
                                       + shownFiles(given) + "\nwritten:" + shownFiles(written));
    if (write(second) != ConfigError::None)
        Fuzz::fail("config_pages", "a second write failed");
    if (filesNow() != written)
        Fuzz::fail("config_pages", "the page changes files it wrote itself\nwritten:"
                                       + shownFiles(written) + "\nagain:" + shownFiles(filesNow()));
    return 0;
}

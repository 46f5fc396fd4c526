#pragma once

// What the fuzz targets share: the Qt application, a scratch folder, input splitting and
// the check that turns a broken promise into a crash the fuzzer keeps.

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace Fuzz {

// Several files or fields in one input are separated by this byte (ASCII record
// separator), which no camera or settings file uses.
inline constexpr char kSeparator = '\x1e';

inline QByteArrayView bytesOf(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline QList<QByteArray> split(QByteArrayView input)
{
    QList<QByteArray> parts;
    for (qsizetype start = 0;;) {
        const qsizetype at = input.indexOf(kSeparator, start);
        if (at < 0) {
            parts.append(input.sliced(start).toByteArray());
            return parts;
        }
        parts.append(input.sliced(start, at - start).toByteArray());
        start = at + 1;
    }
}

// Bytes made readable for a report: printable ASCII as it is, the rest as \xNN.
inline QByteArray shown(QByteArrayView bytes)
{
    QByteArray out;
    for (char c : bytes) {
        if (c >= ' ' && c <= '~' && c != '\\')
            out += c;
        else
            out += "\\x" + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
    }
    return out;
}

[[noreturn]] inline void fail(const char *target, const QByteArray &what)
{
    std::fprintf(stderr, "%s: %s\n", target, what.constData());
    std::fflush(stderr);
    std::abort();
}

inline void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    // The code under test warns about the odd files it is fed; only a fatal message is
    // worth seeing.
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        std::abort();
    }
}

// The application object and a quiet log, once per process.
inline void start()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qInstallMessageHandler(quietMessages);
        new QCoreApplication(argc, argv);
    }
}

// A folder of this process, removed at exit (a crash leaves it: scripts/fuzz gives a
// place of its own in ZORA_FUZZ_SCRATCH and removes that). In memory where the system
// has such a place: the settings writers sync every file they save, which on a disk
// costs milliseconds an input.
inline const QString &scratch()
{
    static const QString base = [] {
        const QString given = qEnvironmentVariable("ZORA_FUZZ_SCRATCH");
        if (!given.isEmpty())
            return given;
        return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    }();
    static QTemporaryDir dir(QDir(base).filePath(QStringLiteral("zora-fuzz-XXXXXX")));
    if (!dir.isValid())
        fail("fuzz", "no scratch folder");
    static const QString path = dir.path();
    return path;
}

inline QString scratchFile(const QString &name)
{
    return QDir(scratch()).filePath(name);
}

inline void writeFile(const QString &path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes.data(), bytes.size()) != bytes.size())
        fail("fuzz", "cannot write " + path.toLocal8Bit());
}

} // namespace Fuzz

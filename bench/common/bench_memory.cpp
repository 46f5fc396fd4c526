#include "bench_memory.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>

namespace BenchMemory {

Sample sample()
{
    Sample s;
    const struct mallinfo2 m = mallinfo2();
    s.heapBytes = double(m.uordblks) + double(m.hblkhd);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (statm.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> fields = statm.readAll().split(' ');
        if (fields.size() > 1)
            s.rssBytes = fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE));
    }
    return s;
}

void print(const Figure &f)
{
    std::printf("memory-figure %d %d %.0f %.0f %.0f %.0f\n", f.cameras, f.listed, f.start.heapBytes,
                f.start.rssBytes, f.end.heapBytes, f.end.rssBytes);
    std::fflush(stdout);
}

std::optional<Figure> runChild(const QStringList &arguments, int deadlineMs)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(deadlineMs)) {
        child.kill();
        child.waitForFinished(5000);
        return std::nullopt;
    }
    const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QList<QByteArray> v = it->split(' ');
        if (v.size() != 7 || v.at(0) != "memory-figure")
            continue;
        Figure f;
        f.cameras = v.at(1).toInt();
        f.listed = v.at(2).toInt();
        f.start = {v.at(3).toDouble(), v.at(4).toDouble()};
        f.end = {v.at(5).toDouble(), v.at(6).toDouble()};
        return f;
    }
    return std::nullopt;
}

QString perCameraText(const Figure &f)
{
    return QStringLiteral("%1 B heap, %2 B resident")
        .arg(qRound(f.heapPerCamera()))
        .arg(qRound(f.rssPerCamera()));
}

} // namespace BenchMemory

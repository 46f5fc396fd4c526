#include "base/input_file.h"

#include <QFile>

#include <cstdio>

std::optional<QByteArray> InputFile::read(const QString &path, qint64 limit, QString *error)
{
    QFile file;
    bool opened = false;
    if (path == QLatin1String("-")) {
        opened = file.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered);
    } else {
        file.setFileName(path);
        opened = file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    if (!opened) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(displayName(path), file.errorString());
        return std::nullopt;
    }
    // One byte past the bound tells "too long" from "exactly the bound".
    QByteArray bytes;
    char chunk[4096];
    while (bytes.size() <= limit) {
        const qint64 n = file.read(chunk, qMin<qint64>(sizeof chunk, limit + 1 - bytes.size()));
        if (n < 0) {
            if (error)
                *error = QStringLiteral("cannot read %1: %2").arg(displayName(path), file.errorString());
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(chunk, n);
    }
    if (bytes.size() > limit) {
        if (error)
            *error = QStringLiteral("%1 is longer than %2 bytes").arg(displayName(path)).arg(limit);
        return std::nullopt;
    }
    return bytes;
}

QString InputFile::displayName(const QString &path)
{
    return path == QLatin1String("-") ? QStringLiteral("standard input") : path;
}

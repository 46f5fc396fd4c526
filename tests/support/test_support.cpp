#include "test_support.h"

#include "app/shared_routines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace TestSupport {

AppDir::AppDir()
{
    SetApplicationPath(m_dir.path());
}

AppDir::~AppDir()
{
    if (ApplicationPath() == path())
        SetApplicationPath({});
}

QString AppDir::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

QString AppDir::file(const QString &name) const
{
    return path() + name;
}

bool AppDir::write(const QString &name, const QByteArray &bytes) const
{
    const QString full = file(name);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray AppDir::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray fromHex(const char *spacedHex)
{
    return QByteArray::fromHex(QByteArray(spacedHex).replace(' ', ""));
}

QString sourcePath(const QString &relative)
{
    return QStringLiteral(ZORA_SOURCE_DIR "/") + relative;
}

QString pythonPath()
{
    const QString p = qEnvironmentVariable("ZORA_PYTHON");
    return p.isEmpty() ? QStringLiteral("/usr/bin/python3") : p;
}

} // namespace TestSupport

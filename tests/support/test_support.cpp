#include "test_support.h"

#include "base/shared_routines.h"
#include "protocol/datagram.h"

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

QByteArray SmallReply(quint8 macLast, const QByteArray &host, quint8 type, int lengthDelta)
{
    QByteArray d = QByteArray("ZORA") + char(1) + QByteArray(2, '\0') + char(type) + char(1)
                   + QByteArray::fromHex("000A1B2C3D") + char(macLast) + char(1) + char(0);
    d += char(3) + QByteArray("L60") + char(host.size()) + host;
    Zora::PutLe16(d, 5, quint16(d.size() + lengthDelta));
    return d;
}

void SetReplyMac(QByteArray &reply, int tail)
{
    reply[12] = char(tail >> 16);
    reply[13] = char(tail >> 8);
    reply[14] = char(tail);
}

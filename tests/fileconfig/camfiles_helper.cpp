#include "camfiles_helper.h"

#include "test_support.h"

#include <QDir>
#include <QFile>

namespace CamFiles {

namespace {

QString remotePath(const QString &localName)
{
    if (localName == QLatin1String("title.js"))
        return QStringLiteral("etc/html/title.js");
    if (localName.endsWith(QLatin1String("_input.conf"))
        || localName == QLatin1String("hw_motion.conf")
        || localName == QLatin1String("periodic_timer.conf"))
        return QStringLiteral("etc/event/") + localName;
    return QStringLiteral("etc/") + localName;
}

} // namespace

QStringList localNames()
{
    return {QStringLiteral("ddns.conf"),       QStringLiteral("thttpd.conf"),
            QStringLiteral("title.js"),        QStringLiteral("udp_server.conf"),
            QStringLiteral("tcp_server.conf"), QStringLiteral("rc.server"),
            QStringLiteral("dio_input.conf"),  QStringLiteral("periodic_timer.conf"),
            QStringLiteral("hw_motion.conf"),  QStringLiteral("middle.conf"),
            QStringLiteral("control.conf"),    QStringLiteral("general.conf"),
            QStringLiteral("rc.iptables"),     QStringLiteral("audio.conf")};
}

QByteArray sample(const QString &localName)
{
    QFile file(TestSupport::sourcePath(QStringLiteral("tests/data/camfiles/")
                                       + remotePath(localName)));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing sample file %s", qPrintable(localName));
    return file.readAll();
}

Folder::Folder()
{
    for (const QString &name : localNames())
        write(name, sample(name));
}

QString Folder::file(const QString &name) const
{
    return QDir(m_dir.path()).filePath(name);
}

QByteArray Folder::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool Folder::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool Folder::remove(const QString &name) const
{
    return QFile::remove(file(name));
}

} // namespace CamFiles

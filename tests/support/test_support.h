#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Shared bits of the test programs.
namespace TestSupport {

// A fresh application directory for one test, with SetApplicationPath pointing at it.
class AppDir
{
public:
    AppDir();
    ~AppDir();
    QString path() const;          // with a trailing separator
    QString file(const QString &name) const;
    bool write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

QByteArray fromHex(const char *spacedHex);
QString sourcePath(const QString &relative);
QString pythonPath();

} // namespace TestSupport

// The smallest discovery reply (version 1: model name and host name only) of the camera
// whose MAC ends in macLast, or another reply type; lengthDelta spoils the length field.
QByteArray SmallReply(quint8 macLast, const QByteArray &host, quint8 type = 5, int lengthDelta = 0);
// Gives a SmallReply the MAC 00:0A:1B followed by the three bytes of tail.
void SetReplyMac(QByteArray &reply, int tail);

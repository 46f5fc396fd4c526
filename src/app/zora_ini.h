#pragma once

#include "app/profile_file.h"

#include <QByteArray>
#include <QString>

// zora.ini in the application directory: the model table, the OEM icon and the
// application name.
class ZoraIni final
{
public:
    static constexpr int kMaxModelKeys = 255;

    explicit ZoraIni(const QString &appDir);

    static QByteArray defaultContents();
    const QString &path() const { return m_file.path(); }
    bool exists() const { return m_file.exists(); }
    // Writes the default file when there is none; false when that fails.
    bool ensureExists();

    // [ZORA] APPNAME; a value shorter than 3 characters becomes "ZORA 2.0", written back
    // when `writeBack` is set.
    QString appName(bool writeBack);
    // The name without touching the file, as the running-copy guard reads it: empty when
    // the file does not exist.
    QString guardAppName() const;
    void writeHandle(qint64 handle);
    // [MODELS] 0, 1, 2, ... up to the first missing key, at most 255 of them.
    QList<QString> models() const;
    QString oemIcon() const;
    QString oemAppName() const;

private:
    ProfileFile m_file;
};

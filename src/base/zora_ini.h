#pragma once

#include "base/profile_file.h"

#include <QByteArray>
#include <QString>

// zora.ini in the application directory: the model table, the OEM icon and the
// application name. A file that exists but cannot be read is left alone: the writes
// fail and the first failure is reported (qWarning, once a ZoraIni) with the file and
// the reason.
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

    // The first write that failed, with the file and the reason; empty when none did.
    const QString &problem() const { return m_problem; }

private:
    void write(QByteArrayView key, QByteArrayView value);

    ProfileFile m_file;
    QString m_problem;
};

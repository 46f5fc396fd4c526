#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Private-profile ("ini") files as the cameras and the tool's own settings use them:
// sections in brackets, key=value lines, section and key names compared without regard
// to ASCII case, the first section and the first key of a name winning. Values are
// 8-bit text; nothing here decodes them.
//
// Reading looks the file up anew on every call, as the platform routines did, so a
// file changed by someone else is seen at once. Writing one key rewrites only the line
// of that key (or adds one), leaving every other byte of the file as it was.
class ProfileFile final
{
public:
    explicit ProfileFile(QString path);

    const QString &path() const { return m_path; }
    bool exists() const;

    QByteArray readString(QByteArrayView section, QByteArrayView key,
                          QByteArrayView fallback = {}) const;
    // Leading decimal digits (an optional sign first) of the value; 0 for a value that
    // does not start with a number; fallback when the key is missing.
    int readInt(QByteArrayView section, QByteArrayView key, int fallback) const;
    bool hasKey(QByteArrayView section, QByteArrayView key) const;

    // Sets one key, creating the file, the section and the key as needed. The file is
    // written beside and renamed over, so a failed write leaves the old one whole.
    bool writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    // The same operations on file contents, for callers that hold the bytes.
    static QByteArray lookup(const QByteArray &contents, QByteArrayView section,
                             QByteArrayView key, QByteArrayView fallback, bool *found = nullptr);
    static QByteArray update(const QByteArray &contents, QByteArrayView section,
                             QByteArrayView key, QByteArrayView value);
    static int toInt(QByteArrayView value);

private:
    QByteArray load() const;

    QString m_path;
};

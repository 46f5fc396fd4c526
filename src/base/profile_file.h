#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

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
    // written beside and renamed over, so a failed write leaves the old one whole. A file
    // that exists but cannot be read is never written: false, with errorString() saying
    // which file and why.
    bool writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    // Several keys of one section in one rewrite: the same bytes as writing them one
    // after another with writeString.
    using Entries = QList<std::pair<QByteArray, QByteArray>>;
    bool writeStrings(QByteArrayView section, const Entries &entries);
    // The reason of the last failed write.
    const QString &errorString() const { return m_error; }

    // The bytes of the file, empty when there is none; nothing, with the reason, when it
    // exists but is no regular file or cannot be read.
    std::optional<QByteArray> contents(QString *error = nullptr) const;

    // The same operations on file contents, for callers that hold the bytes.
    static QByteArray lookup(const QByteArray &contents, QByteArrayView section,
                             QByteArrayView key, QByteArrayView fallback, bool *found = nullptr);
    static QByteArray update(const QByteArray &contents, QByteArrayView section,
                             QByteArrayView key, QByteArrayView value);
    // update() for each entry in turn, in one pass over the contents.
    static QByteArray updateAll(const QByteArray &contents, QByteArrayView section,
                                const Entries &entries);
    static int toInt(QByteArrayView value);

private:
    QByteArray load() const;

    QString m_path;
    QString m_error;
};

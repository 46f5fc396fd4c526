#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

// One copy of the short texts that thousands of cameras repeat (model names, domains):
// what the pool hands out shares its data with every other copy of the same text, so a
// long list holds each text once. Bounded: once it holds kMaxEntries texts (or byte strings), new ones come
// back as they went in, so a host answering with ever new names cannot make it grow.
class TextPool final
{
public:
    static constexpr qsizetype kMaxEntries = 256;

    QString text(const QString &text);
    QByteArray bytes(const QByteArray &bytes);

private:
    QSet<QString> m_texts;
    QSet<QByteArray> m_bytes;
};

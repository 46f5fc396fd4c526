#include "fileconfig/page_settings.h"

namespace PageText {

QString fromBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray toBytes(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text)
        out.append(ch.unicode() > 0xFF ? '\x7f' : char(ch.unicode()));
    return out;
}

} // namespace PageText

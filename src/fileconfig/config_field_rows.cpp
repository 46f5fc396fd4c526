#include "fileconfig/config_field_rows.h"

namespace FieldWords {

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QStringList words(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *w : list)
        out << QLatin1String(w);
    return out;
}

QStringList numbers(int first, int last)
{
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << QString::number(n);
    return out;
}

QString source(EventSource source)
{
    switch (source) {
    case EventSource::Motion:
        return QStringLiteral("motion");
    case EventSource::Timer:
        return QStringLiteral("timer");
    case EventSource::DigitalInput:
        break;
    }
    return QStringLiteral("input");
}

QString shown(const QByteArray &bytes)
{
    return PageText::fromBytes(bytes);
}

QString shown(const QString &text)
{
    return text;
}

void store(QByteArray &bytes, const QString &text)
{
    bytes = PageText::toBytes(text);
}

void store(QString &target, const QString &text)
{
    target = text;
}

} // namespace FieldWords

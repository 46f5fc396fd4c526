#include "site/report_text.h"

using namespace Qt::StringLiterals;

QString ReportText::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        // The backslash too: else a name holding the four characters \x0a would print
        // as a line feed the camera sent.
        if (u < 0x20 || (u >= 0x7f && u < 0xa0) || u == u'\\')
            out += u"\\x%1"_s.arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString ReportText::oneLine(QString text)
{
    text.replace(u"\n\n"_s, u" "_s);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString ReportText::cameras(int n)
{
    return n == 1 ? QStringLiteral("1 camera") : QStringLiteral("%1 cameras").arg(n);
}

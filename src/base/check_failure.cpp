#include "base/check_failure.h"

#include "base/string_table.h"

QString ConversionErrorText(const QString &text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

namespace Checks {

std::optional<CheckFailure> RequireField(const QString &text, const QString &message,
                                         const QString &focus)
{
    if (!text.isEmpty())
        return std::nullopt;
    return CheckFailure{message.isEmpty() ? GetString(3262, QStringLiteral("This field is required"))
                                          : message,
                        {}, focus, Messenger::Style::Ok};
}

std::optional<CheckFailure> RejectBlanks(const QString &text, const QString &message,
                                         const QString &focus)
{
    if (!text.contains(QLatin1Char(' ')))
        return std::nullopt;
    return CheckFailure{message, {}, focus, Messenger::Style::Ok};
}

std::optional<CheckFailure> RejectUnstorable(const QString &text, const QString &label,
                                             const QString &focus, bool quoted)
{
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x20 || u == 0x7F || u > 0xFF) {
            return CheckFailure{label + QStringLiteral(" holds a character the camera cannot store."),
                                {}, focus, Messenger::Style::Ok};
        }
        if (quoted && u == u'"') {
            return CheckFailure{label + QStringLiteral(" cannot hold a double quote (\")."), {},
                                focus, Messenger::Style::Ok};
        }
    }
    return std::nullopt;
}

std::optional<CheckFailure> RejectUnstorable(const QList<StoredField> &fields)
{
    for (const StoredField &f : fields) {
        if (auto failure = RejectUnstorable(f.text, f.label, f.focus, f.quoted))
            return failure;
    }
    return std::nullopt;
}

std::optional<int> ParseInteger(const QString &text)
{
    // QString::toInt skips surrounding blanks; the check must not.
    qsizetype i = 0;
    if (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')))
        i = 1;
    for (qsizetype k = i; k < text.size(); ++k) {
        if (text.at(k) < QLatin1Char('0') || text.at(k) > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<CheckFailure> RequireNumber(const QString &text, int min, int max,
                                          const QString &outOfRange, const QString &notNumber,
                                          const QString &focus)
{
    const std::optional<int> value = ParseInteger(text);
    if (!value)
        return CheckFailure{notNumber, {}, focus, Messenger::Style::Ok};
    if (*value < min || *value > max)
        return CheckFailure{outOfRange, {}, focus, Messenger::Style::Ok};
    return std::nullopt;
}

std::optional<CheckFailure> RejectLonger(const QString &text, qsizetype limit,
                                         const QString &message, const QString &focus)
{
    if (text.size() <= limit)
        return std::nullopt;
    return CheckFailure{message, {}, focus, Messenger::Style::Ok};
}

QString TwoPart(const QString &first, const QString &second)
{
    return first + QStringLiteral("\n\n") + second;
}

} // namespace Checks

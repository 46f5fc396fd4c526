#pragma once

#include "base/messenger.h"

#include <QString>

#include <QList>

#include <optional>

// One refused field: the message to show, its caption (empty: the program's title), the
// box style, and the object name of the control that takes the focus afterwards (empty:
// the focus stays where it is).
struct CheckFailure {
    QString text;
    QString caption;
    QString focus;
    Messenger::Style style = Messenger::Style::Ok;

    bool operator==(const CheckFailure &) const = default;
};

// The conversion error text for a field that should hold an integer.
QString ConversionErrorText(const QString &text);

namespace Checks {

// An empty field: its own message, or "This field is required" when it has none.
std::optional<CheckFailure> RequireField(const QString &text, const QString &message,
                                         const QString &focus);
// A field holding a blank.
std::optional<CheckFailure> RejectBlanks(const QString &text, const QString &message,
                                         const QString &focus);
// A field the camera's files cannot hold: a control character (a line break would split
// the file's line) or, where the value is written between double quotes, a double quote.
// `label` names the field in the message.
std::optional<CheckFailure> RejectUnstorable(const QString &text, const QString &label,
                                             const QString &focus, bool quoted = false);

// A field for RejectUnstorable, so that a page can list its fields in their order.
struct StoredField {
    QString text;
    QString label;
    QString focus;
    bool quoted = false;
};
// The first of the fields that RejectUnstorable refuses.
std::optional<CheckFailure> RejectUnstorable(const QList<StoredField> &fields);

// A signed decimal integer: an optional sign and digits only, in the range of int.
// Blanks around it are refused, since the text is written to the camera as it stands.
std::optional<int> ParseInteger(const QString &text);
// A number in min..max; text that is no number gets notNumber, a number outside the
// range outOfRange.
std::optional<CheckFailure> RequireNumber(const QString &text, int min, int max,
                                          const QString &outOfRange, const QString &notNumber,
                                          const QString &focus);
// A text longer than limit characters.
std::optional<CheckFailure> RejectLonger(const QString &text, qsizetype limit,
                                         const QString &message, const QString &focus);
// The two texts of a two-part message, as the message boxes show them.
QString TwoPart(const QString &first, const QString &second);

} // namespace Checks

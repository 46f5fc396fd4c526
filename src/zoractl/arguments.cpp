#include "zoractl/arguments.h"

#include <algorithm>

namespace {

bool isOption(const QString &word)
{
    return word.startsWith(QLatin1String("--")) && word != QLatin1String("--");
}

QString needsText(const OptionSpec &o)
{
    if (o.minValues == 1)
        return QStringLiteral("%1 needs a value").arg(o.name);
    if (o.maxValues > o.minValues)
        return QStringLiteral("%1 needs %2 to %3 values").arg(o.name).arg(o.minValues).arg(o.maxValues);
    return QStringLiteral("%1 needs %2 values").arg(o.name).arg(o.minValues);
}

} // namespace

std::optional<Arguments> Arguments::parse(const CommandSyntax &syntax, const QStringList &args, QString *error)
{
    Arguments p;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString a = args.at(i);
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !isOption(a)) {
            p.m_positional << a;
            continue;
        }
        // "--name=value": the value is the option's own even when it starts with "--".
        const qsizetype equals = a.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? a : a.left(equals);
        const auto it = std::find_if(syntax.options.begin(), syntax.options.end(),
                                     [&name](const OptionSpec &o) { return o.name == name; });
        if (it == syntax.options.end()) {
            *error = QStringLiteral("%1: unknown option %2").arg(syntax.name, name);
            return std::nullopt;
        }
        if (p.has(name)) {
            *error = QStringLiteral("%1 given twice").arg(name);
            return std::nullopt;
        }
        QStringList values;
        if (equals >= 0) {
            if (it->maxValues == 0) {
                *error = QStringLiteral("%1 takes no value").arg(name);
                return std::nullopt;
            }
            values << a.mid(equals + 1);
        }
        while (values.size() < it->maxValues && i + 1 < args.size() && !isOption(args.at(i + 1))
               && args.at(i + 1) != QLatin1String("--"))
            values << args.at(++i);
        if (values.size() < it->minValues) {
            *error = needsText(*it);
            return std::nullopt;
        }
        p.m_values.insert(name, values);
    }
    return p;
}

QString Arguments::value(const QString &name) const
{
    const QStringList v = m_values.value(name);
    return v.isEmpty() ? QString() : v.first();
}

std::optional<QString> Arguments::optional(const QString &name) const
{
    if (!has(name))
        return std::nullopt;
    return value(name);
}

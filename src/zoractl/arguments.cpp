#include "zoractl/arguments.h"

#include <algorithm>

std::optional<Arguments> Arguments::parse(const CommandSyntax &syntax, const QStringList &args, QString *error)
{
    Arguments p;
    auto isOption = [](const QString &word) {
        return word.startsWith(QLatin1String("--")) && word != QLatin1String("--");
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString a = args.at(i);
        if (!isOption(a)) {
            p.m_positional << a;
            continue;
        }
        const auto it = std::find_if(syntax.options.begin(), syntax.options.end(),
                                     [&a](const OptionSpec &o) { return o.name == a; });
        if (it == syntax.options.end()) {
            *error = QStringLiteral("%1: unknown option %2").arg(syntax.name, a);
            return std::nullopt;
        }
        if (p.has(a)) {
            *error = QStringLiteral("%1 given twice").arg(a);
            return std::nullopt;
        }
        QStringList values;
        while (values.size() < it->maxValues && i + 1 < args.size() && !isOption(args.at(i + 1)))
            values << args.at(++i);
        if (values.size() < it->minValues) {
            if (it->minValues == 1)
                *error = QStringLiteral("%1 needs a value").arg(a);
            else if (it->maxValues > it->minValues)
                *error = QStringLiteral("%1 needs %2 to %3 values").arg(a).arg(it->minValues).arg(it->maxValues);
            else
                *error = QStringLiteral("%1 needs %2 values").arg(a).arg(it->minValues);
            return std::nullopt;
        }
        p.m_values.insert(a, values);
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

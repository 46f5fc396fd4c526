#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One option of a command: its name and how many values follow it.
struct OptionSpec {
    QString name;
    int minValues = 0;
    int maxValues = 0;
};

// A zoractl command as its help describes it and its parser reads it.
struct CommandSyntax {
    QString name;
    QString synopsis;
    QString description;
    QList<OptionSpec> options;
    int positionals = 0;      // required positional arguments (a MAC counts unless --cameras)
};

// A command's arguments after parsing: positionals in order, each option with its values.
// A word that starts with "--" is never taken as an option's value, so a missing value is
// reported as missing rather than the next option being swallowed.
class Arguments final
{
public:
    static std::optional<Arguments> parse(const CommandSyntax &syntax, const QStringList &args, QString *error);

    const QStringList &positional() const { return m_positional; }
    bool has(const QString &name) const { return m_values.contains(name); }
    QString value(const QString &name) const;
    QStringList values(const QString &name) const { return m_values.value(name); }
    std::optional<QString> optional(const QString &name) const;

private:
    QStringList m_positional;
    QHash<QString, QStringList> m_values;
};

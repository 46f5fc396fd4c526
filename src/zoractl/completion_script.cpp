#include "zoractl/completion_script.h"

#include "base/app_options.h"
#include "zoractl/command_table.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

const QString kHead = uR"(# bash completion for zoractl (made from zoractl's command table)
_zoractl_files()
{
    if [[ $1 == -d ]]; then
        COMPREPLY=($(compgen -d -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

_zoractl()
{
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion || return
    else
        # Without the bash-completion package: the plain words.
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD - 1]}
    fi
    local files="_filedir"
    declare -F _filedir >/dev/null || files="_zoractl_files"
)"_s;

enum class Value { None, File, Dir, Words, Other };

struct OptionValue {
    Value kind = Value::None;
    QString words;
};

// What an option's placeholder asks for: "--cameras FILE", "--out DIR", "--guest on|off".
OptionValue valueOf(const QString &placeholder)
{
    static const QRegularExpression choices(uR"(^[a-z0-9]+(\|[a-z0-9]+)+$)"_s);
    if (choices.match(placeholder).hasMatch())
        return {Value::Words, QString(placeholder).replace(u'|', u' ')};
    if (placeholder == u"DIR"_s || placeholder.startsWith(u"DIR/"_s))
        return {Value::Dir, {}};
    if (placeholder == u"FILE"_s || placeholder == u"F"_s)
        return {Value::File, {}};
    return {Value::Other, {}};
}

// Placeholders of every option of the table, as the synopses and help texts write them.
QMap<QString, OptionValue> optionValues(const QList<CommandSyntax> &table)
{
    static const QRegularExpression use(uR"((--[a-z0-9-]+)[ =]([A-Za-z0-9|/_.]+))"_s);
    QMap<QString, OptionValue> values;
    for (const CommandSyntax &c : table) {
        for (const OptionSpec &o : c.options) {
            if (o.maxValues > 0 && !values.contains(o.name))
                values.insert(o.name, {Value::Other, {}});
        }
        auto it = use.globalMatch(c.synopsis + u'\n' + c.description);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const auto found = values.find(m.captured(1));
            if (found == values.end() || found->kind != Value::Other)
                continue;
            const OptionValue v = valueOf(m.captured(2));
            if (v.kind != Value::Other)
                *found = v;
        }
    }
    for (const AppOptions::Shared &o : AppOptions::shared()) {
        if (!o.value.isEmpty())
            values.insert(o.name, valueOf(o.value));
    }
    return values;
}

QString optionNames(const QList<OptionSpec> &options)
{
    QStringList names;
    for (const OptionSpec &o : options)
        names << o.name;
    return names.join(u' ');
}

} // namespace

QString CompletionScript::text()
{
    const QList<CommandSyntax> table = CommandTable::table();
    QStringList shared;
    for (const AppOptions::Shared &o : AppOptions::shared())
        shared << o.name;
    // First words, and the second words of the commands of two.
    QStringList first;
    QMap<QString, QStringList> second;
    for (const CommandSyntax &c : table) {
        const QString word = c.name.section(u' ', 0, 0);
        if (!first.contains(word))
            first << word;
        if (c.name.contains(u' '))
            second[word] << c.name.section(u' ', 1);
    }

    QString out = kHead;
    out += u"    local commands=\"%1\"\n    local shared=\"%2\"\n\n"_s.arg(first.join(u' '), shared.join(u' '));

    QMap<Value, QStringList> byKind;
    QMap<QString, QStringList> byWords;
    const QMap<QString, OptionValue> values = optionValues(table);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it->kind == Value::Words)
            byWords[it->words] << it.key();
        else
            byKind[it->kind] << it.key();
    }
    out += u"    case $prev in\n"_s;
    if (!byKind.value(Value::Dir).isEmpty())
        out += u"        %1)\n            $files -d\n            return ;;\n"_s.arg(byKind.value(Value::Dir).join(u'|'));
    if (!byKind.value(Value::File).isEmpty())
        out += u"        %1)\n            $files\n            return ;;\n"_s.arg(byKind.value(Value::File).join(u'|'));
    for (auto it = byWords.cbegin(); it != byWords.cend(); ++it)
        out += u"        %1)\n            COMPREPLY=($(compgen -W \"%2\" -- \"$cur\"))\n            return ;;\n"_s.arg(
            it.value().join(u'|'), it.key());
    if (!byKind.value(Value::Other).isEmpty())
        out += u"        %1)\n            return ;;\n"_s.arg(byKind.value(Value::Other).join(u'|'));
    out += u"    esac\n\n"_s;

    // The command is the first word that names one; a word of two takes the next word
    // once it is typed.
    QStringList singles, doubles;
    for (const QString &w : first)
        (second.contains(w) ? doubles : singles) << w;
    out += u"    local command=\"\" i\n    for ((i = 1; i < cword; i++)); do\n        case ${words[i]} in\n"_s;
    if (!singles.isEmpty())
        out += u"            %1)\n                command=${words[i]}\n                break ;;\n"_s.arg(singles.join(u'|'));
    if (!doubles.isEmpty())
        out += u"            %1)\n                command=${words[i]}\n"
               u"                [[ $((i + 1)) -lt $cword ]] && command=\"${words[i]} ${words[i + 1]}\"\n"
               u"                break ;;\n"_s.arg(doubles.join(u'|'));
    out += u"        esac\n    done\n\n"_s;
    out += u"    if [[ -z $command ]]; then\n        if [[ $cur == -* ]]; then\n"
           u"            COMPREPLY=($(compgen -W \"$shared\" -- \"$cur\"))\n        else\n"
           u"            COMPREPLY=($(compgen -W \"$commands\" -- \"$cur\"))\n        fi\n        return\n    fi\n\n"_s;

    out += u"    local options=\"\" positional=\"\"\n    case $command in\n"_s;
    for (auto it = second.cbegin(); it != second.cend(); ++it)
        out += u"        %1)\n            [[ $cur != -* ]] && COMPREPLY=($(compgen -W \"%2\" -- \"$cur\"))\n            return ;;\n"_s
                   .arg(it.key(), it.value().join(u' '));
    static const QRegularExpression takesPath(uR"(\b(FILE|DIR|A B)\b)"_s);
    for (const CommandSyntax &c : table) {
        // A positional that names a file (plan check FILE, config diff A B): files.
        const QString head = c.synopsis.section(u'[', 0, 0).section(u'-', 0, 0);
        const bool paths = takesPath.match(head.mid(c.name.size())).hasMatch();
        out += u"        \"%1\") options=\"%2\"%3 ;;\n"_s.arg(c.name, optionNames(c.options),
                                                          paths ? u" positional=files"_s : QString());
    }
    out += u"    esac\n    if [[ $cur == -* ]]; then\n        COMPREPLY=($(compgen -W \"$options $shared\" -- \"$cur\"))\n"
           u"    elif [[ -n $positional ]]; then\n        $files\n    fi\n} &&\n    complete -F _zoractl zoractl\n"_s;
    return out;
}

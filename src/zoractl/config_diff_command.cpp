#include "zoractl/config_diff_command.h"

#include "site/config_view.h"
#include "site/report_text.h"
#include "zoractl/batch_command.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/exit_status.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// diff(1)'s statuses: the same, different, trouble.
constexpr int kSame = 0;
constexpr int kDifferent = 1;
constexpr int kTrouble = 2;

} // namespace

CommandSyntax ConfigDiffCommand::syntax()
{
    return {u"config diff"_s, u"config diff A B [--page PAGE...] [--json] [--user ID]"_s,
            uR"x(Field by field, what differs from A to B ("stream.port: 554 → 8554"), then the
file lines no page reads that only one side has ("- line" in A only, "+ line" in
B only). A and B are each a camera folder of config backup or the MAC of a camera
to fetch now (which needs --user). Exit status 0 when the same, 1 when different,
2 on trouble.
  --page PAGE...  only these pages
  --json          {"fields": [{"field", "a", "b"}], "lines": [{"file", "line", "side"}]})x"_s
                + BatchCommand::cameraHelp(),
            BatchCommand::cameraOptions() + QList<OptionSpec>{{u"--page"_s, 1, 16}, {u"--json"_s, 0, 0}},
            2};
}

int ConfigDiffCommand::run(CommandContext &context, const Arguments &p)
{
    if (p.positional().size() != 2) {
        context.console.err(u"usage: zoractl "_s + syntax().synopsis);
        return kTrouble;
    }
    const auto pages = BatchCommand::pagesOf(context, p);
    if (!pages)
        return kTrouble;
    QTemporaryDir scratchA, scratchB;
    int status = ExitOk;
    const auto a = BatchCommand::folderOf(context, p.positional().at(0), p, scratchA, &status);
    const auto b = a ? BatchCommand::folderOf(context, p.positional().at(1), p, scratchB, &status) : std::nullopt;
    if (!a || !b)
        return kTrouble;
    QList<ConfigView::Value> va, vb;
    QList<ConfigView::LineChange> lines;
    QString error;
    if (!ConfigView::values(*a, *pages, &va, &error) || !ConfigView::values(*b, *pages, &vb, &error)
        || !ConfigView::unknownLines(*a, *b, &lines, &error)) {
        context.console.err(error);
        return kTrouble;
    }
    if (!pages->isEmpty()) {
        lines.removeIf([&pages](const ConfigView::LineChange &l) { return !pages->contains(l.page); });
    }
    const QList<ConfigView::Difference> diffs = ConfigView::differences(va, vb);
    if (p.has(u"--json"_s)) {
        QJsonArray fields;
        for (const ConfigView::Difference &d : diffs) {
            auto side = [&d](bool present, const QString &v) {
                if (!present)
                    return QJsonValue();
                return QJsonValue(d.secret ? u"(secret)"_s : v);
            };
            fields.append(QJsonObject{{u"field"_s, d.key}, {u"a"_s, side(d.inA, d.before)},
                                      {u"b"_s, side(d.inB, d.after)}});
        }
        QJsonArray fileLines;
        for (const ConfigView::LineChange &l : lines) {
            fileLines.append(QJsonObject{{u"file"_s, l.file}, {u"line"_s, l.line},
                                         {u"side"_s, l.added ? u"b"_s : u"a"_s}});
        }
        context.console.outRaw(QJsonDocument(QJsonObject{{u"fields"_s, fields}, {u"lines"_s, fileLines}})
                                   .toJson(QJsonDocument::Indented));
    } else {
        for (const ConfigView::Difference &d : diffs)
            context.console.out(ReportText::escaped(ConfigView::text(d)));
        for (const ConfigView::LineChange &l : lines)
            context.console.out(u"%1: %2 %3"_s.arg(l.file, l.added ? u"+"_s : u"-"_s, ReportText::escaped(l.line)));
    }
    return diffs.isEmpty() && lines.isEmpty() ? kSame : kDifferent;
}

#include "zoractl/config_set_command.h"

#include "site/config_assignments.h"
#include "site/config_set.h"
#include "site/report_text.h"
#include "zoractl/batch_command.h"
#include "zoractl/command_context.h"
#include "zoractl/console.h"
#include "zoractl/console_sink.h"
#include "zoractl/exit_status.h"
#include "zoractl/option_values.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

CommandSyntax ConfigSetCommand::syntax()
{
    return {u"config set"_s,
            u"config set (MAC... | --cameras FILE) (PAGE.FIELD=VALUE... | --fields FILE) --user ID [--dry-run] "
            u"[--parallel N] [--json]"_s,
            uR"x(Changes fields on each camera: the page's files are fetched, the fields set,
the page's checks run (the window's messages; nothing is sent to a camera when a
check fails), the files written by the page's writer, which leaves every other
line as it was, then uploaded and applied page by page. network.* and host.*
fields are sent as set-network and set-hostname would send them, after the file
pages; the camera restarts for a network change. 'zoractl config fields' lists
the fields.
  --cameras FILE  the MACs listed in FILE (one a line, '#' starts a comment)
  --fields FILE   PAGE.FIELD=VALUE lines of FILE as well (a line starting with
                  '#' is a comment): passwords not on the command line
  --dry-run       print the file lines that would change; send nothing
  --json          the results as JSON: a camera's "status" (its exit status),
                  "sent" (something went to it) and "changes" (each field
                  that differed: "field", "before", "after"))x"_s
                + BatchCommand::cameraHelp(),
            BatchCommand::cameraOptions()
                + QList<OptionSpec>{{u"--cameras"_s, 1, 1}, {u"--fields"_s, 1, 1}, {u"--dry-run"_s, 0, 0},
                                    {u"--json"_s, 0, 0}},
            1};
}

int ConfigSetCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    QStringList words;
    auto macs = BatchCommand::macsOf(context, p, &words);
    if (!macs)
        return ExitUsage;
    if (p.has(u"--fields"_s)) {
        const auto more = OptionValues::assignmentsOfFile(p.value(u"--fields"_s), &error);
        if (!more) {
            context.console.err(error);
            return ExitUsage;
        }
        words += *more;
    }
    if (macs->isEmpty() || words.isEmpty()) {
        context.console.err(u"usage: zoractl "_s + syntax().synopsis);
        return ExitUsage;
    }
    ConfigSet::Job job;
    // A value its field cannot take is refused before any camera is asked.
    if (!ConfigAssignments::read(words, &job.units, &error) || !ConfigAssignments::fit(job.units, &error)) {
        context.console.err(error);
        return ExitUsage;
    }
    const auto how = BatchCommand::reach(context, p);
    if (!how)
        return ExitUsage;
    if (const auto trouble = BatchCommand::locate(context, *macs, false, how->timeoutMs))
        return *trouble;

    job.dryRun = p.has(u"--dry-run"_s);
    job.login = how->login;
    job.parallel = how->parallel;
    ConsoleSink sink(context);
    ConfigSet set(context.network);
    const QList<BatchResult> results = set.run(sink, *macs, job);
    if (job.dryRun && !p.has(u"--json"_s)) {
        for (const QString &mac : *macs) {
            for (const ConfigView::LineChange &l : set.lineChanges().value(mac)) {
                context.console.out(u"%1 %2: %3 %4"_s.arg(mac, l.file, l.added ? u"+"_s : u"-"_s,
                                                          ReportText::escaped(l.line)));
            }
        }
    }
    // What each camera held before: the fields that change, a password only as "(changed)".
    QHash<QString, QJsonObject> changes;
    for (const QString &mac : *macs) {
        QJsonArray fields;
        for (const ConfigView::Difference &d : set.fieldChanges().value(mac)) {
            fields.append(QJsonObject{{u"field"_s, d.key},
                                      {u"before"_s, ConfigView::shown({d.key, d.before, d.secret})},
                                      {u"after"_s, d.secret ? u"(changed)"_s : d.after}});
        }
        changes.insert(mac, QJsonObject{{u"changes"_s, fields}});
    }
    return BatchCommand::report(context, results, job.dryRun ? u"checked"_s : u"changed"_s, p.has(u"--json"_s),
                                changes);
}

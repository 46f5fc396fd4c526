#include "zoractl/config_show_command.h"

#include "fileconfig/config_fields.h"
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

QList<CommandSyntax> ConfigShowCommand::syntaxes()
{
    return {
        CommandSyntax{u"config show"_s, u"config show (MAC | DIR/MAC) [--page PAGE...] [--json] [--user ID]"_s,
                      uR"x(The settings of each page, one PAGE.FIELD=VALUE a line, as the pages read
them: from a camera folder of config backup, or fetched now from the camera with
this MAC (which needs --user). Passwords read "(set)" or "(empty)".
  --page PAGE...  only these pages (see config fields)
  --json          {"mac", "model", "pages": {PAGE: {FIELD: VALUE}}})x"_s
                          + BatchCommand::cameraHelp(),
                      BatchCommand::cameraOptions()
                          + QList<OptionSpec>{{u"--page"_s, 1, 16}, {u"--json"_s, 0, 0}},
                      1},
        CommandSyntax{u"config fields"_s, u"config fields [PAGE] [--json]"_s,
                      uR"x(Every field config set takes, as PAGE.FIELD with its kind: text, number,
on/off, or a choice with its items. Fields marked "shown only" are read, never set.
  --json          a JSON array of {"field", "page", "kind", "items", "settable"})x"_s,
                      {{u"--json"_s, 0, 0}},
                      0},
    };
}

int ConfigShowCommand::show(CommandContext &context, const Arguments &p)
{
    if (p.positional().size() != 1) {
        context.console.err(u"usage: zoractl "_s + syntaxes().first().synopsis);
        return ExitUsage;
    }
    const auto pages = BatchCommand::pagesOf(context, p);
    if (!pages)
        return ExitUsage;
    QTemporaryDir scratch;
    int status = ExitOk;
    const auto folder = BatchCommand::folderOf(context, p.positional().first(), p, scratch, &status);
    if (!folder)
        return status;
    QList<ConfigView::Value> values;
    QString error;
    if (!ConfigView::values(*folder, *pages, &values, &error)) {
        context.console.err(error);
        return ExitError;
    }
    if (p.has(u"--json"_s)) {
        QJsonObject byPage;
        for (const ConfigView::Value &v : values) {
            const QString page = v.key.section(QLatin1Char('.'), 0, 0);
            QJsonObject o = byPage.value(page).toObject();
            o[v.key.section(QLatin1Char('.'), 1)] = ConfigView::shown(v);
            byPage[page] = o;
        }
        const QJsonObject doc{{u"mac"_s, folder->mac},
                              {u"model"_s, folder->model},
                              {u"model_code"_s, folder->modelCode},
                              {u"software_version"_s, folder->softwareVersion},
                              {u"pages"_s, byPage}};
        context.console.outRaw(QJsonDocument(doc).toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    context.console.out(u"# %1 %2 %3"_s.arg(folder->mac, ReportText::escaped(folder->model),
                                          ReportText::escaped(folder->softwareVersion)).trimmed());
    for (const ConfigView::Value &v : values)
        context.console.out(v.key + u'=' + ReportText::escaped(ConfigView::shown(v)));
    return ExitOk;
}

int ConfigShowCommand::fields(CommandContext &context, const Arguments &p)
{
    if (p.positional().size() > 1) {
        context.console.err(u"usage: zoractl "_s + syntaxes().last().synopsis);
        return ExitUsage;
    }
    const QString page = p.positional().value(0);
    if (!page.isEmpty() && !ConfigFields::pages().contains(page)) {
        context.console.err(u"no page %1 (pages: %2)"_s.arg(page, ConfigFields::pages().join(u", "_s)));
        return ExitUsage;
    }
    const QList<ConfigField> list = ConfigFields::fields(page);
    if (p.has(u"--json"_s)) {
        QJsonArray a;
        for (const ConfigField &f : list) {
            a.append(QJsonObject{{u"field"_s, f.key()},
                                 {u"page"_s, f.page},
                                 {u"kind"_s, f.kindText().section(QLatin1Char(':'), 0, 0)},
                                 {u"items"_s, QJsonArray::fromStringList(f.items)},
                                 {u"settable"_s, f.settable}});
        }
        context.console.outRaw(QJsonDocument(a).toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    int width = 0;
    for (const ConfigField &f : list)
        width = qMax(width, int(f.key().size()));
    for (const ConfigField &f : list) {
        QString kind = f.kindText();
        if (!f.settable)
            kind += u" (shown only)"_s;
        context.console.out(u"%1  %2"_s.arg(f.key(), -width).arg(kind));
    }
    return ExitOk;
}

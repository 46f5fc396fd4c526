#include "zoractl/config_set_command.h"

#include "protocol/camera_list.h"
#include "site/config_job.h"
#include "site/config_job_runner.h"
#include "site/config_network_restore.h"
#include "zoractl/batch_command.h"
#include "site/config_view.h"
#include "zoractl/interrupt_watch.h"
#include "zoractl/option_values.h"
#include "zoractl/console.h"
#include "zoractl/command_context.h"
#include "site/camera_outcome.h"
#include "fileconfig/config_fields.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/page_checks.h"
#include "fileconfig/page_files.h"
#include "protoconfig/l60_settings.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"

#include <QHash>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Assignment {
    ConfigField field;
    QString value;
};

// The fields of one page (for the event page: of one of its sources).
struct Unit {
    FileTab tab = FileTab::Ddns;
    EventSource source = EventSource::DigitalInput;
    QList<Assignment> fields;
};

bool isRecordPage(FileTab tab)
{
    return tab == FileTab::NetworkInfo || tab == FileTab::HostName;
}

// Reads PAGE.FIELD=VALUE words into page units; false with the message.
bool unitsOf(const QStringList &words, QList<Unit> *units, QString *error)
{
    QSet<QString> seen;
    for (const QString &word : words) {
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            *error = u"%1 is neither a MAC address nor PAGE.FIELD=VALUE"_s.arg(word);
            return false;
        }
        const QString key = word.left(eq);
        const auto field = ConfigFields::field(key);
        if (!field) {
            *error = u"no field %1 (see zoractl config fields)"_s.arg(key);
            return false;
        }
        if (!field->settable) {
            *error = u"%1 is shown only"_s.arg(key);
            return false;
        }
        if (field->secret && field->page == u"network"_s) {
            *error = u"%1 is set with set-network --pppoe-password-file"_s.arg(key);
            return false;
        }
        if (seen.contains(key)) {
            *error = u"%1 given twice"_s.arg(key);
            return false;
        }
        // The page's box holds no more; the file would keep what its reader cuts.
        const QString value = word.mid(eq + 1);
        if (field->page == u"camera"_s && field->name.endsWith(u".alias"_s)
            && PageText::toBytes(value).size() > CameraControlSettings::AliasLimit) {
            *error = u"%1 takes at most %2 characters"_s.arg(key).arg(CameraControlSettings::AliasLimit);
            return false;
        }
        seen.insert(key);
        const FileTab tab = *ConfigFields::tabOf(field->page);
        const EventSource source =
            tab == FileTab::EventServer ? ConfigFields::eventSourceOf(field->name).value_or(EventSource::DigitalInput)
                                        : EventSource::DigitalInput;
        auto it = std::find_if(units->begin(), units->end(),
                               [&](const Unit &u) { return u.tab == tab && u.source == source; });
        if (it == units->end()) {
            units->append(Unit{tab, source, {}});
            it = units->end() - 1;
        }
        it->fields << Assignment{*field, word.mid(eq + 1)};
    }
    return true;
}

// Settings of a page's kind with nothing read into them, to try a value on.
PageSettings emptySettings(FileTab tab, EventSource source)
{
    switch (tab) {
    case FileTab::NetworkInfo:
        return NetworkPageSettings{};
    case FileTab::HostName:
        return HostPageSettings{};
    case FileTab::Ddns:
        return DdnsSettings{};
    case FileTab::WebServer:
        return WebServerSettings{};
    case FileTab::StreamServer:
        return StreamServerSettings{};
    case FileTab::EventServer:
        return EventPageSettings{source, {}};
    case FileTab::InitialVideo:
        return InitialVideoSettings{};
    case FileTab::CameraControl:
        return CameraControlSettings{};
    case FileTab::SystemInfo:
        return SystemInfoSettings{};
    case FileTab::Security:
        return SecuritySettings{};
    case FileTab::Audio:
        return AudioSettings{};
    default:
        return std::monostate{};
    }
}

// What each camera's set came to: the lines each file changes, by MAC.
using SetLog = QHash<QString, QList<ConfigView::LineChange>>;

void collectSecrets(const PageSettings &settings, QStringList *secrets)
{
    for (const auto &[key, value] : ConfigFields::values(settings)) {
        const auto f = ConfigFields::field(key);
        if (f && f->secret && !value.isEmpty())
            *secrets << value;
    }
}

void finishRefused(ConfigJob &job, const QString &text)
{
    job.finish(u"refused value"_s, text, ExitUsage);
}

// The page files are fetched, changed, checked and written; only when every page of the
// camera passed its checks does anything go back to the camera.
void changeCamera(ConfigJob &job, const QList<Unit> &units, bool dryRun, std::shared_ptr<SetLog> log)
{
    const TConfigItem &camera = job.camera();
    const quint8 model = camera.modelCode();
    QList<int> sets;
    for (const Unit &unit : units) {
        if (isRecordPage(unit.tab))
            continue;
        if (unit.tab == FileTab::EventServer && unit.source == EventSource::Motion
            && !PageFiles::HasMotionDetection(model)) {
            finishRefused(job, u"this camera has no motion detection"_s);
            return;
        }
        if (unit.tab == FileTab::Audio && camera.AudioAvailable == 0) {
            finishRefused(job, u"this camera has no audio"_s);
            return;
        }
        // Cameras with motion detection lock channel 1's model and ID: the page never
        // writes them there.
        if (unit.tab == FileTab::CameraControl && PageFiles::HasMotionDetection(model)) {
            for (const Assignment &a : unit.fields) {
                if (a.field.name == u"ch1.model"_s || a.field.name == u"ch1.id"_s) {
                    finishRefused(job, u"%1 is fixed on this camera"_s.arg(a.field.key()));
                    return;
                }
            }
        }
        const int set = PageFiles::SetOf(unit.tab, model);
        if (!sets.contains(set))
            sets << set;
    }
    job.transferEach(sets, TransferMode::Download, [&job, units, sets, dryRun, log] {
        const TConfigItem &camera = job.camera();
        QHash<QString, QByteArray> before;
        for (int set : sets) {
            for (const QString &name : ConfigFileSet(set).localNames())
                before.insert(name, ConfigFiles::load(job.folder(), name).value_or(QByteArray()));
        }
        PageCheckContext context;
        context.remote = camera.ConnectionKind == Connection::Remote;
        context.channelOneModelBox = !PageFiles::HasMotionDetection(camera.modelCode());
        QStringList secrets;
        QList<PageSettings> written;
        for (const Unit &unit : units) {
            if (isRecordPage(unit.tab))
                continue;
            PageSettings s;
            const ConfigError e = PageFiles::Read(unit.tab, job.folder(), job.listing(), unit.source, s);
            if (e != ConfigError::None) {
                job.finish(u"failed"_s, ConfigFields::pageOf(unit.tab) + u": "_s + ConfigErrorText(e), ExitError);
                return;
            }
            collectSecrets(s, &secrets);
            for (const Assignment &a : unit.fields) {
                QString error;
                if (!ConfigFields::set(s, a.field.name, a.value, &error)) {
                    finishRefused(job, error);
                    return;
                }
            }
            collectSecrets(s, &secrets);
            if (const auto failure = CheckPage(s, context)) {
                finishRefused(job, ConfigFields::pageOf(unit.tab) + u": "_s + failure->text);
                return;
            }
            written << s;
        }
        for (const PageSettings &s : written) {
            if (PageFiles::Write(job.folder(), s) != ConfigError::None) {
                job.finish(u"failed"_s, u"the local copy cannot be written"_s, ExitLocal);
                return;
            }
        }
        QList<int> changed;
        for (int set : sets) {
            for (const QString &name : ConfigFileSet(set).localNames()) {
                const QByteArray after = ConfigFiles::load(job.folder(), name).value_or(QByteArray());
                if (after == before.value(name))
                    continue;
                ConfigView::lineChanges(ConfigJob::pageNameOf(set), name, before.value(name), after, &(*log)[job.mac()]);
                if (!changed.contains(set))
                    changed << set;
            }
        }
        // A line holding a password is not printed.
        for (ConfigView::LineChange &l : (*log)[job.mac()]) {
            if (std::any_of(secrets.begin(), secrets.end(), [&l](const QString &v) { return l.line.contains(v); }))
                l.line = u"(a line holding a password)"_s;
        }
        // The initial video page restarts the camera when applied: it goes last.
        if (changed.removeAll(int(ConfigFileSet::InitialVideo)))
            changed << ConfigFileSet::InitialVideo;
        QStringList pages;
        for (int set : changed)
            pages << ConfigJob::pageNameOf(set);
        if (changed.isEmpty()) {
            job.finish(u"success"_s, u"nothing to change"_s, ExitOk);
            return;
        }
        if (dryRun) {
            job.finish(u"dry run"_s, u"would change "_s + pages.join(u", "_s), ExitOk);
            return;
        }
        job.transferEach(changed, TransferMode::Upload, [&job, pages] {
            job.finish(u"success"_s, u"changed "_s + pages.join(u", "_s), ExitOk);
        });
    });
}

} // namespace

CommandSyntax ConfigSetCommand::syntax()
{
    return {u"config set"_s,
            u"config set (MAC... | --cameras FILE) PAGE.FIELD=VALUE... --user ID [--dry-run] "
            u"[--parallel N] [--json]"_s,
            uR"x(Changes fields on each camera: the page's files are fetched, the fields set,
the page's checks run (the window's messages; nothing is sent to a camera when a
check fails), the files written by the page's writer, which leaves every other
line as it was, then uploaded and applied page by page. network.* and host.*
fields are sent as set-network and set-hostname would send them, after the file
pages; the camera restarts for a network change. 'zoractl config fields' lists
the fields.
  --cameras FILE  the MACs listed in FILE (one a line, '#' starts a comment)
  --dry-run       print the file lines that would change; send nothing
  --json          the results as JSON)x"_s
                + BatchCommand::cameraHelp(),
            BatchCommand::cameraOptions()
                + QList<OptionSpec>{{u"--cameras"_s, 1, 1}, {u"--dry-run"_s, 0, 0}, {u"--json"_s, 0, 0}},
            1};
}

int ConfigSetCommand::run(CommandContext &context, const Arguments &p)
{
    QString error;
    QStringList words;
    auto macs = BatchCommand::macsOf(context, p, &words);
    if (!macs)
        return ExitUsage;
    if (macs->isEmpty() || words.isEmpty()) {
        context.console.err(u"usage: zoractl "_s + syntax().synopsis);
        return ExitUsage;
    }
    QList<Unit> units;
    if (!unitsOf(words, &units, &error)) {
        context.console.err(error);
        return ExitUsage;
    }
    // A value its field cannot take is refused before any camera is asked.
    for (const Unit &unit : units) {
        for (const Assignment &a : unit.fields) {
            if (a.field.kind == ConfigField::Kind::Choice && a.field.items.isEmpty())
                continue;
            PageSettings probe = emptySettings(unit.tab, unit.source);
            if (!ConfigFields::set(probe, a.field.name, a.value, &error)) {
                context.console.err(error);
                return ExitUsage;
            }
        }
    }
    const auto how = BatchCommand::reach(context, p);
    if (!how)
        return ExitUsage;
    if (const auto trouble = BatchCommand::locate(context, *macs, false, how->timeoutMs))
        return *trouble;

    const bool dryRun = p.has(u"--dry-run"_s);
    auto log = std::make_shared<SetLog>();
    ConfigJobRunner runner(context.network);
    BatchCommand::prepare(runner, context, how->parallel);
    QList<BatchResult> results = runner.run(
        *macs, how->login, [&units, dryRun, log](ConfigJob &job) { changeCamera(job, units, dryRun, log); });
    context.console.clearStatus();

    // The network and host pages go as their commands, to the cameras whose files went well.
    const bool network = std::any_of(units.begin(), units.end(),
                                     [](const Unit &u) { return u.tab == FileTab::NetworkInfo; });
    const bool host = std::any_of(units.begin(), units.end(), [](const Unit &u) { return u.tab == FileTab::HostName; });
    if ((network || host) && !OptionValues::interrupted(context)) {
        QList<BatchTask> tasks;
        QList<int> taskResult;
        for (int i = 0; i < results.size(); ++i) {
            const int record = context.network.recordOfMac(results[i].mac);
            if (results[i].status != ExitOk || record < 0)
                continue;
            const TConfigItem &camera = context.network.registry().record(record);
            BatchTask task;
            task.mac = results[i].mac;
            task.login = how->login;
            // Each page as the camera announces it, with the fields given.
            std::optional<QJsonObject> hostPage, networkPage;
            for (const Unit &unit : units) {
                if (!isRecordPage(unit.tab))
                    continue;
                PageSettings page = unit.tab == FileTab::HostName ? PageSettings(L60::HostFromRecord(camera))
                                                                  : PageSettings(L60::NetworkFromRecord(camera));
                for (const Assignment &a : unit.fields)
                    ConfigFields::set(page, a.field.name, a.value, &error);
                (unit.tab == FileTab::HostName ? hostPage : networkPage) = CameraBackup::pageObject(page);
            }
            task.steps = ConfigNetworkRestore::steps(camera, hostPage, networkPage);
            if (task.steps.isEmpty())
                continue;
            tasks << task;
            taskResult << i;
        }
        if (!tasks.isEmpty()) {
            BatchRunner commands(context.network);
            commands.setParallel(how->parallel);
            commands.setDryRun(dryRun);
            OptionValues::prepare(commands, context);
            const QList<BatchResult> sent = commands.run(tasks);
            context.console.clearStatus();
            for (int t = 0; t < sent.size(); ++t) {
                BatchResult &r = results[taskResult[t]];
                const bool nothing = r.text == u"nothing to change"_s;
                QStringList steps;
                for (const BatchStep &step : tasks[t].steps)
                    steps << step.name;
                const QString what = (dryRun ? u"would send "_s : u"sent "_s) + steps.join(u", "_s);
                r.text = nothing ? what : r.text + u"; "_s + what;
                if (sent[t].status != ExitOk) {
                    r.text += u": "_s + sent[t].text;
                    r.verdict = sent[t].verdict;
                    r.status = sent[t].status;
                }
                r.address = sent[t].address;
            }
        }
    }

    if (dryRun && !p.has(u"--json"_s)) {
        for (const QString &mac : *macs) {
            for (const ConfigView::LineChange &l : log->value(mac)) {
                context.console.out(u"%1 %2: %3 %4"_s.arg(mac, l.file, l.added ? u"+"_s : u"-"_s,
                                                          OptionValues::escaped(l.line)));
            }
        }
    }
    return BatchCommand::report(context, results, dryRun ? u"checked"_s : u"changed"_s, p.has(u"--json"_s));
}

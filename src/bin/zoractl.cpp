// zoractl: the camera tool for scripts. Argument parsing and printing only; finding
// cameras, checking and sending changes and following restarts are the core's.
#include "app/app_options.h"
#include "app/camera_list.h"
#include "app/messenger.h"
#include "app/shared_routines.h"
#include "app/shell/admin_tool_core.h"
#include "app/shell/camera_change.h"
#include "app/shell/camera_locator.h"
#include "app/shell/camera_record_format.h"
#include "app/shell/command_runner.h"
#include "app/shell/restart_follower.h"
#include "app/shell/script_credentials.h"
#include "app/string_table.h"
#include "protocol/config_item.h"
#include "protoconfig/credentials.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum Exit {
    ExitOk = 0,
    ExitError = 1,        // camera not found, no answer to registration, send failure
    ExitUsage = 2,        // bad arguments, refused values, no credentials
    ExitRefused = 3,      // "FAIL on Appling changes!"
    ExitAuth = 4,         // wrong ID or password
    ExitMismatch = 5,     // "Mismatched type found!"
    ExitUnknown = 6,      // "Unknown Error..."
    ExitNoAnswer = 7,     // ten sends without an answer
    ExitNotBack = 8,      // --wait: the camera did not come back after its restart
    ExitBatch = 9,        // --cameras: at least one camera did not succeed
};

void out(const QString &text)
{
    std::fputs(qPrintable(text), stdout);
    std::fputc('\n', stdout);
}

void err(const QString &text)
{
    std::fputs("zoractl: ", stderr);
    std::fputs(qPrintable(text), stderr);
    std::fputc('\n', stderr);
}

// Messages of the core go to standard error; a script has already said yes.
class ConsoleMessenger final : public Messenger
{
public:
    int show(const QString &text, const QString &, Style style) override
    {
        if (style == Style::YesNoWarning)
            return AnswerYes;
        err(text);
        return AnswerOk;
    }
};

// ---- command table and argument parsing -------------------------------------------

struct OptionSpec {
    QString name;
    int minValues = 0;
    int maxValues = 0;
};

struct CommandSyntax {
    QString name;
    QString synopsis;
    QString description;
    QList<OptionSpec> options;
    int positionals = 0;      // required positional arguments (a MAC counts unless --cameras)
};

const QList<OptionSpec> kCredentialOptions = {
    {u"--user"_s, 1, 1},    {u"--password-file"_s, 1, 1}, {u"--remote"_s, 1, 1},
    {u"--port"_s, 1, 1},    {u"--cameras"_s, 1, 1},       {u"--wait"_s, 0, 0},
    {u"--timeout"_s, 1, 1},
};

const QString kSetHelp = uR"(
  --user ID                 administrator ID (1..7 characters)
  --password-file FILE      administrator password, the file's text without a final
                            line break; else $ZORA_PASSWORD; else asked on the terminal
  --remote IP               find the camera by a request to IP (registration) instead
                            of the broadcast scan; the command goes to IP, marked remote
  --port N                  camera port for --remote (default: --camera-port)
  --cameras FILE            apply the change to every MAC listed in FILE (one a line,
                            '#' starts a comment) instead of MAC; prints a summary
  --wait                    follow the camera through its restart (asked every 10 s
                            for 60 s) and report whether and where it came back
  --timeout S               seconds the scan waits for the camera (default 3))"_s;

QList<CommandSyntax> commandTable()
{
    QList<CommandSyntax> t;
    t << CommandSyntax{u"scan"_s, u"scan [--timeout S] [--json|--csv] [--show-secrets]"_s,
                     uR"(One broadcast discovery; lists every camera that answered within S seconds
(default 3): model, MAC, IP address and host name, one camera a line.
  --json          a JSON array with every field of each camera
  --csv           one header line, then one line a camera, every field
  --show-secrets  include the PPPoE password)"_s,
                     {{u"--timeout"_s, 1, 1}, {u"--json"_s, 0, 0}, {u"--csv"_s, 0, 0},
                      {u"--show-secrets"_s, 0, 0}},
                     0};
    t << CommandSyntax{u"register"_s, u"register HOST [--port N] [--json|--csv] [--show-secrets]"_s,
                     uR"(Asks the camera at HOST (address or name) directly, at 0, 3, 9 and 15 s,
and prints it as scan does; the camera counts as remote.
  --port N        camera port (default: --camera-port))"_s,
                     {{u"--port"_s, 1, 1}, {u"--json"_s, 0, 0}, {u"--csv"_s, 0, 0},
                      {u"--show-secrets"_s, 0, 0}},
                     1};
    t << CommandSyntax{u"set-network"_s,
                     u"set-network MAC (--dhcp | --static IP MASK GATEWAY [DNS] | "
                     u"--pppoe USER SERVICE MTU [--dns ADDR]) [options]"_s,
                     uR"(Changes the network type and settings of the camera.
  --dhcp                      the camera takes its address from a DHCP server
  --static IP MASK GATEWAY [DNS]
  --pppoe USER SERVICE MTU    PPPoE; the password from --pppoe-password-file FILE or
                              $ZORA_PPPOE_PASSWORD (else the camera's current one)
  --dns ADDR                  PPPoE with this DNS server (without it: automatic DNS))"_s
                         + kSetHelp,
                     kCredentialOptions
                         + QList<OptionSpec>{{u"--dhcp"_s, 0, 0},
                                             {u"--static"_s, 3, 4},
                                             {u"--pppoe"_s, 3, 3},
                                             {u"--dns"_s, 1, 1},
                                             {u"--pppoe-password-file"_s, 1, 1}},
                     1};
    t << CommandSyntax{u"set-hostname"_s, u"set-hostname MAC NAME [--domain D] [options]"_s,
                     uR"(Changes the camera's host name (and domain name, when it has one).)"_s
                         + kSetHelp,
                     kCredentialOptions + QList<OptionSpec>{{u"--domain"_s, 1, 1}}, 2};
    t << CommandSyntax{u"set-account"_s,
                     u"set-account MAC [--guest on|off] [--new-password-file F] [options]"_s,
                     uR"(Allows or forbids the guest account, and changes the administrator password
to the text of F (4..16 characters).)"_s
                         + kSetHelp,
                     kCredentialOptions
                         + QList<OptionSpec>{{u"--guest"_s, 1, 1}, {u"--new-password-file"_s, 1, 1}},
                     1};
    t << CommandSyntax{u"set-misc"_s,
                     u"set-misc MAC [--sensitivity N] [--output-source none|motion|input|all] [options]"_s,
                     uR"(Motion-detection sensitivity (1..255) and digital-output source of an L60
camera. A value not given keeps the camera's.)"_s
                         + kSetHelp,
                     kCredentialOptions
                         + QList<OptionSpec>{{u"--sensitivity"_s, 1, 1},
                                             {u"--output-source"_s, 1, 1}},
                     1};
    t << CommandSyntax{u"reset"_s, u"reset MAC [--scope N] [options]"_s,
                     uR"(Resets the camera's settings to their defaults: scope 0 (default) all of
them, 2..10 one settings page.)"_s
                         + kSetHelp,
                     kCredentialOptions + QList<OptionSpec>{{u"--scope"_s, 1, 1}}, 1};
    return t;
}

QString generalUsage()
{
    QString text = u"Usage: zoractl COMMAND [arguments] [options]\n\nCommands:\n"_s;
    for (const CommandSyntax &c : commandTable())
        text += u"  "_s + c.synopsis + u"\n"_s;
    text += u"\n'zoractl COMMAND --help' describes a command.\n\nOptions of every command "
            u"(before or after the command name):\n"_s
            + AppOptions::usage()
            + u"\nExit status: 0 success, 1 camera not found or not answering the "
              u"registration,\n2 bad arguments or refused values, 3 refused by the camera, "
              u"4 authentication\nfailed, 5 mismatched type, 6 unknown error, 7 no answer, "
              u"8 not back after the\nrestart (--wait), 9 some cameras of --cameras failed.\n"_s;
    return text;
}

struct Parsed {
    QStringList positional;
    QHash<QString, QStringList> values;

    bool has(const QString &name) const { return values.contains(name); }
    QString value(const QString &name) const
    {
        const QStringList v = values.value(name);
        return v.isEmpty() ? QString() : v.first();
    }
    std::optional<QString> optional(const QString &name) const
    {
        if (!has(name))
            return std::nullopt;
        return value(name);
    }
};

std::optional<Parsed> parse(const CommandSyntax &syntax, const QStringList &args, QString *error)
{
    Parsed p;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString a = args.at(i);
        if (!a.startsWith(u"--"_s) || a == u"--"_s) {
            p.positional << a;
            continue;
        }
        const auto it = std::find_if(syntax.options.begin(), syntax.options.end(),
                                     [&a](const OptionSpec &o) { return o.name == a; });
        if (it == syntax.options.end()) {
            *error = u"%1: unknown option %2"_s.arg(syntax.name, a);
            return std::nullopt;
        }
        if (p.has(a)) {
            *error = u"%1 given twice"_s.arg(a);
            return std::nullopt;
        }
        QStringList values;
        while (values.size() < it->maxValues && i + 1 < args.size()
               && (values.size() < it->minValues || !args.at(i + 1).startsWith(u"--"_s)))
            values << args.at(++i);
        if (values.size() < it->minValues) {
            *error = it->minValues == 1 ? u"%1 needs a value"_s.arg(a)
                                        : u"%1 needs %2 values"_s.arg(a).arg(it->minValues);
            return std::nullopt;
        }
        p.values.insert(a, values);
    }
    return p;
}

// ---- output ------------------------------------------------------------------------

enum class Format { Text, Json, Csv };

std::optional<Format> formatOf(const Parsed &p, QString *error)
{
    if (p.has(u"--json"_s) && p.has(u"--csv"_s)) {
        *error = u"--json and --csv exclude each other"_s;
        return std::nullopt;
    }
    return p.has(u"--json"_s) ? Format::Json : p.has(u"--csv"_s) ? Format::Csv : Format::Text;
}

void printCameras(AdminToolCore &core, const QList<int> &records, Format format, bool secrets)
{
    CameraRegistry &registry = core.registry();
    switch (format) {
    case Format::Text:
        for (int r : records)
            out(CameraRecordFormat::textLine(registry.record(r)));
        break;
    case Format::Json: {
        QJsonArray array;
        for (int r : records)
            array.append(CameraRecordFormat::toJson(registry.record(r), secrets));
        std::fputs(QJsonDocument(array).toJson(QJsonDocument::Indented).constData(), stdout);
        break;
    }
    case Format::Csv:
        out(CameraRecordFormat::csvHeader(secrets));
        for (int r : records)
            out(CameraRecordFormat::csvLine(registry.record(r), secrets));
        break;
    }
}

std::optional<int> timeoutMs(const Parsed &p, QString *error)
{
    if (!p.has(u"--timeout"_s))
        return 3000;
    bool ok = false;
    const double s = p.value(u"--timeout"_s).toDouble(&ok);
    if (!ok || s < 0 || s > 3600) {
        *error = u"--timeout: %1 is not a number of seconds (0..3600)"_s.arg(p.value(u"--timeout"_s));
        return std::nullopt;
    }
    return int(s * 1000);
}

// ---- commands ----------------------------------------------------------------------

int runScan(AdminToolCore &core, const Parsed &p)
{
    QString error;
    const auto format = formatOf(p, &error);
    const auto wait = timeoutMs(p, &error);
    if (!format || !wait) {
        err(error);
        return ExitUsage;
    }
    CameraLocator locator(core);
    if (!locator.scan(*wait, {}, &error)) {
        err(error);
        return ExitError;
    }
    printCameras(core, locator.records(), *format, p.has(u"--show-secrets"_s));
    return ExitOk;
}

std::optional<QString> portText(const Parsed &p, const AppOptions &options)
{
    const QString text = p.has(u"--port"_s) ? p.value(u"--port"_s) : QString::number(options.cameraPort);
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!ok || port < 1 || port > 65535) {
        err(GetString(3206, u"Port must be a NUMBER"_s));
        return std::nullopt;
    }
    return text;
}

int runRegister(AdminToolCore &core, const Parsed &p, const AppOptions &options)
{
    QString error;
    const auto format = formatOf(p, &error);
    if (!format) {
        err(error);
        return ExitUsage;
    }
    const auto port = portText(p, options);
    if (!port)
        return ExitUsage;
    CameraLocator locator(core);
    QString message;
    const int record = locator.registerCamera(p.positional.at(0), *port, &message);
    if (record < 0) {
        err(message);
        return ExitError;
    }
    printCameras(core, {record}, *format, p.has(u"--show-secrets"_s));
    return ExitOk;
}

int exitOf(CommandRunner::Verdict verdict)
{
    switch (verdict) {
    case CommandRunner::Verdict::Success:
        return ExitOk;
    case CommandRunner::Verdict::Refused:
        return ExitRefused;
    case CommandRunner::Verdict::AuthFailed:
        return ExitAuth;
    case CommandRunner::Verdict::Mismatch:
        return ExitMismatch;
    case CommandRunner::Verdict::UnknownError:
        return ExitUnknown;
    case CommandRunner::Verdict::NoAnswer:
        return ExitNoAnswer;
    case CommandRunner::Verdict::NotSent:
        break;
    }
    return ExitUsage;
}

// The change the arguments describe; nothing with the message on a usage error.
std::optional<CameraChange> changeOf(const QString &command, const Parsed &p, QString *error)
{
    if (command == u"set-network"_s) {
        CameraChange change(CameraChange::Kind::Network);
        const int kinds = int(p.has(u"--dhcp"_s)) + int(p.has(u"--static"_s)) + int(p.has(u"--pppoe"_s));
        if (kinds != 1) {
            *error = u"set-network needs one of --dhcp, --static or --pppoe"_s;
            return std::nullopt;
        }
        if (p.has(u"--dns"_s) && !p.has(u"--pppoe"_s)) {
            *error = u"--dns belongs to --pppoe (give a static DNS after the gateway)"_s;
            return std::nullopt;
        }
        if (p.has(u"--dhcp"_s)) {
            change.setDhcp();
        } else if (p.has(u"--static"_s)) {
            const QStringList v = p.values.value(u"--static"_s);
            change.setStatic(v.at(0), v.at(1), v.at(2),
                             v.size() > 3 ? std::optional<QString>(v.at(3)) : std::nullopt);
        } else {
            const QStringList v = p.values.value(u"--pppoe"_s);
            std::optional<QString> password;
            const QString file = p.value(u"--pppoe-password-file"_s);
            if (!file.isEmpty()) {
                password = ScriptCredentials::readSecretFile(file, error);
                if (!password)
                    return std::nullopt;
            } else if (qEnvironmentVariableIsSet("ZORA_PPPOE_PASSWORD")) {
                password = qEnvironmentVariable("ZORA_PPPOE_PASSWORD");
            }
            change.setPppoe(v.at(0), v.at(1), v.at(2), password, p.optional(u"--dns"_s));
        }
        return change;
    }
    if (command == u"set-hostname"_s) {
        CameraChange change(CameraChange::Kind::Host);
        change.setHost(p.positional.last(), p.optional(u"--domain"_s));
        return change;
    }
    if (command == u"set-account"_s) {
        CameraChange change(CameraChange::Kind::Account);
        std::optional<bool> guest;
        if (p.has(u"--guest"_s)) {
            const QString g = p.value(u"--guest"_s).toLower();
            if (g != u"on"_s && g != u"off"_s) {
                *error = u"--guest takes on or off"_s;
                return std::nullopt;
            }
            guest = g == u"on"_s;
        }
        std::optional<QString> newPassword;
        if (p.has(u"--new-password-file"_s)) {
            newPassword = ScriptCredentials::readSecretFile(p.value(u"--new-password-file"_s), error);
            if (!newPassword)
                return std::nullopt;
        }
        if (!guest && !newPassword) {
            *error = u"set-account needs --guest or --new-password-file"_s;
            return std::nullopt;
        }
        change.setAccount(guest, newPassword);
        return change;
    }
    if (command == u"set-misc"_s) {
        CameraChange change(CameraChange::Kind::Misc);
        std::optional<int> source;
        if (p.has(u"--output-source"_s)) {
            source = CameraRecordFormat::outputSourceIndex(p.value(u"--output-source"_s));
            if (!source) {
                *error = u"--output-source takes none, motion, input or all"_s;
                return std::nullopt;
            }
        }
        if (!source && !p.has(u"--sensitivity"_s)) {
            *error = u"set-misc needs --sensitivity or --output-source"_s;
            return std::nullopt;
        }
        change.setMisc(p.optional(u"--sensitivity"_s), source);
        return change;
    }
    CameraChange change(CameraChange::Kind::Reset);
    if (p.has(u"--scope"_s)) {
        bool ok = false;
        const int scope = p.value(u"--scope"_s).toInt(&ok);
        if (!ok || scope < 0 || scope == 1 || scope > 10) {
            *error = u"--scope takes 0 or 2..10"_s;
            return std::nullopt;
        }
        change.setResetScope(quint8(scope));
    }
    return change;
}

// MACs of --cameras FILE: the first word of each line; blank lines and '#' comments
// are skipped.
std::optional<QStringList> macsOfFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = u"cannot read %1: %2"_s.arg(path, file.errorString());
        return std::nullopt;
    }
    QStringList macs;
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        QString line = QString::fromUtf8(file.readLine());
        const qsizetype hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString mac = CameraLocator::normalMac(words.first());
        if (mac.isEmpty()) {
            *error = u"%1:%2: %3 is not a MAC address"_s.arg(path).arg(number).arg(words.first());
            return std::nullopt;
        }
        macs << mac;
    }
    if (macs.isEmpty()) {
        *error = u"%1 lists no camera"_s.arg(path);
        return std::nullopt;
    }
    return macs;
}

struct CameraResult {
    QString mac;
    QString verdict;
    QString address;
    QString text;
    int status = ExitOk;
};

QString oneLine(QString text)
{
    text.replace(u"\n\n"_s, u" "_s);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

CameraResult applyToCamera(AdminToolCore &core, CommandRunner &runner, const CameraChange &change,
                           CredentialPrompt &credentials, int record, const QString &mac, bool wait)
{
    CameraResult result;
    result.mac = mac;
    if (record < 0) {
        result.verdict = u"not found"_s;
        result.text = u"no camera with this MAC answered"_s;
        result.status = ExitError;
        return result;
    }
    TConfigItem &camera = core.registry().record(record);
    result.address = camera.Address;
    RequireCredentials(camera, credentials);
    const int row = core.list().rowOfRecord(record);
    const QString rowKind = core.list().column(row, CameraList::ColKind);
    const CameraChange::Built built = change.build(camera, rowKind, CommandSources{});
    if (built.refused) {
        result.verdict = u"refused value"_s;
        result.text = built.refused->text;
        result.status = ExitUsage;
        return result;
    }
    const CommandRunner::Report report =
        runner.run(record, built.command.bytes, built.capacity, built.unicast);
    result.verdict = CommandRunner::verdictName(report.verdict);
    result.text = report.text;
    result.status = exitOf(report.verdict);
    if (report.verdict != CommandRunner::Verdict::Success || !wait)
        return result;
    RestartFollower follower(core, record);
    if (follower.run() == RestartFollower::State::Back) {
        result.address = follower.address();
        result.text = u"back after the restart at %1"_s.arg(result.address);
    } else {
        result.verdict = u"not back"_s;
        result.text = u"the camera did not answer within 60 s of its restart"_s;
        result.status = ExitNotBack;
    }
    return result;
}

int runChange(AdminToolCore &core, const QString &command, const Parsed &p,
              const AppOptions &options)
{
    QString error;
    const auto wait = timeoutMs(p, &error);
    if (!wait) {
        err(error);
        return ExitUsage;
    }
    const bool batch = p.has(u"--cameras"_s);
    const QList<CommandSyntax> table = commandTable();
    const CommandSyntax syntax = *std::find_if(table.begin(), table.end(),
                                           [&command](const CommandSyntax &c) {
                                               return c.name == command;
                                           });
    const qsizetype wanted = syntax.positionals - (batch ? 1 : 0);
    if (p.positional.size() != wanted) {
        err(u"usage: zoractl %1"_s.arg(syntax.synopsis));
        return ExitUsage;
    }
    if (batch && p.has(u"--remote"_s)) {
        err(u"--remote names one camera; it cannot go with --cameras"_s);
        return ExitUsage;
    }
    QStringList macs;
    if (batch) {
        const auto list = macsOfFile(p.value(u"--cameras"_s), &error);
        if (!list) {
            err(error);
            return ExitUsage;
        }
        macs = *list;
    } else {
        const QString mac = CameraLocator::normalMac(p.positional.first());
        if (mac.isEmpty()) {
            err(u"%1 is not a MAC address"_s.arg(p.positional.first()));
            return ExitUsage;
        }
        macs << mac;
    }
    std::optional<CameraChange> change = changeOf(command, p, &error);
    if (!change) {
        err(error);
        return ExitUsage;
    }
    std::optional<QString> remotePort;
    if (p.has(u"--remote"_s)) {
        remotePort = portText(p, options);
        if (!remotePort)
            return ExitUsage;
    }

    ScriptCredentials::Sources sources;
    sources.user = p.value(u"--user"_s);
    sources.passwordFile = p.value(u"--password-file"_s);
    sources.interactive = ScriptCredentials::stdinIsTerminal();
    sources.askHidden = &ScriptCredentials::askHiddenOnTerminal;
    const std::optional<LoginEntry> entry = ScriptCredentials::resolve(sources, &error);
    if (!entry) {
        err(error);
        return ExitUsage;
    }
    ScriptCredentials credentials(*entry);

    CameraLocator locator(core);
    QHash<QString, int> records;
    if (p.has(u"--remote"_s)) {
        QString message;
        const int record = locator.registerCamera(p.value(u"--remote"_s), *remotePort, &message);
        if (record < 0) {
            err(message);
            return ExitError;
        }
        const QString found = core.registry().record(record).macText();
        if (found != macs.first()) {
            err(u"the camera at %1 is %2, not %3"_s.arg(p.value(u"--remote"_s), found, macs.first()));
            return ExitError;
        }
        records.insert(found, record);
    } else {
        if (!locator.scan(*wait, macs, &error)) {
            err(error);
            return ExitError;
        }
        for (const QString &mac : macs)
            records.insert(mac, locator.recordOfMac(mac));
    }

    CommandRunner runner(core);
    // Not documented: lets the tests of the tool run the ten resends without waiting 20 s.
    if (const int ms = qEnvironmentVariableIntValue("ZORACTL_CONFIRM_INTERVAL_MS"); ms > 0)
        runner.setIntervalMs(ms);

    QList<CameraResult> results;
    for (const QString &mac : macs)
        results << applyToCamera(core, runner, *change, credentials, records.value(mac, -1), mac,
                                 p.has(u"--wait"_s));

    if (!batch) {
        const CameraResult &r = results.first();
        if (r.status == ExitOk)
            out(oneLine(r.text));
        else
            err(u"%1: %2"_s.arg(r.mac, oneLine(r.text)));
        return r.status;
    }
    const QString row = u"%1  %2  %3  %4"_s;
    out(row.arg(u"MAC"_s, -17).arg(u"RESULT"_s, -21).arg(u"ADDRESS"_s, -15).arg(u"MESSAGE"_s));
    int failed = 0;
    for (const CameraResult &r : results) {
        out(row.arg(r.mac, -17).arg(r.verdict, -21).arg(r.address, -15).arg(oneLine(r.text)));
        failed += r.status != ExitOk;
    }
    out(u"%1 of %2 cameras changed"_s.arg(results.size() - failed).arg(results.size()));
    return failed ? ExitBatch : ExitOk;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    AppOptions options;
    QString error;
    if (!options.take(args, &error)) {
        err(error);
        return ExitUsage;
    }
    if (options.version) {
        out(AppOptions::versionLine(u"zoractl"_s));
        return ExitOk;
    }
    if (args.isEmpty() || args.first().startsWith(u"-"_s)) {
        if (options.help && args.isEmpty()) {
            std::fputs(qPrintable(generalUsage()), stdout);
            return ExitOk;
        }
        if (!args.isEmpty())
            err(u"unknown option %1"_s.arg(args.first()));
        std::fputs(qPrintable(generalUsage()), stderr);
        return ExitUsage;
    }
    const QString command = args.takeFirst();
    const QList<CommandSyntax> table = commandTable();
    const auto syntax = std::find_if(table.begin(), table.end(),
                                   [&command](const CommandSyntax &c) { return c.name == command; });
    if (syntax == table.end()) {
        err(u"unknown command %1"_s.arg(command));
        std::fputs(qPrintable(generalUsage()), stderr);
        return ExitUsage;
    }
    if (options.help) {
        out(u"Usage: zoractl "_s + syntax->synopsis + u"\n\n"_s + syntax->description
            + u"\n\nShared options:\n"_s + AppOptions::usage());
        return ExitOk;
    }
    const std::optional<Parsed> parsed = parse(*syntax, args, &error);
    if (!parsed) {
        err(error);
        return ExitUsage;
    }

    SetApplicationPath(options.resolveAppDir(QCoreApplication::applicationDirPath()));
    TMultiLang::Load(3000, 306);
    ConsoleMessenger messenger;
    AdminToolCore core(options, messenger);
    int status = ExitUsage;
    if (command == u"scan"_s) {
        if (!parsed->positional.isEmpty()) {
            err(u"usage: zoractl "_s + syntax->synopsis);
        } else {
            status = runScan(core, *parsed);
        }
    } else if (command == u"register"_s) {
        if (parsed->positional.size() != 1)
            err(u"usage: zoractl "_s + syntax->synopsis);
        else
            status = runRegister(core, *parsed, options);
    } else {
        status = runChange(core, command, *parsed, options);
    }
    std::fflush(stdout);
    TMultiLang::Free();
    return status;
}

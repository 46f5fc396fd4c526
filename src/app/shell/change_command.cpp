#include "app/shell/change_command.h"

#include "app/shell/batch_runner.h"
#include "app/shell/camera_change.h"
#include "app/shell/camera_locator.h"
#include "app/shell/camera_record_format.h"
#include "app/shell/interrupt_watch.h"
#include "app/shell/script_credentials.h"
#include "app/shell/shell_common.h"
#include "app/shell/shell_console.h"
#include "app/shell/shell_context.h"
#include "app/shell/shell_exit.h"
#include "protocol/camera_network.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QList<OptionSpec> kCredentialOptions = {
    {u"--user"_s, 1, 1},    {u"--password-file"_s, 1, 1}, {u"--remote"_s, 1, 1},
    {u"--port"_s, 1, 1},    {u"--cameras"_s, 1, 1},       {u"--wait"_s, 0, 0},
    {u"--timeout"_s, 1, 1}, {u"--parallel"_s, 1, 1},
};

const QString kSetHelp = uR"(
  --user ID                 administrator ID (1..7 characters); required
  --password-file FILE      administrator password, the file's text without a final
                            line break; else $ZORA_PASSWORD; else asked on the terminal
  --remote IP               find the camera by a request to IP (registration) instead
                            of the broadcast scan; the command goes to IP, marked remote
  --port N                  camera port for --remote (default: --camera-port)
  --cameras FILE            apply the change to every MAC listed in FILE (one a line,
                            '#' starts a comment) instead of MAC; prints a summary
  --parallel N              with --cameras: at most N cameras at once (default 8;
                            1 changes one camera after the other)
  --wait                    follow the camera through its restart (asked every 10 s
                            for 60 s) and report whether and where it came back
  --timeout S               seconds the scan waits for the camera (default 3))"_s;

// The change the arguments describe; nothing with the message on a usage error. Values
// that can be judged without the camera are judged here, before anything is sent.
std::optional<CameraChange> changeOf(const QString &command, const ShellArguments &p, QString *error)
{
    if (command == u"set-network"_s) {
        CameraChange change(CameraChange::Kind::Network);
        const int kinds = int(p.has(u"--dhcp"_s)) + int(p.has(u"--static"_s)) + int(p.has(u"--pppoe"_s));
        if (kinds == 0) {
            *error = u"set-network needs one of --dhcp, --static or --pppoe"_s;
            return std::nullopt;
        }
        if (kinds > 1) {
            *error = u"only one network type may be given: --dhcp, --static or --pppoe"_s;
            return std::nullopt;
        }
        if (p.has(u"--dns"_s) && !p.has(u"--pppoe"_s)) {
            *error = u"--dns belongs to --pppoe (give a static DNS after the gateway)"_s;
            return std::nullopt;
        }
        if (p.has(u"--dhcp"_s)) {
            change.setDhcp();
        } else if (p.has(u"--static"_s)) {
            const QStringList v = p.values(u"--static"_s);
            static const char *const names[] = {"IP", "MASK", "GATEWAY", "DNS"};
            for (int i = 0; i < v.size(); ++i) {
                if (!ShellCommon::isDottedIPv4(v.at(i))) {
                    *error = u"--static: %1 %2 is not an IPv4 address"_s.arg(QLatin1String(names[i]), v.at(i));
                    return std::nullopt;
                }
            }
            change.setStatic(v.at(0), v.at(1), v.at(2),
                             v.size() > 3 ? std::optional<QString>(v.at(3)) : std::nullopt);
        } else {
            const QStringList v = p.values(u"--pppoe"_s);
            if (p.has(u"--dns"_s) && !ShellCommon::isDottedIPv4(p.value(u"--dns"_s))) {
                *error = u"--dns: %1 is not an IPv4 address"_s.arg(p.value(u"--dns"_s));
                return std::nullopt;
            }
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
        change.setHost(p.positional().last(), p.optional(u"--domain"_s));
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

int usage(ShellContext &context, const QString &text)
{
    context.console.err(text);
    return ExitUsage;
}

} // namespace

QList<CommandSyntax> ChangeCommand::syntaxes()
{
    QList<CommandSyntax> t;
    t << CommandSyntax{u"set-network"_s,
                       u"set-network MAC (--dhcp | --static IP MASK GATEWAY [DNS] | "
                       u"--pppoe USER SERVICE MTU [--dns ADDR]) --user ID [options]"_s,
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
    t << CommandSyntax{u"set-hostname"_s, u"set-hostname MAC NAME [--domain D] --user ID [options]"_s,
                       uR"(Changes the camera's host name (and domain name, when it has one).)"_s
                           + kSetHelp,
                       kCredentialOptions + QList<OptionSpec>{{u"--domain"_s, 1, 1}}, 2};
    t << CommandSyntax{u"set-account"_s,
                       u"set-account MAC [--guest on|off] [--new-password-file F] --user ID [options]"_s,
                       uR"(Allows or forbids the guest account, and changes the administrator password
to the text of F (4..16 characters).)"_s
                           + kSetHelp,
                       kCredentialOptions
                           + QList<OptionSpec>{{u"--guest"_s, 1, 1}, {u"--new-password-file"_s, 1, 1}},
                       1};
    t << CommandSyntax{u"set-misc"_s,
                       u"set-misc MAC [--sensitivity N] [--output-source none|motion|input|all] "
                       u"--user ID [options]"_s,
                       uR"(Motion-detection sensitivity (1..255) and digital-output source of an L60
camera. A value not given keeps the camera's.)"_s
                           + kSetHelp,
                       kCredentialOptions
                           + QList<OptionSpec>{{u"--sensitivity"_s, 1, 1},
                                               {u"--output-source"_s, 1, 1}},
                       1};
    t << CommandSyntax{u"reset"_s, u"reset MAC [--scope N] --user ID [options]"_s,
                       uR"(Resets the camera's settings to their defaults: scope 0 (default) all of
them, 2..10 one settings page.)"_s
                           + kSetHelp,
                       kCredentialOptions + QList<OptionSpec>{{u"--scope"_s, 1, 1}}, 1};
    return t;
}

int ChangeCommand::run(ShellContext &context, const QString &command, const ShellArguments &p)
{
    QString error;
    const auto wait = ShellCommon::timeoutMs(p, &error);
    if (!wait)
        return usage(context, error);
    const auto parallel = ShellCommon::parallel(p, &error);
    if (!parallel)
        return usage(context, error);
    const bool batch = p.has(u"--cameras"_s);
    const QList<CommandSyntax> table = syntaxes();
    const CommandSyntax syntax = *std::find_if(table.begin(), table.end(),
                                               [&command](const CommandSyntax &c) {
                                                   return c.name == command;
                                               });
    const qsizetype wanted = syntax.positionals - (batch ? 1 : 0);
    if (p.positional().size() != wanted)
        return usage(context, u"usage: zoractl %1"_s.arg(syntax.synopsis));
    if (batch && p.has(u"--remote"_s))
        return usage(context, u"--remote names one camera; it cannot go with --cameras"_s);
    QStringList macs;
    if (batch) {
        const auto list = ShellCommon::macsOfFile(p.value(u"--cameras"_s), &error);
        if (!list)
            return usage(context, error);
        macs = *list;
    } else {
        const QString mac = Zora::NormalMacText(p.positional().first());
        if (mac.isEmpty())
            return usage(context, u"%1 is not a MAC address"_s.arg(p.positional().first()));
        macs << mac;
    }
    std::optional<CameraChange> change = changeOf(command, p, &error);
    if (!change)
        return usage(context, error);
    std::optional<QString> remotePort;
    if (p.has(u"--remote"_s)) {
        remotePort = ShellCommon::portText(p, context.options, &error);
        if (!remotePort)
            return usage(context, error);
    }
    const std::optional<LoginEntry> entry = ShellCommon::credentials(p, context, &error);
    if (!entry)
        return usage(context, error);
    if (!ShellCommon::localReady(context))
        return ExitLocal;

    CameraLocator locator(context.network);
    if (p.has(u"--remote"_s)) {
        QString message;
        context.console.status(u"waiting for the camera at %1"_s.arg(p.value(u"--remote"_s)));
        const int record = locator.registerCamera(p.value(u"--remote"_s), *remotePort, &message);
        if (record < 0) {
            context.console.err(message);
            return ExitError;
        }
        const QString found = context.network.registry().record(record).macText();
        if (found != macs.first()) {
            context.console.err(u"the camera at %1 is %2, not %3"_s.arg(p.value(u"--remote"_s), found,
                                                                        macs.first()));
            return ExitError;
        }
    } else {
        context.console.status(u"scanning for %1 camera(s)"_s.arg(macs.size()));
        if (!locator.scan(*wait, macs, &error)) {
            context.console.err(error);
            return ExitLocal;
        }
    }

    QList<BatchTask> tasks;
    for (const QString &mac : macs) {
        BatchTask task;
        task.mac = mac;
        task.login = *entry;
        BatchStep step;
        step.name = command;
        step.change = *change;
        step.follow = p.has(u"--wait"_s);
        task.steps << step;
        tasks << task;
    }
    BatchRunner runner(context.network);
    runner.setParallel(batch ? *parallel : 1);
    ShellCommon::prepare(runner, context);
    if (batch) {
        QObject::connect(&runner, &BatchRunner::taskEnded, &runner,
                         [&context](int, const BatchResult &r) {
                             context.console.note(u"%1: %2 %3"_s.arg(ShellCommon::cameraName(context.network, r.mac),
                                                                    r.verdict, ShellCommon::oneLine(r.text)));
                         });
    }
    const QList<BatchResult> results = runner.run(tasks);
    context.console.clearStatus();

    if (!batch) {
        const BatchResult &r = results.first();
        const QString line = u"%1: %2"_s.arg(ShellCommon::cameraName(context.network, r.mac),
                                             ShellCommon::oneLine(r.text));
        if (r.status == ExitOk)
            context.console.out(line);
        else
            context.console.err(line);
        return r.status;
    }
    const QString row = u"%1  %2  %3  %4"_s;
    context.console.out(row.arg(u"MAC"_s, -17).arg(u"RESULT"_s, -21).arg(u"ADDRESS"_s, -15).arg(u"MESSAGE"_s));
    int failed = 0;
    for (const BatchResult &r : results) {
        context.console.out(row.arg(r.mac, -17).arg(r.verdict, -21).arg(r.address, -15)
                                .arg(ShellCommon::oneLine(r.text)));
        failed += r.status != ExitOk;
    }
    context.console.out(u"%1 of %2 cameras changed"_s.arg(results.size() - failed).arg(results.size()));
    if (runner.stopping())
        return ExitInterrupted;
    return failed ? ExitBatch : ExitOk;
}

#include "base/app_options.h"

#include "base/shared_routines.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>

namespace {

bool takeValue(QStringList &args, qsizetype i, QString *value, QString *error)
{
    const QString opt = args.at(i);
    if (i + 1 >= args.size()) {
        *error = QStringLiteral("%1 needs a value").arg(opt);
        return false;
    }
    *value = args.at(i + 1);
    args.remove(i, 2);
    return true;
}

bool toPort(const QString &text, const QString &opt, quint16 *port, QString *error)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 1 || v > 65535) {
        *error = QStringLiteral("%1: %2 is not a port number (1..65535)").arg(opt, text);
        return false;
    }
    *port = quint16(v);
    return true;
}

bool writableDir(const QString &dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(dir + QStringLiteral("/.zora-write-test-XXXXXX"));
    return probe.open();
}

} // namespace

const QList<AppOptions::Shared> &AppOptions::shared()
{
    static const QList<Shared> options = {
        {QStringLiteral("--app-dir"), QStringLiteral("DIR"),
         QStringLiteral("keep every file in DIR (zora.ini, temp/); default: the\n"
                        "executable's directory when writable, else (and always when\n"
                        "installed) ~/.config/zora, ~/.local/state/zora and\n"
                        "$XDG_RUNTIME_DIR/zora")},
        {QStringLiteral("--broadcast"), QStringLiteral("ADDR"),
         QStringLiteral("discovery broadcast address (default 255.255.255.255,\n"
                        "sent out of every adapter that is up; a directed\n"
                        "broadcast such as 192.168.10.255 goes by routing)")},
        {QStringLiteral("--adapter"), QStringLiteral("NAME"),
         QStringLiteral("broadcast through this adapter only (eth2, wlan0)")},
        {QStringLiteral("--camera-port"), QStringLiteral("N"),
         QStringLiteral("UDP port of the cameras (default 32154)")},
        {QStringLiteral("--local-port"), QStringLiteral("N"),
         QStringLiteral("local UDP port replies come to (default 32153)")},
        {QStringLiteral("--ftp-port"), QStringLiteral("N"),
         QStringLiteral("default FTP port of new cameras (default 21)")},
        {QStringLiteral("--help"), QString(), QStringLiteral("this text (also -h)")},
        {QStringLiteral("--version"), QString(), QStringLiteral("the program's version (also -V)")},
    };
    return options;
}

bool AppOptions::take(QStringList &args, QString *error)
{
    for (qsizetype i = 0; i < args.size();) {
        const QString a = args.at(i);
        // What follows "--" is a command's own: positionals that may look like options.
        if (a == QLatin1String("--"))
            return true;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
            args.removeAt(i);
            continue;
        }
        if (a == QLatin1String("--version") || a == QLatin1String("-V")) {
            version = true;
            args.removeAt(i);
            continue;
        }
        const qsizetype equals = a.indexOf(QLatin1Char('='));
        const QString name = a.startsWith(QLatin1String("--")) && equals > 0 ? a.left(equals) : a;
        const bool known = std::any_of(shared().cbegin(), shared().cend(), [&name](const Shared &o) {
            return o.name == name && !o.value.isEmpty();
        });
        if (!known) {
            ++i;
            continue;
        }
        QString value;
        if (name != a) {
            value = a.mid(equals + 1);
            args.removeAt(i);
        } else if (!takeValue(args, i, &value, error)) {
            return false;
        }
        if (!apply(name, value, error))
            return false;
    }
    return true;
}

bool AppOptions::apply(const QString &name, const QString &value, QString *error)
{
    if (name == QLatin1String("--app-dir")) {
        appDir = value;
    } else if (name == QLatin1String("--broadcast")) {
        // Typed addresses are strict everywhere: "127.1" or "0x7f..." would be guessed at.
        const std::optional<quint32> address = DottedDecimal(value);
        if (!address) {
            *error = QStringLiteral("--broadcast: %1 is not an IPv4 address (four decimal numbers "
                                    "0..255 with dots between)").arg(value);
            return false;
        }
        broadcast = QHostAddress(*address);
    } else if (name == QLatin1String("--adapter")) {
        if (value.isEmpty() || value.size() > 15 || value.contains(QLatin1Char('/'))) {
            *error = QStringLiteral("--adapter: %1 is not an adapter name").arg(value);
            return false;
        }
        adapter = value;
    } else {
        quint16 *port = name == QLatin1String("--camera-port") ? &cameraPort
                      : name == QLatin1String("--local-port")  ? &localPort
                                                               : &ftpPort;
        return toPort(value, name, port, error);
    }
    return true;
}

QString AppOptions::usage()
{
    QString text;
    for (const Shared &o : shared()) {
        QString head = QStringLiteral("  ") + o.name;
        if (!o.value.isEmpty())
            head += QLatin1Char(' ') + o.value;
        const QStringList lines = o.help.split(QLatin1Char('\n'));
        text += head.leftJustified(23) + lines.first() + QLatin1Char('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            text += QString(23, QLatin1Char(' ')) + lines.at(i) + QLatin1Char('\n');
    }
    return text;
}

QString AppOptions::versionLine(const QString &program)
{
    return program + QLatin1Char(' ') + QStringLiteral(ZORA_VERSION);
}

AppPaths AppOptions::resolvePaths(const QString &executableDir) const
{
    if (!appDir.isEmpty()) {
        QDir().mkpath(appDir);
        return AppPaths::beside(QDir(appDir).absolutePath());
    }
    // An installed copy shares its directory with every other program: its files go to
    // the user's directories even when root could write there.
    static const QStringList systemDirs = {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin"),
                                           QStringLiteral("/bin"), QStringLiteral("/usr/games")};
    if (!systemDirs.contains(QDir::cleanPath(executableDir)) && writableDir(executableDir))
        return AppPaths::beside(executableDir);
    return AppPaths::forUser();
}

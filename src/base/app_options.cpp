#include "base/app_options.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

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

bool AppOptions::take(QStringList &args, QString *error)
{
    for (qsizetype i = 0; i < args.size();) {
        const QString a = args.at(i);
        QString value;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
            args.removeAt(i);
        } else if (a == QLatin1String("--version")) {
            version = true;
            args.removeAt(i);
        } else if (a == QLatin1String("--app-dir")) {
            if (!takeValue(args, i, &value, error))
                return false;
            appDir = value;
        } else if (a == QLatin1String("--broadcast")) {
            if (!takeValue(args, i, &value, error))
                return false;
            QHostAddress address;
            if (!address.setAddress(value) || address.protocol() != QAbstractSocket::IPv4Protocol) {
                *error = QStringLiteral("--broadcast: %1 is not an IPv4 address").arg(value);
                return false;
            }
            broadcast = address;
        } else if (a == QLatin1String("--adapter")) {
            if (!takeValue(args, i, &value, error))
                return false;
            if (value.isEmpty() || value.size() > 15 || value.contains(QLatin1Char('/'))) {
                *error = QStringLiteral("--adapter: %1 is not an adapter name").arg(value);
                return false;
            }
            adapter = value;
        } else if (a == QLatin1String("--camera-port") || a == QLatin1String("--local-port")
                   || a == QLatin1String("--ftp-port")) {
            if (!takeValue(args, i, &value, error))
                return false;
            quint16 *port = a == QLatin1String("--camera-port") ? &cameraPort
                          : a == QLatin1String("--local-port")  ? &localPort
                                                                : &ftpPort;
            if (!toPort(value, a, port, error))
                return false;
        } else {
            ++i;
        }
    }
    return true;
}

QString AppOptions::usage()
{
    return QStringLiteral(
        "  --app-dir DIR        application directory (zora.ini, temp/); default: the\n"
        "                       executable's directory, or ~/.local/share/zora when that\n"
        "                       is not writable\n"
        "  --broadcast ADDR     discovery broadcast address (default 255.255.255.255,\n"
        "                       sent out of every adapter that is up; a directed\n"
        "                       broadcast such as 192.168.10.255 goes by routing)\n"
        "  --adapter NAME       broadcast through this adapter only (eth2, wlan0)\n"
        "  --camera-port N      UDP port of the cameras (default 32154)\n"
        "  --local-port N       local UDP port replies come to (default 32153)\n"
        "  --ftp-port N         default FTP port of new cameras (default 21)\n"
        "  --help               this text\n"
        "  --version            the program's version\n");
}

QString AppOptions::versionLine(const QString &program)
{
    return program + QLatin1Char(' ') + QStringLiteral(ZORA_VERSION);
}

QString AppOptions::resolveAppDir(const QString &executableDir, bool *fellBack) const
{
    if (fellBack)
        *fellBack = false;
    if (!appDir.isEmpty()) {
        QDir().mkpath(appDir);
        return QDir(appDir).absolutePath();
    }
    // An installed copy shares its directory with every other program: its files go to
    // the user's data directory even when root could write there.
    static const QStringList systemDirs = {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin"),
                                           QStringLiteral("/bin"), QStringLiteral("/usr/games")};
    if (!systemDirs.contains(QDir::cleanPath(executableDir)) && writableDir(executableDir))
        return executableDir;
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString dir = base + QStringLiteral("/zora");
    QDir().mkpath(dir);
    if (fellBack)
        *fellBack = true;
    return dir;
}

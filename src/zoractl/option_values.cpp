#include "zoractl/option_values.h"

#include "base/app_options.h"
#include "base/input_file.h"
#include "base/send_guard.h"
#include "base/shared_routines.h"
#include "protocol/datagram.h"
#include "protocol/register_camera_session.h"
#include "site/script_credentials.h"
#include "zoractl/command_context.h"

#include <QFile>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// A MAC a line: a list of a whole site is a few kilobytes.
constexpr qint64 kMaxListBytes = 1 << 20;

} // namespace

std::optional<CameraListFormat::Kind> OptionValues::formatOf(const Arguments &p, QString *error)
{
    if (p.has(u"--json"_s) && p.has(u"--csv"_s)) {
        *error = u"--json and --csv exclude each other"_s;
        return std::nullopt;
    }
    if (p.has(u"--json"_s))
        return CameraListFormat::Kind::Json;
    return p.has(u"--csv"_s) ? CameraListFormat::Kind::Csv : CameraListFormat::Kind::Text;
}

std::optional<int> OptionValues::timeoutMs(const Arguments &p, QString *error)
{
    if (!p.has(u"--timeout"_s))
        return 3000;
    bool ok = false;
    const double s = p.value(u"--timeout"_s).toDouble(&ok);
    if (!ok || !std::isfinite(s) || s < 0 || s > 3600) {
        *error = u"--timeout: %1 is not a number of seconds (0..3600)"_s.arg(p.value(u"--timeout"_s));
        return std::nullopt;
    }
    // Rounded: 2.03 s is 2029.99... ms as a double.
    return int(std::lround(s * 1000));
}

std::optional<int> OptionValues::parallel(const Arguments &p, QString *error)
{
    return count(p, u"--parallel"_s, 8, 1, error);
}

std::optional<int> OptionValues::count(const Arguments &p, const QString &option, int fallback, int least,
                                       QString *error)
{
    if (!p.has(option))
        return fallback;
    bool ok = false;
    const int n = p.value(option).toInt(&ok);
    if (!ok || n < least || n > 256) {
        *error = u"%1: %2 is not a number of cameras (%3..256)"_s.arg(option, p.value(option)).arg(least);
        return std::nullopt;
    }
    return n;
}

std::optional<QString> OptionValues::portText(const Arguments &p, const AppOptions &options, QString *error)
{
    const QString text = p.has(u"--port"_s) ? p.value(u"--port"_s) : QString::number(options.cameraPort);
    if (!RegisterCameraSession::portOf(text, error))
        return std::nullopt;
    return text;
}

std::optional<QStringList> OptionValues::macsOfFile(const QString &path, QString *error)
{
    const std::optional<QByteArray> bytes = InputFile::read(path, kMaxListBytes, error);
    if (!bytes)
        return std::nullopt;
    const QString name = InputFile::displayName(path);
    QStringList macs;
    int number = 0;
    for (QString line : QString::fromUtf8(*bytes).split(QLatin1Char('\n'))) {
        ++number;
        const qsizetype hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString mac = Zora::NormalMacText(words.first());
        if (mac.isEmpty()) {
            *error = u"%1:%2: %3 is not a MAC address"_s.arg(name).arg(number).arg(words.first());
            return std::nullopt;
        }
        macs << mac;
    }
    if (macs.isEmpty()) {
        *error = u"%1 lists no camera"_s.arg(name);
        return std::nullopt;
    }
    return macs;
}

std::optional<QStringList> OptionValues::assignmentsOfFile(const QString &path, QString *error)
{
    const std::optional<QByteArray> bytes = InputFile::read(path, kMaxListBytes, error);
    if (!bytes)
        return std::nullopt;
    QStringList words;
    for (QString line : QString::fromUtf8(*bytes).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.trimmed().isEmpty() && !line.trimmed().startsWith(QLatin1Char('#')))
            words << line;
    }
    if (words.isEmpty()) {
        *error = u"%1 holds no PAGE.FIELD=VALUE line"_s.arg(InputFile::displayName(path));
        return std::nullopt;
    }
    return words;
}

std::optional<LoginEntry> OptionValues::credentials(const Arguments &p, const CommandContext &context,
                                                    QString *error)
{
    // Standard input has one text: the list or plan read first would leave the password
    // empty, which would be refused with a message that hides why.
    if (p.value(u"--password-file"_s) == u"-"_s
        && (p.value(u"--cameras"_s) == u"-"_s || p.value(u"--fields"_s) == u"-"_s || p.positional().contains(u"-"_s))) {
        *error = u"--password-file - and a list or plan from - cannot both read standard input"_s;
        return std::nullopt;
    }
    ScriptCredentials::Sources sources;
    sources.user = p.value(u"--user"_s);
    sources.passwordFile = p.value(u"--password-file"_s);
    sources.interactive = context.stdinIsTerminal;
    sources.askHidden = &ScriptCredentials::askHiddenOnTerminal;
    return ScriptCredentials::resolve(sources, error);
}

bool OptionValues::isDottedIPv4(const QString &text)
{
    return DottedDecimal(text).has_value();
}

QString OptionValues::hostProblem(const QString &what, const QString &host)
{
    // The registration would look nothing up and fail without a word.
    if (host.trimmed().isEmpty())
        return u"%1 is empty; expected the camera's IPv4 address (such as 192.168.10.41) or host name"_s.arg(what);
    // "127.0.0.021" is a typing error, not a camera that failed to answer.
    if (SendGuard::numericForm(host) && !DottedDecimal(host))
        return u"%1: %2"_s.arg(what, SendGuard::hostRefusal(host));
    return {};
}


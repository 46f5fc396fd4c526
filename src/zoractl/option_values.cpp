#include "zoractl/option_values.h"

#include "base/send_guard.h"
#include "base/shared_routines.h"
#include "site/batch_runner.h"
#include "site/camera_record_format.h"
#include "zoractl/interrupt_watch.h"
#include "site/script_credentials.h"
#include "zoractl/console.h"
#include "zoractl/command_context.h"
#include "site/camera_outcome.h"
#include "protocol/camera_network.h"
#include "protocol/register_camera_session.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <cmath>

using namespace Qt::StringLiterals;

std::optional<OptionValues::Format> OptionValues::formatOf(const Arguments &p, QString *error)
{
    if (p.has(u"--json"_s) && p.has(u"--csv"_s)) {
        *error = u"--json and --csv exclude each other"_s;
        return std::nullopt;
    }
    return p.has(u"--json"_s) ? Format::Json : p.has(u"--csv"_s) ? Format::Csv : Format::Text;
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

bool OptionValues::interrupted(const CommandContext &context)
{
    return context.interrupts && context.interrupts->interrupted();
}

int OptionValues::stoppedStatus(const CommandContext &context)
{
    return interrupted(context) ? InterruptWatch::exitStatusOf(context.interrupts->signalNumber())
                                : int(ExitInterrupted);
}

std::optional<QString> OptionValues::portText(const Arguments &p, const AppOptions &options,
                                             QString *error)
{
    const QString text = p.has(u"--port"_s) ? p.value(u"--port"_s) : QString::number(options.cameraPort);
    if (!RegisterCameraSession::portOf(text, error))
        return std::nullopt;
    return text;
}

std::optional<QStringList> OptionValues::macsOfFile(const QString &path, QString *error)
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
        const QString mac = Zora::NormalMacText(words.first());
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

std::optional<LoginEntry> OptionValues::credentials(const Arguments &p,
                                                   const CommandContext &context, QString *error)
{
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

QString OptionValues::emptyHostText(const QString &what, const QString &host)
{
    // The registration would look nothing up and fail without a word.
    if (!host.trimmed().isEmpty())
        return {};
    return u"%1 is empty; expected the camera's IPv4 address (such as 192.168.10.41) or host name"_s.arg(what);
}

QString OptionValues::localTrouble(CameraNetwork &network)
{
    UdpEndpoint &endpoint = network.endpoint();
    QString why;
    if (!endpoint.ensureOpen(&why))
        return why;
    why = SendGuard::refusal(endpoint.broadcastAddress());
    if (!why.isEmpty())
        return u"broadcast address %1 refused: %2"_s.arg(endpoint.broadcastAddress().toString(), why);
    return {};
}

bool OptionValues::localReady(CommandContext &context)
{
    const QString trouble = localTrouble(context.network);
    if (!trouble.isEmpty())
        context.console.err(trouble);
    return trouble.isEmpty();
}

void OptionValues::printCameras(CommandContext &context, const QList<int> &records, Format format,
                               bool secrets)
{
    CameraRegistry &registry = context.network.registry();
    switch (format) {
    case Format::Text:
        for (int r : records)
            context.console.out(CameraRecordFormat::textLine(registry.record(r)));
        break;
    case Format::Json:
        context.console.outRaw(camerasJson(context.network, records, secrets));
        break;
    case Format::Csv:
        context.console.outRaw(camerasCsv(context.network, records, secrets));
        break;
    }
}

QByteArray OptionValues::camerasJson(CameraNetwork &network, const QList<int> &records, bool secrets)
{
    CameraRegistry &registry = network.registry();
    const QHash<int, AddressReview::Remark> remarks = addressRemarks(network);
    QJsonArray array;
    for (int r : records) {
        const TConfigItem &camera = registry.record(r);
        QJsonObject o = CameraRecordFormat::toJson(camera, secrets);
        const AddressReview::Remark remark = remarks.value(r);
        o[u"adapter"_s] = remark.adapter.isEmpty() ? QJsonValue() : QJsonValue(remark.adapter);
        o[u"in_subnet"_s] = remark.inSubnet ? QJsonValue(*remark.inSubnet) : QJsonValue();
        QJsonArray conflicts;
        if (remark.sharedCount > 0) {
            QJsonObject shared{{u"kind"_s, u"shared_address"_s},
                               {u"with"_s, QJsonArray::fromStringList(remark.sharedWith)}};
            // Past the MACs named, only how many more.
            if (const qsizetype more = remark.sharedCount - remark.sharedWith.size(); more > 0)
                shared[u"more"_s] = int(more);
            conflicts.append(shared);
        }
        if (remark.ownAddress)
            conflicts.append(QJsonObject{{u"kind"_s, u"own_address"_s}});
        if (camera.addressInDoubt())
            conflicts.append(QJsonObject{{u"kind"_s, u"mac_from_two_addresses"_s},
                                         {u"addresses"_s, QJsonArray::fromStringList(camera.ConflictAddresses)}});
        o[u"conflicts"_s] = conflicts;
        array.append(o);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QByteArray OptionValues::camerasCsv(CameraNetwork &network, const QList<int> &records, bool secrets)
{
    const QHash<int, AddressReview::Remark> remarks = addressRemarks(network);
    QString out = CameraRecordFormat::csvHeader(secrets) + u",adapter\n"_s;
    for (int r : records)
        out += CameraRecordFormat::csvLine(network.registry().record(r), secrets) + u',' +
               CameraRecordFormat::csvField(remarks.value(r).adapter) + u'\n';
    return out.toUtf8();
}

QHash<int, AddressReview::Remark> OptionValues::addressRemarks(CameraNetwork &network)
{
    const QList<int> all = network.records();
    QList<AddressReview::Camera> cameras;
    for (int r : all)
        cameras << AddressReview::of(network.registry().record(r));
    const QList<AddressReview::Remark> remarks =
        AddressReview::review(cameras, network.endpoint().adapters());
    QHash<int, AddressReview::Remark> out;
    for (qsizetype i = 0; i < all.size(); ++i)
        out.insert(all[i], remarks[i]);
    return out;
}

void OptionValues::warnAddresses(CommandContext &context)
{
    CameraNetwork &network = context.network;
    const QHash<int, AddressReview::Remark> remarks = addressRemarks(network);
    QSet<QString> crowded;
    for (int r : network.records()) {
        const TConfigItem &camera = network.registry().record(r);
        const AddressReview::Remark &remark = remarks[r];
        if (remark.sharedCount > remark.sharedWith.size()) {
            // Too many to name in pairs: one line for the address.
            if (!crowded.contains(camera.Address)) {
                crowded.insert(camera.Address);
                context.console.err(u"warning: %1 cameras answer from %2"_s.arg(remark.sharedCount + 1)
                                        .arg(camera.Address));
            }
        } else {
            for (const QString &mac : remark.sharedWith) {
                // Each pair once.
                if (camera.macText() < mac)
                    context.console.err(u"warning: %1 and %2 both answer from %3"_s.arg(
                        camera.macText(), mac, camera.Address));
            }
        }
        if (remark.ownAddress)
            context.console.err(u"warning: %1 answers from %2, an address of this computer"_s.arg(
                camera.macText(), camera.Address));
        if (remark.inSubnet == false)
            context.console.err(u"note: %1 at %2 is not in %3 of %4"_s.arg(camera.macText(), camera.Address,
                                                                          remark.subnet, remark.adapter));
    }
}

QString OptionValues::cameraName(CameraNetwork &network, const QString &mac)
{
    const int record = network.recordOfMac(mac);
    const QString host = record >= 0 ? network.registry().record(record).hostNameText() : QString();
    return host.isEmpty() ? mac : u"%1 (%2)"_s.arg(mac, escaped(host));
}

QString OptionValues::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        // The backslash too: else a name holding the four characters \x0a would print
        // as a line feed the camera sent.
        if (u < 0x20 || (u >= 0x7f && u < 0xa0) || u == u'\\')
            out += u"\\x%1"_s.arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString OptionValues::oneLine(QString text)
{
    text.replace(u"\n\n"_s, u" "_s);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

void OptionValues::prepare(BatchRunner &runner, CommandContext &context)
{
    runner.setConfirmIntervalMs(context.confirmIntervalMs);
    runner.setClockMs(context.clockMs);
    Console *console = &context.console;
    QObject::connect(&runner, &BatchRunner::statusChanged, &runner,
                     [console](const QString &text) { console->status(text); });
    if (InterruptWatch *watch = context.interrupts) {
        watch->arm();
        QObject::connect(watch, &InterruptWatch::interrupt, &runner, [&runner, &context] {
            runner.stop(stoppedStatus(context));
        });
    }
}

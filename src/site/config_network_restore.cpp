#include "site/config_network_restore.h"

#include "fileconfig/config_fields.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protoconfig/l60_settings.h"
#include "site/camera_outcome.h"
#include "site/run_sink.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

std::optional<QString> nonEmpty(const QString &text)
{
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

} // namespace

std::optional<CameraChange> ConfigNetworkRestore::hostChange(const QJsonObject &host, const TConfigItem &camera)
{
    if (host.isEmpty() || host == CameraBackup::pageObject(L60::HostFromRecord(camera)))
        return std::nullopt;
    CameraChange change(CameraChange::Kind::Host);
    change.setHost(host.value(u"host"_s).toString(), nonEmpty(host.value(u"domain"_s).toString()));
    return change;
}

std::optional<CameraChange> ConfigNetworkRestore::networkChange(const QJsonObject &network,
                                                                const TConfigItem &camera)
{
    if (network.isEmpty() || network == CameraBackup::pageObject(L60::NetworkFromRecord(camera)))
        return std::nullopt;
    auto text = [&network](const char *key) { return network.value(QLatin1String(key)).toString(); };
    CameraChange change(CameraChange::Kind::Network);
    const QString type = text("type");
    if (type == u"dhcp"_s) {
        change.setDhcp();
    } else if (type == u"pppoe"_s) {
        // The backup holds no password: the camera keeps its own.
        change.setPppoe(text("ppp_user"), text("ppp_service"), text("ppp_mtu"), std::nullopt,
                        text("ppp_manual_dns") == u"on"_s ? nonEmpty(text("ppp_dns")) : std::nullopt);
    } else {
        change.setStatic(text("ip"), text("mask"), text("gateway"), nonEmpty(text("dns")));
    }
    return change;
}

QList<BatchStep> ConfigNetworkRestore::steps(const TConfigItem &camera, const std::optional<QJsonObject> &host,
                                            const std::optional<QJsonObject> &network)
{
    QList<BatchStep> out;
    if (host) {
        if (const auto change = hostChange(*host, camera))
            out << BatchStep{u"host"_s, *change, false, {}};
    }
    if (network) {
        if (const auto change = networkChange(*network, camera)) {
            const QString expect = network->value(u"type"_s).toString() == u"static"_s
                                       ? network->value(u"ip"_s).toString()
                                       : QString();
            out << BatchStep{u"network"_s, *change, true, expect};
        }
    }
    return out;
}

BatchResult ConfigNetworkRestore::run(CameraNetwork &network, RunSink &sink, const CameraBackup::Folder &backup,
                                      const QString &mac, const LoginEntry &login, bool networkPage,
                                      bool hostPage, bool dryRun, const BatchResult &before)
{
    const int record = network.recordOfMac(mac);
    if (record < 0)
        return before;
    BatchTask task;
    task.mac = mac;
    task.login = login;
    auto page = [&backup](bool wanted, const QString &name) {
        return wanted ? std::optional<QJsonObject>(backup.settings.value(name).toObject()) : std::nullopt;
    };
    task.steps = steps(network.registry().record(record), page(hostPage, u"host"_s),
                       page(networkPage, u"network"_s));
    QStringList pages;
    for (const BatchStep &step : task.steps)
        pages << step.name;
    BatchResult result = before;
    if (task.steps.isEmpty())
        return result;
    BatchRunner runner(network);
    runner.setParallel(1);
    runner.setDryRun(dryRun);
    sink.attach(runner);
    const BatchResult sent = runner.run({task}).first();
    result.status = sent.status;
    result.verdict = sent.verdict;
    result.address = sent.address;
    result.sent = result.sent || sent.sent;
    const QString joined = pages.join(u", "_s);
    if (dryRun)
        result.text += u"; would send "_s + joined;
    else if (sent.status == CameraOutcome::Ok)
        result.text += u"; sent "_s + joined + u" ("_s + sent.text + u')';
    else
        result.text += u"; "_s + joined + u": "_s + sent.text;
    return result;
}

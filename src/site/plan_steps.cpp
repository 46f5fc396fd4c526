#include "site/plan_steps.h"

#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "site/camera_change.h"
#include "site/camera_record_format.h"
#include "site/report_text.h"

#include <QNetworkInterface>

using namespace Qt::StringLiterals;

namespace {

bool differs(const PlanCheck::Row &row, std::initializer_list<const char *> fields)
{
    for (const PlanCheck::FieldChange &c : row.changes) {
        for (const char *f : fields) {
            if (c.field == QLatin1String(f))
                return true;
        }
    }
    return false;
}

// What a step is to the installer reading the table.
QString stepNoun(const QString &step)
{
    return step == u"network"_s ? u"address"_s : step == u"host"_s ? u"host name"_s : step;
}

QList<LocalSubnet> localSubnets()
{
    QList<LocalSubnet> out;
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        if (!(i.flags() & QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry &e : i.addressEntries()) {
            if (e.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            out << LocalSubnet{e.ip().toIPv4Address(), e.netmask().toIPv4Address(), i.name()};
        }
    }
    return out;
}

} // namespace

PlanCheck PlanSteps::check(CameraNetwork &network, const SitePlan &plan)
{
    QList<PlanCamera> onWire;
    for (int record : network.records())
        onWire << cameraOf(network.registry().record(record));
    const auto refused = [&network](const SitePlan::Entry &entry, const PlanCheck::Row &row) {
        return refusals(network, entry, row);
    };
    return PlanCheck::run(plan, onWire, localSubnets(), refused);
}

PlanCamera PlanSteps::cameraOf(const TConfigItem &camera)
{
    PlanCamera c;
    c.mac = camera.macText();
    c.ip = camera.AddressBlock ? camera.addressWord(0) : camera.Address;
    c.mask = camera.addressWord(1);
    c.gateway = camera.addressWord(2);
    if (camera.flags() & Zora::FlagDns)
        c.dns = camera.addressWord(3);
    c.host = camera.hostNameText();
    if (camera.flags() & Zora::FlagDomain)
        c.domain = camera.domainNameText();
    c.network = CameraRecordFormat::networkTypeName(camera.networkTypeByte());
    c.model = camera.modelNameText();
    return c;
}

QList<BatchStep> PlanSteps::of(const SitePlan::Entry &entry, const PlanCheck::Row &row, const PlanCamera &now)
{
    QList<BatchStep> steps;
    if (differs(row, {"ip", "mask", "gateway", "dns", "network"})) {
        BatchStep s;
        s.name = u"network"_s;
        s.follow = true;
        const QString network = entry.network.value_or(now.network == u"dhcp"_s ? u"dhcp"_s : u"static"_s);
        if (network == u"dhcp"_s) {
            s.change = CameraChange(CameraChange::Kind::Network);
            s.change.setDhcp();
        } else {
            const QString ip = entry.ip.value_or(now.ip);
            std::optional<QString> dns = entry.dns;
            if (!dns && !now.dns.isEmpty())
                dns = now.dns;
            s.change = CameraChange(CameraChange::Kind::Network);
            s.change.setStatic(ip, entry.mask.value_or(now.mask), entry.gateway.value_or(now.gateway), dns);
            s.expectAddress = ip;
        }
        steps << s;
    }
    if (differs(row, {"host", "domain"})) {
        BatchStep s;
        s.name = u"host"_s;
        s.follow = true;
        s.change = CameraChange(CameraChange::Kind::Host);
        s.change.setHost(entry.host.value_or(now.host), entry.domain ? entry.domain : now.domain);
        steps << s;
    }
    return steps;
}

QStringList PlanSteps::refusals(CameraNetwork &network, const SitePlan::Entry &entry, const PlanCheck::Row &row)
{
    QStringList refusals;
    const int record = network.recordOfMac(row.mac);
    if (record < 0)
        return refusals;
    TConfigItem camera = network.registry().record(record);
    const int listRow = network.list().rowOfRecord(record);
    const QString kind = listRow >= 0 ? network.list().column(listRow, CameraList::ColKind) : QString();
    for (const BatchStep &step : of(entry, row, cameraOf(camera))) {
        if (const auto refused = step.change.build(camera, kind, CommandSources{}).refused)
            refusals << u"the %1 step would be refused: %2"_s.arg(step.name, ReportText::oneLine(refused->text));
    }
    return refusals;
}

QString PlanSteps::partWay(const BatchResult &r)
{
    if (r.status == CameraOutcome::Ok || !r.started || r.stepsDone.isEmpty())
        return {};
    QStringList parts;
    for (const QString &step : r.stepsDone)
        parts << stepNoun(step) + u" changed"_s;
    const QString failedStep = r.failedStep.isEmpty() ? u"next step"_s : stepNoun(r.failedStep);
    const QString how = r.verdict.startsWith(u"refused"_s) ? u"refused"_s : u"failed (%1)"_s.arg(r.verdict);
    parts << u"%1 %2: %3"_s.arg(failedStep, how, r.text);
    return parts.join(u", "_s);
}

#include "site/plan_check.h"

#include "site/report_text.h"

#include <QHash>
#include <QSet>
#include <QJsonArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

std::optional<QString> announced(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

bool sameAddress(const QString &planned, const QString &current)
{
    const auto p = SitePlan::ipv4(planned);
    const auto c = SitePlan::ipv4(current);
    if (p && c)
        return *p == *c;
    return planned == current;
}

QString shown(const std::optional<QString> &text)
{
    return text ? *text : u"(none)"_s;
}

QString cameraName(const PlanCamera &c)
{
    return c.model.isEmpty() ? c.mac : u"%1 (%2)"_s.arg(c.mac, c.model);
}

QList<PlanCheck::FieldChange> changesOf(const SitePlan::Entry &e, const PlanCamera &c)
{
    QList<PlanCheck::FieldChange> out;
    auto address = [&](const QString &field, const std::optional<QString> &planned,
                       const QString &current) {
        if (planned && (current.isEmpty() || !sameAddress(*planned, current)))
            out.append({field, announced(current), *planned});
    };
    address(u"ip"_s, e.ip, c.ip);
    address(u"mask"_s, e.mask, c.mask);
    address(u"gateway"_s, e.gateway, c.gateway);
    address(u"dns"_s, e.dns, c.dns);
    if (e.host && *e.host != c.host)
        out.append({u"host"_s, announced(c.host), *e.host});
    if (e.domain && (!c.domain || *e.domain != *c.domain))
        out.append({u"domain"_s, c.domain ? announced(*c.domain) : std::nullopt, *e.domain});
    if (e.network && *e.network != c.network.toLower())
        out.append({u"network"_s, announced(c.network), *e.network});
    return out;
}

QString subnetsText(const QList<LocalSubnet> &subnets)
{
    QStringList parts;
    for (const LocalSubnet &s : subnets)
        parts << (s.adapter.isEmpty() ? QString() : s.adapter + u' ')
                     + SitePlan::ipv4Text(s.address) + u'/' + SitePlan::ipv4Text(s.netmask);
    return parts.join(u", "_s);
}

// Whether this computer and a camera at ip (with its netmask, when known) reach each
// other directly: each lies in the other's network.
bool reachable(quint32 ip, std::optional<quint32> mask, const LocalSubnet &s)
{
    if ((ip & s.netmask) != (s.address & s.netmask))
        return false;
    return !mask || (s.address & *mask) == (ip & *mask);
}

} // namespace

QString PlanCheck::severityName(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        return u"error"_s;
    case Severity::Missing:
        return u"missing"_s;
    case Severity::Warning:
        break;
    }
    return u"warning"_s;
}

PlanCheck PlanCheck::run(const SitePlan &plan, const QList<PlanCamera> &onWire,
                         const QList<LocalSubnet> &subnets, const StepCheck &steps)
{
    PlanCheck check;
    QHash<QString, const PlanCamera *> byMac;
    for (const PlanCamera &c : onWire) {
        if (!byMac.contains(c.mac))
            byMac.insert(c.mac, &c);
    }
    auto problem = [&check](Severity severity, const QString &kind, const QString &mac, int line,
                            const QString &message) {
        check.m_problems.append({severity, kind, mac, line, message});
    };

    // The first row of each MAC.
    QHash<QString, int> lineOfMac;
    for (const SitePlan::Entry &e : plan.entries()) {
        if (!lineOfMac.contains(e.mac))
            lineOfMac.insert(e.mac, e.line);
    }
    QHash<quint32, const SitePlan::Entry *> entryOfIp;
    for (const SitePlan::Entry &e : plan.entries()) {
        const PlanCamera *camera = byMac.value(e.mac);
        Row row;
        row.line = e.line;
        row.mac = e.mac;
        row.found = camera != nullptr;
        if (camera) {
            row.address = camera->ip;
            row.changes = changesOf(e, *camera);
        }
        check.m_rows << row;
        // What would be refused half-way through the camera is wrong with the plan.
        if (steps && !row.changes.isEmpty()) {
            for (const QString &refusal : steps(e, row))
                problem(Severity::Error, u"refused-value"_s, e.mac, e.line, refusal);
        }

        const int firstLine = lineOfMac.value(e.mac);
        if (firstLine != e.line)
            problem(Severity::Error, u"duplicate-mac"_s, e.mac, e.line,
                    u"the MAC is planned on line %1 already"_s.arg(firstLine));
        else if (!camera)
            problem(Severity::Missing, u"missing"_s, e.mac, e.line, u"did not answer the scan"_s);

        const bool dhcp = e.network == u"dhcp"_s;
        const std::optional<quint32> ip = e.ip && !dhcp ? SitePlan::ipv4(*e.ip) : std::nullopt;
        if (ip) {
            if (const SitePlan::Entry *first = entryOfIp.value(*ip)) {
                problem(Severity::Error, u"duplicate-address"_s, e.mac, e.line,
                        u"ip %1 is planned on line %2 already (%3)"_s.arg(*e.ip).arg(first->line)
                            .arg(first->mac));
            } else {
                entryOfIp.insert(*ip, &e);
            }
            for (const PlanCamera &other : onWire) {
                if (other.mac == e.mac || SitePlan::ipv4(other.ip) != ip)
                    continue;
                const int otherLine = lineOfMac.value(other.mac);
                problem(Severity::Error, u"address-in-use"_s, e.mac, e.line,
                        u"ip %1 is in use now by %2, %3"_s.arg(*e.ip, cameraName(other),
                            otherLine ? u"planned on line %1"_s.arg(otherLine)
                                      : u"which is not in the plan"_s));
                break;
            }
        }

        // The address the camera will have, when the row changes it.
        if (subnets.isEmpty() || dhcp || (!e.ip && !e.mask))
            continue;
        // The address as a plain number: GCC cannot follow an engaged optional through
        // the copies here and warns.
        quint32 address = 0;
        if (e.ip && ip.has_value())
            address = ip.value_or(0);
        else if (const auto now = camera && !e.ip ? SitePlan::ipv4(camera->ip) : std::nullopt)
            address = now.value_or(0);
        else
            continue;
        const std::optional<quint32> mask =
            e.mask ? SitePlan::ipv4(*e.mask) : (camera ? SitePlan::ipv4(camera->mask) : std::nullopt);
        if (camera && SitePlan::ipv4(camera->ip) == address && SitePlan::ipv4(camera->mask) == mask)
            continue;
        const bool inSome = std::any_of(subnets.begin(), subnets.end(), [&](const LocalSubnet &s) {
            return reachable(address, mask, s);
        });
        if (!inSome) {
            const QString where = mask ? u"%1/%2"_s.arg(SitePlan::ipv4Text(address),
                                                        SitePlan::ipv4Text(*mask))
                                       : SitePlan::ipv4Text(address);
            problem(Severity::Warning, u"outside-subnets"_s, e.mac, e.line,
                    u"%1 lies in none of this computer's subnets (%2); the camera will be "
                    "unreachable from this computer after the change"_s
                        .arg(where, subnetsText(subnets)));
        }
    }

    QSet<QString> reported;
    for (const PlanCamera &c : onWire) {
        if (lineOfMac.contains(c.mac) || reported.contains(c.mac))
            continue;
        reported.insert(c.mac);
        problem(Severity::Warning, u"not-in-plan"_s, c.mac, 0,
                u"answers at %1%2 and is in no row of the plan"_s.arg(
                    c.ip, c.model.isEmpty() ? QString() : u" (%1)"_s.arg(c.model)));
    }

    std::stable_sort(check.m_problems.begin(), check.m_problems.end(),
                     [](const Problem &a, const Problem &b) { return a.severity < b.severity; });
    return check;
}

bool PlanCheck::wrong() const
{
    return std::any_of(m_problems.begin(), m_problems.end(),
                       [](const Problem &p) { return p.severity != Severity::Warning; });
}

bool PlanCheck::blocksApply() const
{
    return std::any_of(m_problems.begin(), m_problems.end(),
                       [](const Problem &p) { return p.severity == Severity::Error; });
}

QString PlanCheck::text() const
{
    QStringList lines;
    int toChange = 0, asPlanned = 0, missing = 0;
    for (const Row &r : m_rows) {
        if (!r.found) {
            ++missing;
            lines << u"%1  missing"_s.arg(r.mac);
        } else if (r.asPlanned()) {
            ++asPlanned;
            lines << u"%1  as planned"_s.arg(r.mac);
        } else {
            ++toChange;
            QStringList changes;
            for (const FieldChange &c : r.changes)
                changes << u"%1 %2 → %3"_s.arg(c.field, shown(c.current), c.planned);
            lines << u"%1  found %2  %3"_s.arg(r.mac, r.address, changes.join(u", "_s));
        }
    }
    int errors = 0, warnings = 0;
    for (const Problem &p : m_problems) {
        errors += p.severity == Severity::Error;
        warnings += p.severity == Severity::Warning;
        const QString where = p.line > 0 ? u"line %1, %2"_s.arg(p.line).arg(p.mac) : p.mac;
        lines << u"%1: %2: %3"_s.arg(severityName(p.severity), where, p.message);
    }
    lines << u"%1 planned: %2 to change, %3 as planned, %4 missing; %5 %6, %7 %8"_s
                 .arg(m_rows.size())
                 .arg(toChange)
                 .arg(asPlanned)
                 .arg(missing)
                 .arg(errors)
                 .arg(errors == 1 ? u"error"_s : u"errors"_s)
                 .arg(warnings)
                 .arg(warnings == 1 ? u"warning"_s : u"warnings"_s);
    // Each entry is one line whatever the cameras' names hold.
    for (QString &line : lines)
        line = ReportText::escaped(line);
    return lines.join(u'\n') + u'\n';
}

QJsonObject PlanCheck::toJson() const
{
    QJsonArray rows;
    for (const Row &r : m_rows) {
        QJsonArray changes;
        for (const FieldChange &c : r.changes) {
            changes.append(QJsonObject{{u"field"_s, c.field},
                                       {u"current"_s, c.current ? QJsonValue(*c.current) : QJsonValue()},
                                       {u"planned"_s, c.planned}});
        }
        rows.append(QJsonObject{{u"line"_s, r.line},
                                {u"mac"_s, r.mac},
                                {u"found"_s, r.found},
                                {u"address"_s, r.found ? QJsonValue(r.address) : QJsonValue()},
                                {u"as_planned"_s, r.asPlanned()},
                                {u"changes"_s, changes}});
    }
    QJsonArray problems;
    for (const Problem &p : m_problems) {
        problems.append(QJsonObject{{u"severity"_s, severityName(p.severity)},
                                    {u"kind"_s, p.kind},
                                    {u"mac"_s, p.mac},
                                    {u"line"_s, p.line},
                                    {u"message"_s, p.message}});
    }
    return QJsonObject{{u"rows"_s, rows}, {u"problems"_s, problems}, {u"wrong"_s, wrong()}};
}

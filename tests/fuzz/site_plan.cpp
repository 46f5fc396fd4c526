// The site plan CSV: every row checked, every fault collected.
//
// Promises checked: a refused plan says why, naming the file; an accepted plan holds
// only what its columns allow, in file order; written back as CSV (every cell quoted) it
// reads the same.
#include "fuzz_support.h"

#include "site/site_plan.h"

namespace {

void check(bool ok, const QByteArray &what)
{
    if (!ok)
        Fuzz::fail("site_plan", what);
}

QString quoted(const std::optional<QString> &cell)
{
    if (!cell)
        return {};
    QString text = *cell;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QList<std::optional<QString>> cellsOf(const SitePlan::Entry &e)
{
    return {e.mac, e.ip, e.mask, e.gateway, e.dns, e.host, e.domain, e.network, e.passwordFile};
}

QByteArray written(const SitePlan &plan)
{
    QString out = SitePlan::columns().join(QLatin1Char(',')).toUpper() + QLatin1Char('\n');
    for (const SitePlan::Entry &e : plan.entries()) {
        QStringList cells;
        for (const auto &cell : cellsOf(e))
            cells << quoted(cell);
        out += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

void checkAddress(const std::optional<QString> &cell)
{
    if (!cell)
        return;
    const auto address = SitePlan::ipv4(*cell);
    check(address && SitePlan::ipv4Text(*address) == *cell,
          "an address other than strict dotted decimal: " + cell->toUtf8());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = Fuzz::bytesOf(data, size).toByteArray();
    QStringList errors;
    const auto plan = SitePlan::parse(text, QStringLiteral("plan.csv"), &errors);
    if (!plan) {
        check(!errors.isEmpty(), "refused without a reason");
        for (const QString &e : errors)
            check(e.startsWith(QLatin1String("plan.csv")), "a fault without the file: " + e.toUtf8());
        return 0;
    }
    check(errors.isEmpty(), "accepted with faults");

    const int lines = int(text.count('\n')) + 1;
    int previous = 1;
    for (const SitePlan::Entry &e : plan->entries()) {
        check(e.line > previous && e.line <= lines, "row line " + QByteArray::number(e.line));
        previous = e.line;
        check(!e.mac.isEmpty() && SitePlan::normalMac(e.mac) == e.mac, "row MAC " + e.mac.toUtf8());
        for (const auto &address : {e.ip, e.mask, e.gateway, e.dns})
            checkAddress(address);
        if (e.mask)
            check(SitePlan::isNetmask(*SitePlan::ipv4(*e.mask)), "a mask that is none");
        for (const auto &cell : cellsOf(e))
            check(!cell || !cell->isEmpty(), "an empty cell taken as a value");
        if (e.network) {
            check(*e.network == QLatin1String("static") || *e.network == QLatin1String("dhcp"),
                  "network " + e.network->toUtf8());
            check(*e.network == QLatin1String("static") || (!e.ip && !e.mask && !e.gateway),
                  "a DHCP row with an address");
        }
        const auto found = plan->entryFor(e.mac.toLower());
        check(found && found->line <= e.line && found->mac == e.mac, "entryFor " + e.mac.toUtf8());
    }

    // The reader takes every CR LF for a LF, in quoted cells too: a cell that still holds
    // one (the file had CR CR LF) has no CSV form for it.
    for (const SitePlan::Entry &e : plan->entries()) {
        for (const auto &cell : cellsOf(e)) {
            if (cell && cell->contains(QStringLiteral("\r\n")))
                return 0;
        }
    }
    const QByteArray again = written(*plan);
    const auto reread = SitePlan::parse(again, QStringLiteral("again.csv"), &errors);
    check(reread.has_value(), "the plan written back is refused: " + errors.join(QLatin1Char('|')).toUtf8());
    check(reread->entries().size() == plan->entries().size(), "rows lost in writing back");
    for (qsizetype i = 0; i < plan->entries().size(); ++i)
        check(cellsOf(reread->entries()[i]) == cellsOf(plan->entries()[i]),
              "row " + QByteArray::number(i) + " reads otherwise written back: "
                  + Fuzz::shown(again));
    return 0;
}

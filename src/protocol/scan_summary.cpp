#include "protocol/scan_summary.h"

#include <QSet>

void ScanSummary::started(const QString &when)
{
    m_when = when;
    m_adapterOf.clear();
    m_ticksLeft = kReplyWindowTicks;
    m_scanned = true;
    // The one who started the scan shows "Scanning…" at once; the result that follows
    // must count as a change even when it reads as the last scan's did.
    m_shown = text();
}

void ScanSummary::answered(const QString &mac, int adapterIndex)
{
    if (m_ticksLeft > 0 && mac.size() >= 3)
        m_adapterOf.insert(mac, adapterIndex);
}

bool ScanSummary::tick()
{
    m_justClosed = m_ticksLeft == 1;
    if (m_ticksLeft > 0)
        --m_ticksLeft;
    const QString now = text();
    if (now == m_shown)
        return false;
    m_shown = now;
    return true;
}

int ScanSummary::adapters() const
{
    QSet<int> seen;
    for (int a : m_adapterOf)
        seen.insert(a);
    return int(seen.size());
}

QString ScanSummary::text() const
{
    if (!m_scanned)
        return {};
    const int n = cameras();
    if (n == 0)
        return listening() ? QStringLiteral("Scanning…") : QStringLiteral("No camera answered the scan");
    const int a = adapters();
    return QStringLiteral("%1 %2 answered on %3 %4")
        .arg(n)
        .arg(n == 1 ? QStringLiteral("camera") : QStringLiteral("cameras"))
        .arg(a)
        .arg(a == 1 ? QStringLiteral("adapter") : QStringLiteral("adapters"));
}

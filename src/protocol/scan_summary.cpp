#include "protocol/scan_summary.h"

#include <QSet>

#include <optional>

namespace {

// "00:0A:1B:2C:3D:4E" (upper-case hex, colons) as a number; nothing for any other text.
std::optional<quint64> macBits(const QString &mac)
{
    if (mac.size() != 17)
        return std::nullopt;
    quint64 bits = 0;
    for (int i = 0; i < 17; ++i) {
        const char16_t c = mac.at(i).unicode();
        if (i % 3 == 2) {
            if (c != u':')
                return std::nullopt;
            continue;
        }
        int v;
        if (c >= u'0' && c <= u'9')
            v = c - u'0';
        else if (c >= u'A' && c <= u'F')
            v = c - u'A' + 10;
        else
            return std::nullopt;
        bits = bits << 4 | quint64(v);
    }
    return bits;
}

} // namespace

void ScanSummary::started(const QString &when)
{
    m_when = when;
    m_adapterOf.clear();
    m_otherAdapterOf.clear();
    m_ticksLeft = kReplyWindowTicks;
    m_scanned = true;
    // The one who started the scan shows "Scanning…" at once; the result that follows
    // must count as a change even when it reads as the last scan's did.
    m_shown = text();
}

void ScanSummary::answered(const QString &mac, int adapterIndex)
{
    if (m_ticksLeft <= 0 || mac.size() < 3)
        return;
    if (const auto bits = macBits(mac))
        m_adapterOf.insert(*bits, adapterIndex);
    else
        m_otherAdapterOf.insert(mac, adapterIndex);
}

bool ScanSummary::answeredScan(const QString &mac) const
{
    const auto bits = macBits(mac);
    return bits ? m_adapterOf.contains(*bits) : m_otherAdapterOf.contains(mac);
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
    for (int a : m_otherAdapterOf)
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

#include "protocol/local_network_info.h"

#include "protocol/program_random.h"
#include "protocol/tip_dns_helper.h"
#include "protocol/tip_helper.h"

namespace {

const QString kNone = QStringLiteral("0.0.0.0");
const QString kError = QStringLiteral("Error");

bool usable(const QString &address)
{
    return !address.isEmpty() && address != kNone;
}

} // namespace

LocalNetworkInfo::LocalNetworkInfo(const AdapterSource &source, ProgramRandom &random)
    : m_source(source)
    , m_random(random)
    , m_mask(kError)
    , m_gateway(kError)
    , m_dns(kError)
{
}

void LocalNetworkInfo::fill()
{
    m_entries.clear();
    TIPHelper helper(m_source);
    int remembered = -1;
    for (int i = 0; i < helper.adapterCount(); ++i) {
        const QString first = helper.firstAddress(i);
        if (!usable(first))
            continue;
        if (remembered < 0 && !helper.gateway(i).isEmpty()) {
            m_gateway = helper.gateway(i);
            m_mask = helper.maskAtCursor();
            m_dns = helper.dns(i)->primaryDns();
            remembered = int(m_entries.size());
        }
        for (QString a = first; usable(a); a = helper.nextAddress())
            m_entries.append(a);
    }
    m_selected = m_entries.isEmpty() ? -1 : qMax(remembered, 0);
    addressChanged();
}

void LocalNetworkInfo::select(int index)
{
    if (index < 0 || index >= m_entries.size())
        return;
    m_selected = index;
    addressChanged();
}

QString LocalNetworkInfo::selectedAddress() const
{
    return (m_selected >= 0 && m_selected < m_entries.size()) ? m_entries[m_selected] : QString();
}

void LocalNetworkInfo::addressChanged()
{
    const QString selected = selectedAddress();
    if (selected.isEmpty())
        return;
    TIPHelper helper(m_source);
    for (int i = 0; i < helper.adapterCount(); ++i) {
        for (QString a = helper.firstAddress(i); !a.isEmpty(); a = helper.nextAddress()) {
            if (a != selected)
                continue;
            m_gateway = helper.gateway(i);
            m_mask = helper.maskAtCursor();
            m_dns = helper.dns(i)->primaryDns();
        }
    }
}

QString LocalNetworkInfo::suggestedAddress()
{
    const QString text = selectedAddress();
    const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
    const QString prefix = dot < 0 ? QString() : text.first(dot);
    return QStringLiteral("%1.%2").arg(prefix).arg(5 + m_random.next(240));
}

std::optional<QString> LocalNetworkInfo::maskSuggestion(const QString &ipText, const QString &maskText)
{
    if (ipText.size() >= 7 && ipText.size() < 16 && maskText.isEmpty())
        return QStringLiteral("255.255.255.0");
    return std::nullopt;
}

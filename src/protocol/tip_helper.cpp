#include "protocol/tip_helper.h"

#include "protocol/tip_dns_helper.h"

TIPHelper::TIPHelper(const AdapterSource &source)
    : m_source(source)
    , m_adapters(source.adapters().value_or(QList<AdapterInfo>()))
{
}

QString TIPHelper::firstAddress(int adapter)
{
    if (adapter < 0 || adapter >= m_adapters.size()) {
        m_adapter = -1;
        m_cursor = -1;
        return {};
    }
    m_adapter = adapter;
    m_cursor = 0;
    const QList<AdapterAddress> &a = m_adapters[adapter].addresses;
    return a.isEmpty() ? QString() : a.first().address;
}

QString TIPHelper::nextAddress()
{
    if (m_adapter < 0)
        return {};
    const QList<AdapterAddress> &a = m_adapters[m_adapter].addresses;
    if (m_cursor + 1 >= a.size()) {
        m_cursor = int(a.size());
        return {};
    }
    ++m_cursor;
    return a[m_cursor].address;
}

QString TIPHelper::maskAtCursor() const
{
    if (m_adapter < 0)
        return {};
    const QList<AdapterAddress> &a = m_adapters[m_adapter].addresses;
    return (m_cursor >= 0 && m_cursor < a.size()) ? a[m_cursor].mask : QString();
}

QString TIPHelper::gateway(int adapter) const
{
    return (adapter >= 0 && adapter < m_adapters.size()) ? m_adapters[adapter].gateway : QString();
}

std::unique_ptr<TIPDNSHelper> TIPHelper::dns(int adapter) const
{
    const int index = (adapter >= 0 && adapter < m_adapters.size()) ? m_adapters[adapter].index : -1;
    return std::make_unique<TIPDNSHelper>(m_source, index);
}

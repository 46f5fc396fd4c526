#include "protocol/tip_dns_helper.h"

#include "protocol/adapter_source.h"

TIPDNSHelper::TIPDNSHelper(const AdapterSource &source, int adapterIndex)
    : m_primary(adapterIndex < 0 ? QString() : source.primaryDns(adapterIndex))
{
}

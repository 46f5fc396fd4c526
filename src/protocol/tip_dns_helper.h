#pragma once

#include <QString>

class AdapterSource;

// The DNS servers of one adapter, taken when the object is made.
class TIPDNSHelper final
{
public:
    TIPDNSHelper(const AdapterSource &source, int adapterIndex);
    QString primaryDns() const { return m_primary; }

private:
    QString m_primary;
};

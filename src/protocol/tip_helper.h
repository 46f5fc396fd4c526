#pragma once

#include "protocol/adapter_source.h"

#include <QList>
#include <QString>

#include <memory>

class TIPDNSHelper;

// A snapshot of the local adapters, taken when the object is made, with a cursor into the
// address list of the adapter last asked for.
class TIPHelper final
{
public:
    explicit TIPHelper(const AdapterSource &source);

    int adapterCount() const { return int(m_adapters.size()); }
    // Moves the cursor to adapter i's first address; empty when i is out of range.
    QString firstAddress(int adapter);
    // The next address of the same adapter; empty at the end.
    QString nextAddress();
    QString maskAtCursor() const;
    QString gateway(int adapter) const;
    std::unique_ptr<TIPDNSHelper> dns(int adapter) const;

private:
    const AdapterSource &m_source;
    QList<AdapterInfo> m_adapters;
    int m_adapter = -1;
    int m_cursor = -1;
};

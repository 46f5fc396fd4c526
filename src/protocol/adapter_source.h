#pragma once

#include <QList>
#include <QString>

#include <optional>

// One IPv4 address of an adapter, dotted text.
struct AdapterAddress {
    QString address;
    QString mask;
};

// One network adapter as the system reports it. A disconnected adapter reports the
// single address "0.0.0.0".
struct AdapterInfo {
    QList<AdapterAddress> addresses;
    QString gateway;       // the first gateway, possibly empty
    int index = 0;         // the system's number for the adapter
};

// Where the local network facts come from: the system, or a test's list.
class AdapterSource
{
public:
    virtual ~AdapterSource() = default;
    // Nothing when the system could not be asked.
    virtual std::optional<QList<AdapterInfo>> adapters() const = 0;
    // First DNS server of the adapter, dotted text, or empty.
    virtual QString primaryDns(int adapterIndex) const = 0;
};

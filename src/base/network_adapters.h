#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One IPv4 subnet of an adapter: its address there and the prefix length.
struct AdapterSubnet {
    quint32 address = 0;
    int prefixLength = 0;

    quint32 mask() const { return prefixLength <= 0 ? 0u : ~0u << (32 - prefixLength); }
    bool contains(quint32 a) const { return (a & mask()) == (address & mask()); }
    // "10.20.0.0/24"
    QString text() const;
};

// An IPv4 adapter that is up, as discovery sends through it.
struct NetworkAdapter {
    int index = 0;                  // the system's interface number
    QString name;                   // "eth2"
    bool loopback = false;
    bool broadcast = false;         // the adapter can broadcast
    QList<AdapterSubnet> subnets;

    // The subnet of this adapter that holds the address, or nullptr.
    const AdapterSubnet *subnetOf(quint32 address) const;
};

// The machine's IPv4 adapters that are up, and questions about them. A broadcast to
// 255.255.255.255 leaves by the default route's adapter only, so discovery sends one
// copy through each adapter this list names.
class NetworkAdapters final
{
public:
    NetworkAdapters() = default;
    explicit NetworkAdapters(QList<NetworkAdapter> adapters) : m_adapters(std::move(adapters)) {}
    // Every adapter that is up and has an IPv4 address, loopback included.
    static NetworkAdapters system();

    const QList<NetworkAdapter> &all() const { return m_adapters; }
    const NetworkAdapter *byIndex(int index) const;
    const NetworkAdapter *byName(const QString &name) const;
    // The adapters a limited broadcast goes out of: those that can broadcast, loopback
    // left out; only the one named when name is not empty.
    QList<NetworkAdapter> broadcastTargets(const QString &name = {}) const;
    // True when the address is one of this machine's own.
    bool isOwnAddress(quint32 address) const;

    // The system's name of an interface number ("" when there is none).
    static QString nameOf(int index);

private:
    QList<NetworkAdapter> m_adapters;
};

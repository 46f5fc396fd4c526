#include "base/network_adapters.h"

#include <QHostAddress>
#include <QNetworkInterface>

QString AdapterSubnet::text() const
{
    return QStringLiteral("%1/%2").arg(QHostAddress(address & mask()).toString()).arg(prefixLength);
}

const AdapterSubnet *NetworkAdapter::subnetOf(quint32 address) const
{
    for (const AdapterSubnet &s : subnets) {
        if (s.contains(address))
            return &s;
    }
    return nullptr;
}

NetworkAdapters NetworkAdapters::system()
{
    QList<NetworkAdapter> list;
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp))
            continue;
        NetworkAdapter a;
        a.index = nic.index();
        a.name = nic.name();
        a.loopback = flags.testFlag(QNetworkInterface::IsLoopBack);
        a.broadcast = flags.testFlag(QNetworkInterface::CanBroadcast);
        for (const QNetworkAddressEntry &e : nic.addressEntries()) {
            bool ok = false;
            const quint32 v4 = e.ip().toIPv4Address(&ok);
            if (ok)
                a.subnets.append({v4, qBound(0, e.prefixLength(), 32)});
        }
        if (!a.subnets.isEmpty())
            list.append(a);
    }
    return NetworkAdapters(std::move(list));
}

const NetworkAdapter *NetworkAdapters::byIndex(int index) const
{
    for (const NetworkAdapter &a : m_adapters) {
        if (a.index == index)
            return &a;
    }
    return nullptr;
}

const NetworkAdapter *NetworkAdapters::byName(const QString &name) const
{
    for (const NetworkAdapter &a : m_adapters) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

QList<NetworkAdapter> NetworkAdapters::broadcastTargets(const QString &name) const
{
    QList<NetworkAdapter> out;
    for (const NetworkAdapter &a : m_adapters) {
        if (!name.isEmpty() ? a.name == name : (a.broadcast && !a.loopback))
            out.append(a);
    }
    return out;
}

bool NetworkAdapters::isOwnAddress(quint32 address) const
{
    for (const NetworkAdapter &a : m_adapters) {
        for (const AdapterSubnet &s : a.subnets) {
            if (s.address == address)
                return true;
        }
    }
    return false;
}

QString NetworkAdapters::nameOf(int index)
{
    return index > 0 ? QNetworkInterface::interfaceNameFromIndex(index) : QString();
}

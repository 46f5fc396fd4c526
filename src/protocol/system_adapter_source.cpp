#include "protocol/system_adapter_source.h"

#include <QFile>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QtEndian>

namespace {

QByteArray readSmallFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(1 << 20);
}

constexpr unsigned kRouteUp = 0x1;
constexpr unsigned kRouteGateway = 0x2;

} // namespace

SystemAdapterSource::SystemAdapterSource()
    // With systemd-resolved, /etc/resolv.conf names only the local stub 127.0.0.53; the
    // servers it forwards to are listed in the first file.
    : SystemAdapterSource(QStringLiteral("/proc/net/route"),
                          {QStringLiteral("/run/systemd/resolve/resolv.conf"),
                           QStringLiteral("/etc/resolv.conf")})
{
}

SystemAdapterSource::SystemAdapterSource(QString routeFile, QStringList resolverFiles)
    : m_routeFile(std::move(routeFile))
    , m_resolverFiles(std::move(resolverFiles))
{
}

QHash<QString, QString> SystemAdapterSource::parseRouteGateways(const QByteArray &routeTable)
{
    QHash<QString, QString> gateways;
    const QList<QByteArray> lines = routeTable.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].simplified().split(' ');
        if (f.size() < 8)
            continue;
        bool okDest = false, okGw = false, okFlags = false, okMask = false;
        const quint32 dest = f[1].toUInt(&okDest, 16);
        const quint32 gw = f[2].toUInt(&okGw, 16);
        const unsigned flags = f[3].toUInt(&okFlags, 16);
        const quint32 mask = f[7].toUInt(&okMask, 16);
        if (!okDest || !okGw || !okFlags || !okMask || dest != 0 || mask != 0)
            continue;
        if ((flags & (kRouteUp | kRouteGateway)) != (kRouteUp | kRouteGateway))
            continue;
        const QString iface = QString::fromLocal8Bit(f[0]);
        if (gateways.contains(iface))
            continue;
        // the kernel prints the network-order word as a host-order number
        gateways.insert(iface, QHostAddress(qFromBigEndian(gw)).toString());
    }
    return gateways;
}

QStringList SystemAdapterSource::parseNameServers(const QByteArray &resolvConf)
{
    QStringList servers;
    for (const QByteArray &raw : resolvConf.split('\n')) {
        const QList<QByteArray> f = raw.simplified().split(' ');
        if (f.size() < 2 || f[0] != "nameserver")
            continue;
        QHostAddress a;
        if (a.setAddress(QString::fromLatin1(f[1])) && a.protocol() == QAbstractSocket::IPv4Protocol)
            servers.append(a.toString());
    }
    return servers;
}

std::optional<QList<AdapterInfo>> SystemAdapterSource::adapters() const
{
    const QHash<QString, QString> gateways = parseRouteGateways(readSmallFile(m_routeFile));
    QList<AdapterInfo> list;
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        if (nic.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        AdapterInfo info;
        info.index = nic.index();
        info.gateway = gateways.value(nic.name());
        for (const QNetworkAddressEntry &e : nic.addressEntries()) {
            if (e.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            info.addresses.append({e.ip().toString(), e.netmask().toString()});
        }
        // an adapter without an address (cable out, interface down) reports 0.0.0.0
        if (info.addresses.isEmpty() || !nic.flags().testFlag(QNetworkInterface::IsUp))
            info.addresses = {{QStringLiteral("0.0.0.0"), QStringLiteral("0.0.0.0")}};
        list.append(info);
    }
    return list;
}

QString SystemAdapterSource::primaryDns(int) const
{
    for (const QString &file : m_resolverFiles) {
        const QStringList servers = parseNameServers(readSmallFile(file));
        if (!servers.isEmpty())
            return servers.first();
    }
    return {};
}

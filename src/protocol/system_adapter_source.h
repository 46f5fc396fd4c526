#pragma once

#include "protocol/adapter_source.h"

#include <QHash>
#include <QStringList>

// The adapters of this Linux machine: addresses and masks from the network interfaces
// (loopback left out), each adapter's default gateway from the kernel's routing table
// and the DNS servers from the resolver configuration, which Linux keeps for the whole
// machine rather than per adapter.
class SystemAdapterSource final : public AdapterSource
{
public:
    SystemAdapterSource();
    // Other files, for tests.
    SystemAdapterSource(QString routeFile, QStringList resolverFiles);

    std::optional<QList<AdapterInfo>> adapters() const override;
    QString primaryDns(int adapterIndex) const override;

    // Interface name → its first default gateway, from /proc/net/route text.
    static QHash<QString, QString> parseRouteGateways(const QByteArray &routeTable);
    // IPv4 "nameserver" entries of resolv.conf text, in order.
    static QStringList parseNameServers(const QByteArray &resolvConf);

private:
    QString m_routeFile;
    QStringList m_resolverFiles;
};

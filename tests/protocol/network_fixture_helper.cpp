#include "network_fixture_helper.h"

#include "protocol/datagram.h"

#include <QUdpSocket>

NetworkFixture::NetworkFixture()
{
    endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    endpoint.setLocalPort(probe.localPort());
    probe.close();
    discovery.attach();
    QObject::connect(&endpoint, &UdpEndpoint::datagramSent, &endpoint,
                     [this](const QHostAddress &to, quint16 port, const QByteArray &bytes) {
                         sent.append({to.toString(), port, bytes});
                     });
}

QByteArray SmallReply(quint8 macLast, const QByteArray &host, quint8 type, int lengthDelta)
{
    QByteArray d = QByteArray("ZORA") + char(1) + QByteArray(2, '\0') + char(type) + char(1)
                   + QByteArray::fromHex("000A1B2C3D") + char(macLast) + char(1) + char(0);
    d += char(3) + QByteArray("L60") + char(host.size()) + host;
    Zora::PutLe16(d, 5, quint16(d.size() + lengthDelta));
    return d;
}

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

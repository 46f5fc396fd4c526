#include "camsim_process.h"
#include "network_fixture_helper.h"

#include "protocol/datagram.h"

#include <QUdpSocket>

NetworkFixture::NetworkFixture()
{
    endpoint.setBroadcastAddress(QHostAddress(QStringLiteral("127.255.255.255")));
    // A port held by a lock file for the whole run: one probed and closed here could
    // be taken by a test running beside this one before the endpoint binds it.
    endpoint.setLocalPort(CamSimProcess::freeUdpPort());
    discovery.attach();
    QObject::connect(&endpoint, &UdpEndpoint::datagramSent, &endpoint,
                     [this](const QHostAddress &to, quint16 port, const QByteArray &bytes) {
                         sent.append({to.toString(), port, bytes});
                     });
}

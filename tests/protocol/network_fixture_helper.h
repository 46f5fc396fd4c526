#pragma once

#include "base/model_filter_table.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/discovery.h"
#include "protocol/udp_endpoint.h"
#include "test_support.h"

#include <QByteArray>
#include <QList>
#include <QString>

// An endpoint on a free local port broadcasting on loopback, with the camera list and the
// discovery handling behind it, and every datagram it sends recorded.
struct NetworkFixture {
    struct Sent {
        QString to;
        quint16 port = 0;
        QByteArray bytes;
    };

    NetworkFixture();

    CameraList list;
    ModelFilterTable models;
    CameraRegistry registry{list, models};
    UdpEndpoint endpoint;
    Discovery discovery{endpoint, registry};
    QList<Sent> sent;
};

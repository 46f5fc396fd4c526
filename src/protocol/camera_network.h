#pragma once

#include "base/app_options.h"
#include "base/model_filter_table.h"
#include "protocol/camera_list.h"
#include "protocol/camera_registry.h"
#include "protocol/discovery.h"
#include "protocol/local_network_info.h"
#include "protocol/system_adapter_source.h"
#include "protocol/udp_endpoint.h"

#include <QObject>

class AdapterSource;

// The cameras on the network and the way to them: the UDP endpoint, the camera list and
// its records, the model filter, discovery with its presence poll, and this computer's
// network information. The window's logic and zoractl both hold one; neither needs the
// other to reach a camera.
class CameraNetwork final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CameraNetwork)

public:
    // adapters: where the local network information comes from (the system's when null).
    explicit CameraNetwork(const AppOptions &options, QObject *parent = nullptr,
                           const AdapterSource *adapters = nullptr);

    const AppOptions &options() const { return m_options; }
    UdpEndpoint &endpoint() { return m_endpoint; }
    CameraList &list() { return m_list; }
    const CameraList &list() const { return m_list; }
    ModelFilterTable &models() { return m_models; }
    CameraRegistry &registry() { return m_registry; }
    const CameraRegistry &registry() const { return m_registry; }
    Discovery &discovery() { return m_discovery; }
    LocalNetworkInfo &localNetwork() { return m_localNetwork; }

    // The record of a listed camera by MAC text (any case, '-' or ':'), or -1.
    int recordOfMac(const QString &mac) const;
    // Records of every listed camera, in list order.
    QList<int> records() const;
    // The record of the answered camera listed last at this address, or -1.
    int recordAt(const QString &address) const;

private:
    AppOptions m_options;
    UdpEndpoint m_endpoint;
    CameraList m_list;
    ModelFilterTable m_models;
    CameraRegistry m_registry;
    Discovery m_discovery;
    SystemAdapterSource m_systemAdapters;
    LocalNetworkInfo m_localNetwork;
};

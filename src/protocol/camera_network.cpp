#include "protocol/camera_network.h"

#include "protocol/datagram.h"
#include "protocol/program_random.h"

CameraNetwork::CameraNetwork(const AppOptions &options, QObject *parent,
                             const AdapterSource *adapters)
    : QObject(parent)
    , m_options(options)
    , m_registry(m_list, m_models)
    , m_discovery(m_endpoint, m_registry)
    , m_localNetwork(adapters ? *adapters : m_systemAdapters, ProgramRandom::shared())
{
    m_endpoint.setLocalPort(options.localPort);
    m_endpoint.setCameraPort(options.cameraPort);
    m_endpoint.setBroadcastAddress(options.broadcast);
    m_endpoint.setAdapterName(options.adapter);
    m_discovery.setDefaultFtpPort(options.ftpPort);
    m_discovery.attach();
}

int CameraNetwork::recordOfMac(const QString &mac) const
{
    const int row = m_list.rowOfMac(Zora::NormalMacText(mac));
    return row < 0 ? -1 : m_list.row(row).record;
}

int CameraNetwork::recordAt(const QString &address) const
{
    for (int r = m_list.count() - 1; r >= 0; --r) {
        if (m_list.row(r).ip == address && m_list.row(r).record >= 0 && m_list.row(r).mac.size() >= 3)
            return m_list.row(r).record;
    }
    return -1;
}

QList<int> CameraNetwork::records() const
{
    QList<int> out;
    for (int r = 0; r < m_list.count(); ++r) {
        if (m_list.row(r).record >= 0 && m_list.row(r).mac.size() >= 3)
            out << m_list.row(r).record;
    }
    return out;
}

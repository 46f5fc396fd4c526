#include "site/restart_follower.h"

#include "protocol/camera_list.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protocol/discovery.h"


RestartFollower::RestartFollower(CameraNetwork &network, int recordIndex)
    : m_network(network)
    , m_record(recordIndex)
{
}

RestartFollower::State RestartFollower::state() const
{
    const CameraList &list = m_network.list();
    const int row = list.rowOfRecord(m_record);
    if (row < 0)
        return State::NoRow;
    switch (list.icon(row)) {
    case CameraList::Present:
        return State::Back;
    case CameraList::Restarting:
    case CameraList::Updating:
        return State::Waiting;
    default:
        return State::Lost;
    }
}

RestartFollower::State RestartFollower::tick()
{
    if (state() == State::Waiting)
        m_network.discovery().pollTick();
    return state();
}

void RestartFollower::ask(const QString &expectAddress) const
{
    if (state() != State::Waiting)
        return;
    const QString host = expectAddress.isEmpty() ? address() : expectAddress;
    if (!host.isEmpty())
        m_network.discovery().sendRequest(host);
}

QString RestartFollower::address() const
{
    if (m_record < 0 || m_record >= m_network.registry().recordCount())
        return {};
    return m_network.registry().record(m_record).Address;
}

#include "site/row_results.h"

#include "protocol/camera_network.h"
#include "protocol/config_item.h"

RowResults::RowResults(CameraNetwork &network)
    : m_network(network)
{
}

void RowResults::ZORASetSuccess(int recordIndex)
{
    CameraList &list = m_network.list();
    const int row = list.rowOfRecord(recordIndex);
    if (row >= 0 && list.icon(row) == CameraList::Present)
        m_network.discovery().startCountdown(row, CameraList::Restarting);
}

void RowResults::ZORAAuthFail(int recordIndex)
{
    if (recordIndex < 0 || recordIndex >= m_network.registry().recordCount())
        return;
    TConfigItem &camera = m_network.registry().record(recordIndex);
    camera.AdminId.clear();
    camera.AdminPassword.clear();
}

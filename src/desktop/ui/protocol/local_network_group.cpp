#include "desktop/ui/protocol/local_network_group.h"

#include "base/string_table.h"
#include "protocol/local_network_info.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace {

QString caption(int id, const QString &fallback)
{
    return GetString(id, fallback) + QStringLiteral(" : ");
}

} // namespace

LocalNetworkGroup::LocalNetworkGroup(LocalNetworkInfo &info, QWidget *parent)
    : QGroupBox(GetString(3021, QStringLiteral("Local Network Info")), parent)
    , m_info(info)
    , m_cboLocalIP(new QComboBox(this))
    , m_labelNetMask(new QLabel(this))
    , m_labelGateway(new QLabel(this))
    , m_labelDns(new QLabel(this))
{
    m_cboLocalIP->setObjectName(QStringLiteral("cboLocalIP"));
    m_labelNetMask->setObjectName(QStringLiteral("LabelNetMask"));
    m_labelGateway->setObjectName(QStringLiteral("LabelGateway"));
    m_labelDns->setObjectName(QStringLiteral("LabelDNS"));
    auto *form = new QFormLayout(this);
    form->addRow(caption(3016, QStringLiteral("IP Address")), m_cboLocalIP);
    form->addRow(caption(3022, QStringLiteral("Subnet Mask")), m_labelNetMask);
    form->addRow(caption(3023, QStringLiteral("Gateway")), m_labelGateway);
    form->addRow(caption(3024, QStringLiteral("Primary DNS Server")), m_labelDns);
    connect(m_cboLocalIP, &QComboBox::currentIndexChanged, this, &LocalNetworkGroup::addressChosen);
    showLabels();
}

void LocalNetworkGroup::fill()
{
    m_info.fill();
    {
        const QSignalBlocker blocker(m_cboLocalIP);
        m_cboLocalIP->clear();
        m_cboLocalIP->addItems(m_info.entries());
        m_cboLocalIP->setCurrentIndex(m_info.selectedIndex());
    }
    showLabels();
}

void LocalNetworkGroup::addressChosen(int index)
{
    m_info.select(index);
    showLabels();
}

void LocalNetworkGroup::showLabels()
{
    m_labelNetMask->setText(m_info.netMask());
    m_labelGateway->setText(m_info.gateway());
    m_labelDns->setText(m_info.dns());
}

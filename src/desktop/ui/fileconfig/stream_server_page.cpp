#include "desktop/ui/fileconfig/stream_server_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

StreamServerPage::StreamServerPage(QWidget *parent)
    : FilePageWidget(FileTab::StreamServer, "tabStreamServer", parent)
{
    auto *portGroup = new QGroupBox(caption(3123, "Network Port"), this);
    portGroup->setObjectName(QStringLiteral("grpStreamPort"));
    m_portLabel = label("lblStreamPort", caption(3124, "Listening Port", true));
    m_port = edit("editStreamPort");
    auto *portForm = new QFormLayout(portGroup);
    portForm->addRow(m_portLabel, m_port);

    auto *servers = new QGroupBox(caption(3122, "Stream Server"), this);
    servers->setObjectName(QStringLiteral("grpStreamServers"));
    m_udp = serverBox("chkStreamUdpEnable", caption(3125, "UDP Server"));
    m_udpLabel = label("lblStreamUdpMax", caption(3126, "Max Clients", true));
    m_udpMax = edit("editStreamUdpMax");
    m_tcp = serverBox("chkStreamTcpEnable", caption(3127, "TCP Server"));
    m_tcpLabel = label("lblStreamTcpMax", caption(3126, "Max Clients", true));
    m_tcpMax = edit("editStreamTcpMax");
    auto *form = new QFormLayout(servers);
    form->addRow(m_udp);
    form->addRow(m_udpLabel, m_udpMax);
    form->addRow(m_tcp);
    form->addRow(m_tcpLabel, m_tcpMax);

    m_setDefault = setDefaultButton("SpeedButton2", 4);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_setDefault);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(portGroup);
    layout->addWidget(servers);
    layout->addLayout(buttons);
    layout->addStretch(1);
    followBoxes();
}

QCheckBox *StreamServerPage::serverBox(const char *name, const QString &text)
{
    auto *box = new QCheckBox(text, this);
    box->setObjectName(QLatin1String(name));
    connect(box, &QCheckBox::clicked, this, [this] {
        followBoxes();
        emit edited();
    });
    return box;
}

void StreamServerPage::setSettings(const StreamServerSettings &s)
{
    m_udp->setChecked(s.udpEnabled);
    m_tcp->setChecked(s.tcpEnabled);
    m_port->setText(PageText::fromBytes(s.port));
    m_udpMax->setText(PageText::fromBytes(s.udpMaxConnect));
    m_tcpMax->setText(PageText::fromBytes(s.tcpMaxConnect));
    followBoxes();
}

StreamServerSettings StreamServerPage::settings() const
{
    StreamServerSettings s;
    s.udpEnabled = m_udp->isChecked();
    s.tcpEnabled = m_tcp->isChecked();
    s.port = PageText::toBytes(m_port->text());
    s.udpMaxConnect = PageText::toBytes(m_udpMax->text());
    s.tcpMaxConnect = PageText::toBytes(m_tcpMax->text());
    return s;
}

void StreamServerPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<StreamServerSettings>(&settings))
        setSettings(*s);
}

void StreamServerPage::setPageEnabled(bool on)
{
    m_pageEnabled = on;
    enableAll({m_portLabel, m_port, m_udp, m_tcp, m_setDefault}, on);
    followBoxes();
}

void StreamServerPage::followBoxes()
{
    enableAll({m_udpLabel, m_udpMax}, m_pageEnabled && m_udp->isChecked());
    enableAll({m_tcpLabel, m_tcpMax}, m_pageEnabled && m_tcp->isChecked());
}

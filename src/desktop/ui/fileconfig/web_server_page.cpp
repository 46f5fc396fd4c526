#include "desktop/ui/fileconfig/web_server_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

WebServerPage::WebServerPage(QWidget *parent)
    : FilePageWidget(FileTab::WebServer, "tabWebServer", parent)
{
    auto *group = new QGroupBox(caption(3119, "Web Server"), this);
    group->setObjectName(QStringLiteral("grpWebServer"));
    m_portLabel = label("lblWebPort", caption(3120, "Web Port", true));
    m_port = edit("editWebPort");
    m_titleLabel = label("lblWebTitle", caption(3121, "Display Title", true));
    m_title = edit("editWebTitle");
    m_setDefault = setDefaultButton("SpeedButton1", 3);

    auto *form = new QFormLayout(group);
    form->addRow(m_portLabel, m_port);
    form->addRow(m_titleLabel, m_title);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_setDefault);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->addStretch(1);
}

void WebServerPage::setSettings(const WebServerSettings &s)
{
    m_port->setText(PageText::fromBytes(s.port));
    m_title->setText(PageText::fromBytes(s.title));
}

WebServerSettings WebServerPage::settings() const
{
    WebServerSettings s;
    s.title = PageText::toBytes(m_title->text());
    s.port = PageText::toBytes(m_port->text());
    return s;
}

void WebServerPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<WebServerSettings>(&settings))
        setSettings(*s);
}

void WebServerPage::setPageEnabled(bool on)
{
    enableAll({m_portLabel, m_port, m_titleLabel, m_title, m_setDefault}, on);
}

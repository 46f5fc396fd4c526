#include "desktop/ui/fileconfig/ddns_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

DdnsPage::DdnsPage(QWidget *parent)
    : FilePageWidget(FileTab::Ddns, "tabDDNS", parent)
{
    auto *group = new QGroupBox(caption(3114, "DDNS Setting"), this);
    group->setObjectName(QStringLiteral("grpDDNS"));
    m_enable = new QCheckBox(caption(3115, "Enable DDNS"), this);
    m_enable->setObjectName(QStringLiteral("chkEnableDDNS"));
    m_idLabel = label("lblDDNSID", caption(3116, "DDNS ID", true));
    m_id = edit("editDDNSID");
    m_passLabel = label("lblDDNSPass", caption(3117, "DDNS Password", true));
    m_pass = edit("editDDNSPass", true);
    m_handleLabel = label("lblDDNSHandle", caption(3118, "DDNS Handle", true));
    m_handle = edit("editDDNSHandle");
    m_setDefault = setDefaultButton("SpeedButton8", 2);

    auto *form = new QFormLayout(group);
    form->addRow(m_enable);
    form->addRow(m_idLabel, m_id);
    form->addRow(m_passLabel, m_pass);
    form->addRow(m_handleLabel, m_handle);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_setDefault);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_enable, &QCheckBox::clicked, this, [this] {
        followSwitch();
        emit edited();
    });
}

void DdnsPage::setSettings(const DdnsSettings &s)
{
    m_enable->setChecked(s.enabled);
    m_id->setText(PageText::fromBytes(s.id));
    m_pass->setText(PageText::fromBytes(s.password));
    m_handle->setText(PageText::fromBytes(s.handle));
    followSwitch();
}

DdnsSettings DdnsPage::settings() const
{
    DdnsSettings s;
    s.enabled = m_enable->isChecked();
    s.id = PageText::toBytes(m_id->text());
    s.password = PageText::toBytes(m_pass->text());
    s.handle = PageText::toBytes(m_handle->text());
    return s;
}

void DdnsPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<DdnsSettings>(&settings))
        setSettings(*s);
}

void DdnsPage::setPageEnabled(bool on)
{
    m_pageEnabled = on;
    enableAll({m_enable, m_setDefault}, on);
    followSwitch();
}

void DdnsPage::followSwitch()
{
    const bool on = m_pageEnabled && m_enable->isChecked();
    enableAll({m_idLabel, m_id, m_passLabel, m_pass, m_handleLabel, m_handle}, on);
}

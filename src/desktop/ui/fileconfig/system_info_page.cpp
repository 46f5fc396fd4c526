#include "desktop/ui/fileconfig/system_info_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SystemInfoPage::SystemInfoPage(QWidget *parent)
    : FilePageWidget(FileTab::SystemInfo, "tabSysInfo", parent)
{
    auto *group = new QGroupBox(caption(3091, "System Information"), this);
    group->setObjectName(QStringLiteral("grpSysInfo"));
    m_modelLabel = label("lblSysModelName", caption(3014, "Model Name", true));
    m_model = edit("editSysModelName");
    m_serialLabel = label("lblSysSerial", caption(3092, "Serial Number", true));
    m_serial = edit("editSysiSerial");
    m_versionLabel = label("lblSysSWVer", caption(3093, "S/W Version", true));
    m_version = edit("editSysSWVer");
    m_locationLabel = label("lblSysLocation", caption(3094, "Installed Location", true));
    m_location = edit("editSysLocation");
    m_emailLabel = label("lblSysEmail", caption(3095, "Admin Email Address", true));
    m_email = edit("editSysEmail");
    for (QLineEdit *shownOnly : {m_model, m_serial, m_version}) {
        shownOnly->setReadOnly(true);
        paintEdit(shownOnly, false);
    }

    auto *form = new QFormLayout(group);
    form->addRow(m_modelLabel, m_model);
    form->addRow(m_serialLabel, m_serial);
    form->addRow(m_versionLabel, m_version);
    form->addRow(m_locationLabel, m_location);
    form->addRow(m_emailLabel, m_email);

    m_factoryDefault = setDefaultButton("SpeedButton9", 0, caption(3096, "Set Factory Default"));
    m_setDefault = setDefaultButton("SpeedButton6", 8);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_factoryDefault);
    buttons->addWidget(m_setDefault);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->addStretch(1);
}

void SystemInfoPage::setSettings(const SystemInfoSettings &s)
{
    m_model->setText(PageText::fromBytes(s.modelName));
    m_serial->setText(PageText::fromBytes(s.serialNo));
    m_version->setText(PageText::fromBytes(s.softwareVersion));
    m_location->setText(PageText::fromBytes(s.location));
    m_email->setText(PageText::fromBytes(s.email));
}

SystemInfoSettings SystemInfoPage::settings() const
{
    SystemInfoSettings s;
    s.modelName = PageText::toBytes(m_model->text());
    s.serialNo = PageText::toBytes(m_serial->text());
    s.softwareVersion = PageText::toBytes(m_version->text());
    s.location = PageText::toBytes(m_location->text());
    s.email = PageText::toBytes(m_email->text());
    return s;
}

void SystemInfoPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<SystemInfoSettings>(&settings))
        setSettings(*s);
}

void SystemInfoPage::setPageEnabled(bool on)
{
    enableAll({m_modelLabel, m_model, m_serialLabel, m_serial, m_versionLabel, m_version,
               m_locationLabel, m_location, m_emailLabel, m_email, m_setDefault,
               m_factoryDefault},
              on);
    // The shown-only fields keep the button-face colour either way.
    for (QLineEdit *shownOnly : {m_model, m_serial, m_version})
        paintEdit(shownOnly, false);
}

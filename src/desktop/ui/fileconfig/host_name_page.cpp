#include "desktop/ui/fileconfig/host_name_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

HostNamePage::HostNamePage(QWidget *parent)
    : FilePageWidget(FileTab::HostName, "tabETC", parent)
{
    auto *group = new QGroupBox(caption(3045, "Model and Host Name"), this);
    group->setObjectName(QStringLiteral("grpHostName"));
    m_hostLabel = label("lblHostName", caption(3046, "Camera Host Name", true));
    m_host = edit("editHostName");
    m_domainLabel = label("lblDomain", caption(3047, "Domain Name", true));
    m_domain = edit("editDomain");
    m_modelLabel = label("lblModel", caption(3048, "Product Model", true));
    m_model = edit("editModel");
    m_model->setReadOnly(true);

    auto *form = new QFormLayout(group);
    form->addRow(m_hostLabel, m_host);
    form->addRow(m_domainLabel, m_domain);
    form->addRow(m_modelLabel, m_model);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch(1);
    follow();
}

void HostNamePage::setSettings(const HostPageSettings &s)
{
    m_host->setText(s.host);
    m_domain->setText(m_domainEnabled ? s.domain : QString());
}

HostPageSettings HostNamePage::settings() const
{
    return {m_host->text(), m_domain->text()};
}

void HostNamePage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<HostPageSettings>(&settings))
        setSettings(*s);
}

void HostNamePage::setPageEnabled(bool on)
{
    m_pageEnabled = on;
    follow();
}

void HostNamePage::setModelName(const QString &model)
{
    m_model->setText(model);
}

void HostNamePage::setDomainEnabled(bool on)
{
    m_domainEnabled = on;
    // A camera without a domain field must not be sent a name it cannot store.
    if (!on)
        m_domain->clear();
    follow();
}

void HostNamePage::follow()
{
    enableAll({m_hostLabel, m_host, m_modelLabel, m_model}, m_pageEnabled);
    paintEdit(m_model, false);
    enableAll({m_domainLabel, m_domain}, m_pageEnabled && m_domainEnabled);
}

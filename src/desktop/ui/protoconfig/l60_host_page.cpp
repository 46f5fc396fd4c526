#include "desktop/ui/protoconfig/l60_host_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

L60HostPage::L60HostPage(QWidget *parent)
    : L60PageWidget("tabL60Hostname", parent)
{
    QGroupBox *g = group("grpL60HostName", caption(3045, "Model and Host Name"), this);
    m_host = edit("editL60HostName", g);
    m_domain = edit("editL60Domain", g);
    m_model = edit("editL60Model", g);
    m_model->setReadOnly(true);
    // Shown only: it must not look like a field to type in.
    paint(m_model, Colour::ButtonFace);
    m_model->setFocusPolicy(Qt::NoFocus);
    auto *form = new QFormLayout(g);
    form->addRow(label("lblL60HostName", caption(3046, "Camera Host Name", true), g), m_host);
    form->addRow(label("lblL60Domain", caption(3047, "Domain Name", true), g), m_domain);
    form->addRow(label("lblL60Model", caption(3048, "Product Model", true), g), m_model);
    body()->addWidget(g);
    body()->addStretch(1);

    for (QLineEdit *e : {m_host, m_domain})
        connect(e, &QLineEdit::textEdited, this, &L60HostPage::edited);
}

void L60HostPage::setSettings(const L60HostSettings &s)
{
    fill(m_host, s.host);
    fill(m_domain, s.domain);
}

L60HostSettings L60HostPage::settings() const
{
    return {m_host->text(), m_domain->text()};
}

void L60HostPage::setModelName(const QString &model)
{
    m_model->setText(model);
}

void L60HostPage::setDomainEnabled(bool on)
{
    m_domain->setEnabled(on);
    paint(m_domain, on ? Colour::Window : Colour::InactiveBorder);
}

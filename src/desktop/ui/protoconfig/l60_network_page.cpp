#include "desktop/ui/protoconfig/l60_network_page.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

L60NetworkPage::L60NetworkPage(QWidget *parent)
    : L60PageWidget("tabL60NetworkInfo", parent)
{
    QGroupBox *types = group("RadioGroup5", caption(3026, "Network Type"), this);
    m_static = radio("btnL60SelectStaticIP", caption(3027, "Static IP"), types);
    m_dhcp = radio("btnL60SelectDhcp", caption(3028, "DHCP"), types);
    m_pppoe = radio("btnL60SelectPPPOE", caption(3029, "PPPoE"), types);
    m_static->setChecked(true);
    auto *typeRow = new QHBoxLayout(types);
    for (QRadioButton *r : {m_static, m_dhcp, m_pppoe})
        typeRow->addWidget(r);
    topRow()->insertWidget(0, types);

    m_staticPanel = buildStaticPanel();
    m_pppoePanel = buildPppoePanel();
    QGroupBox *audio = group("groupAudio", caption(3039, "Audio Info"), this);
    m_audio = label("lblL60AudioEnabled", caption(3040, "Audio is NOT avilable"), audio);
    (new QVBoxLayout(audio))->addWidget(m_audio);

    body()->addWidget(m_staticPanel);
    body()->addWidget(m_pppoePanel);
    body()->addStretch(1);
    body()->addWidget(audio);

    const std::pair<QRadioButton *, L60NetworkType> choices[] = {
        {m_static, L60NetworkType::Static},
        {m_dhcp, L60NetworkType::Dhcp},
        {m_pppoe, L60NetworkType::Pppoe}};
    for (const auto &choice : choices) {
        const L60NetworkType type = choice.second;
        connect(choice.first, &QRadioButton::clicked, this, [this, type] { emit typeClicked(type); });
    }
    for (QRadioButton *r : {m_autoDns, m_manualDns}) {
        connect(r, &QRadioButton::clicked, this, [this] {
            followChoices();
            emit edited();
        });
    }
    for (QLineEdit *e : {m_ip, m_mask, m_gateway, m_dns, m_pppUser, m_pppPassword, m_pppService,
                         m_pppMtu, m_pppDns})
        connect(e, &QLineEdit::textEdited, this, &L60NetworkPage::edited);
    m_mask->installEventFilter(this);
    followChoices();
}

QGroupBox *L60NetworkPage::buildStaticPanel()
{
    QGroupBox *panel = group("staticL60IPPanel", caption(3030, "Static IP Network Setting"), this);
    auto *grid = new QGridLayout(panel);
    struct Row {
        const char *label, *edit, *button;
        int id;
        const char *text;
        L60AutoInput field;
        QLineEdit **target;
    };
    const Row rows[] = {
        {"lblL60MacAddr", "editL60MacAddr", nullptr, 3015, "MAC Address", {}, &m_mac},
        {"lblL60IPAddr", "editL60IPAddr", "btnL60StaticPutIP", 3016, "IP Address",
         L60AutoInput::IpAddress, &m_ip},
        {"lblL60NetMask", "editL60NetMask", "btnL60StaticPutNetMask", 3022, "Subnet Mask",
         L60AutoInput::NetMask, &m_mask},
        {"lblL60Gateway", "editL60Gateway", "btnL60StaticPutGateway", 3023, "Gateway",
         L60AutoInput::Gateway, &m_gateway},
        {"lblL60DNSAddr", "editL60DNSAddr", "btnL60StaticPutDns", 3024, "DNS Server",
         L60AutoInput::Dns, &m_dns},
    };
    int line = 0;
    for (const Row &r : rows) {
        QLabel *l = label(r.label, caption(r.id, r.text, true), panel);
        *r.target = edit(r.edit, panel);
        grid->addWidget(l, line, 0);
        grid->addWidget(*r.target, line, 1);
        if (r.button) {
            QPushButton *b = autoInputButton(r.button, r.field, panel);
            grid->addWidget(b, line, 2);
            if (r.field == L60AutoInput::Dns) {
                m_dnsLabel = l;
                m_dnsAuto = b;
            }
        }
        ++line;
    }
    grid->setColumnStretch(3, 1);
    m_mac->setReadOnly(true);
    paint(m_mac, Colour::ButtonFace);
    m_mac->setFocusPolicy(Qt::NoFocus);
    return panel;
}

QGroupBox *L60NetworkPage::buildPppoePanel()
{
    QGroupBox *panel = group("staticL60PPPOEPanel", caption(3032, "PPPoE Network Setting"), this);
    auto *grid = new QGridLayout(panel);
    m_pppUser = edit("pppL60UserID", panel);
    m_pppPassword = edit("pppL60Password", panel, true);
    m_pppService = edit("pppL60Service", panel);
    m_pppMtu = edit("pppL60MTU", panel);
    m_pppDns = edit("pppL60Dns", panel);
    m_autoDns = radio("pppL60SelectDnsTypeAuto", caption(3038, "Auto DNS"), panel);
    m_manualDns = radio("pppL60SelectDnsTypeManual", caption(3037, "Manual DNS"), panel);
    m_manualDns->setChecked(true);
    m_pppDnsAuto = autoInputButton("btnL60PPPPutDnsAddr", L60AutoInput::PppoeDns, panel);

    grid->addWidget(label("lblL60PPPUserID", caption(3033, "User ID", true), panel), 0, 0);
    grid->addWidget(m_pppUser, 0, 1);
    grid->addWidget(label("lblL60PPPPassword", caption(3034, "Password", true), panel), 1, 0);
    grid->addWidget(m_pppPassword, 1, 1);
    grid->addWidget(label("lblL60PPPService", caption(3035, "Service Name", true), panel), 2, 0);
    grid->addWidget(m_pppService, 2, 1);
    grid->addWidget(label("lblL60PPPMTU", QStringLiteral("MTU : "), panel), 3, 0);
    grid->addWidget(m_pppMtu, 3, 1);
    grid->addWidget(label("lblL60PPPDnsType", caption(3024, "DNS Server", true), panel), 4, 0);
    auto *dnsType = new QHBoxLayout;
    dnsType->addWidget(m_autoDns);
    dnsType->addWidget(m_manualDns);
    grid->addLayout(dnsType, 4, 1, 1, 2);
    grid->addWidget(label("lblL60PPPDns", caption(3036, "DNS", true), panel), 5, 0);
    grid->addWidget(m_pppDns, 5, 1);
    grid->addWidget(m_pppDnsAuto, 5, 2);
    grid->setColumnStretch(3, 1);
    panel->hide();
    return panel;
}

QPushButton *L60NetworkPage::autoInputButton(const char *name, L60AutoInput field, QWidget *parent)
{
    QPushButton *b = button(name, caption(3031, "Auto Input"), parent);
    connect(b, &QPushButton::clicked, this, [this, field] { emit autoInputClicked(field); });
    return b;
}

void L60NetworkPage::setSettings(const L60NetworkSettings &s)
{
    switch (s.type) {
    case L60NetworkType::Static:
        m_static->setChecked(true);
        break;
    case L60NetworkType::Dhcp:
        m_dhcp->setChecked(true);
        break;
    case L60NetworkType::Pppoe:
        m_pppoe->setChecked(true);
        break;
    }
    if (s.type != L60NetworkType::Dhcp)
        m_panelInView = s.type;
    fill(m_ip, s.ip);
    fill(m_mask, s.mask);
    fill(m_gateway, s.gateway);
    m_dnsEnabled = s.dnsEnabled;
    fill(m_dns, s.dns);
    fill(m_pppUser, s.pppUser);
    fill(m_pppPassword, s.pppPassword);
    fill(m_pppService, s.pppService);
    fill(m_pppMtu, s.pppMtu);
    (s.pppManualDns ? m_manualDns : m_autoDns)->setChecked(true);
    fill(m_pppDns, s.pppDns);
    followChoices();
}

L60NetworkSettings L60NetworkPage::settings() const
{
    L60NetworkSettings s;
    s.type = chosenType();
    s.ip = m_ip->text();
    s.mask = m_mask->text();
    s.gateway = m_gateway->text();
    s.dnsEnabled = m_dnsEnabled;
    // A DNS field that is off is neither checked nor sent.
    s.dns = m_dnsEnabled ? m_dns->text() : QString();
    s.pppUser = m_pppUser->text();
    s.pppPassword = m_pppPassword->text();
    s.pppService = m_pppService->text();
    s.pppMtu = m_pppMtu->text();
    s.pppManualDns = m_manualDns->isChecked();
    s.pppDns = m_pppDns->text();
    return s;
}

void L60NetworkPage::setMacAddress(const QString &mac)
{
    m_mac->setText(mac);
}

void L60NetworkPage::setAudioText(const QString &text)
{
    m_audio->setText(text);
}

void L60NetworkPage::setTypeEnabled(L60NetworkType type, bool on)
{
    switch (type) {
    case L60NetworkType::Static:
        m_static->setEnabled(on);
        break;
    case L60NetworkType::Dhcp:
        m_dhcp->setEnabled(on);
        break;
    case L60NetworkType::Pppoe:
        m_pppoe->setEnabled(on);
        break;
    }
}

void L60NetworkPage::setPanelsEnabled(bool on)
{
    m_panelsOpen = on;
    followChoices();
}

L60NetworkType L60NetworkPage::chosenType() const
{
    if (m_dhcp->isChecked())
        return L60NetworkType::Dhcp;
    if (m_pppoe->isChecked())
        return L60NetworkType::Pppoe;
    return L60NetworkType::Static;
}

void L60NetworkPage::followChoices()
{
    const L60NetworkType type = chosenType();
    m_staticPanel->setVisible(m_panelInView == L60NetworkType::Static);
    m_pppoePanel->setVisible(m_panelInView == L60NetworkType::Pppoe);
    // A closed panel takes its controls with it; inside an open one the DNS fields
    // follow their own switches.
    m_staticPanel->setEnabled(m_panelsOpen && type == L60NetworkType::Static);
    m_pppoePanel->setEnabled(m_panelsOpen && type == L60NetworkType::Pppoe);
    for (QWidget *w : {static_cast<QWidget *>(m_dns), static_cast<QWidget *>(m_dnsLabel),
                       static_cast<QWidget *>(m_dnsAuto)})
        w->setEnabled(m_dnsEnabled);
    paint(m_dns, m_dnsEnabled ? Colour::Window : Colour::InactiveBorder);
    const bool manual = m_manualDns->isChecked();
    m_pppDns->setEnabled(manual);
    m_pppDnsAuto->setEnabled(manual);
}

bool L60NetworkPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_mask && event->type() == QEvent::FocusIn)
        emit netMaskEntered();
    return L60PageWidget::eventFilter(watched, event);
}

#include "desktop/ui/fileconfig/network_info_page.h"

#include "desktop/ui/focus_control.h"
#include "protocol/local_network_info.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

NetworkInfoPage::NetworkInfoPage(QWidget *parent)
    : FilePageWidget(FileTab::NetworkInfo, "tabNetworkInfo", parent)
{
    auto *typeGroup = new QGroupBox(caption(3026, "Network Type"), this);
    typeGroup->setObjectName(QStringLiteral("grpNetworkType"));
    m_static = radio("btnSelectStaticIP", caption(3027, "Static IP"));
    m_dhcp = radio("btnSelectDhcp", caption(3028, "DHCP"));
    m_pppoe = radio("btnSelectPPPOE", caption(3029, "PPPoE"));
    auto *typeRow = new QHBoxLayout(typeGroup);
    typeRow->addWidget(m_static);
    typeRow->addWidget(m_dhcp);
    typeRow->addWidget(m_pppoe);
    typeRow->addStretch(1);

    m_staticPanel = new QGroupBox(caption(3030, "Static IP Network Setting"), this);
    m_staticPanel->setObjectName(QStringLiteral("staticIPPanel"));
    m_macLabel = label("lblMacAddr", caption(3015, "MAC Address", true));
    m_mac = edit("editMacAddr");
    m_mac->setReadOnly(true);
    m_ipLabel = label("lblIPAddr", caption(3016, "IP Address", true));
    m_ip = edit("editIPAddr");
    m_putIp = autoInputButton("btnStaticPutIP", m_ip);
    m_maskLabel = label("lblNetMask", caption(3022, "Subnet Mask", true));
    m_mask = edit("editNetMask");
    m_putMask = autoInputButton("btnStaticPutNetMask", m_mask);
    m_gatewayLabel = label("lblGateway", caption(3023, "Gateway", true));
    m_gateway = edit("editGateway");
    m_putGateway = autoInputButton("btnStaticPutGateway", m_gateway);
    m_dnsLabel = label("lblDNSAddr", caption(3024, "DNS Server", true));
    m_dns = edit("editDNSAddr");
    m_putDns = autoInputButton("btnStaticPutDns", m_dns);
    auto *staticGrid = new QGridLayout(m_staticPanel);
    const struct {
        QLabel *label;
        QLineEdit *edit;
        QPushButton *button;
    } staticRows[] = {
        {m_macLabel, m_mac, nullptr},
        {m_ipLabel, m_ip, m_putIp},
        {m_maskLabel, m_mask, m_putMask},
        {m_gatewayLabel, m_gateway, m_putGateway},
        {m_dnsLabel, m_dns, m_putDns},
    };
    int row = 0;
    for (const auto &r : staticRows) {
        staticGrid->addWidget(r.label, row, 0);
        staticGrid->addWidget(r.edit, row, 1);
        if (r.button)
            staticGrid->addWidget(r.button, row, 2);
        ++row;
    }
    staticGrid->setColumnStretch(1, 1);

    m_pppPanel = new QGroupBox(caption(3032, "PPPoE Network Setting"), this);
    m_pppPanel->setObjectName(QStringLiteral("PPPOEPanel"));
    m_userLabel = label("lblPPPUserID", caption(3033, "User ID", true));
    m_user = edit("pppUserID");
    m_passLabel = label("lblPPPPassword", caption(3034, "Password", true));
    m_pass = edit("pppPassword", true);
    m_serviceLabel = label("lblPPPService", caption(3035, "Service Name", true));
    m_service = edit("pppService");
    m_mtuLabel = label("lblPPPMTU", QStringLiteral("MTU : "));
    m_mtu = edit("pppMTU");
    m_dnsTypeLabel = label("lblPPPDnsType", caption(3024, "DNS Server", true));
    m_dnsAuto = radio("pppSelectDnsTypeAuto", caption(3038, "Auto DNS"));
    m_dnsManual = radio("pppSelectDnsTypeManual", caption(3037, "Manual DNS"));
    m_pppDnsLabel = label("lblPPPDns", caption(3036, "DNS", true));
    m_pppDns = edit("pppDns");
    m_putPppDns = autoInputButton("btnPPPPutDnsAddr", m_pppDns);
    auto *pppGrid = new QGridLayout(m_pppPanel);
    pppGrid->addWidget(m_userLabel, 0, 0);
    pppGrid->addWidget(m_user, 0, 1);
    pppGrid->addWidget(m_passLabel, 1, 0);
    pppGrid->addWidget(m_pass, 1, 1);
    pppGrid->addWidget(m_serviceLabel, 2, 0);
    pppGrid->addWidget(m_service, 2, 1);
    pppGrid->addWidget(m_mtuLabel, 3, 0);
    pppGrid->addWidget(m_mtu, 3, 1);
    auto *dnsType = new QHBoxLayout;
    dnsType->addWidget(m_dnsAuto);
    dnsType->addWidget(m_dnsManual);
    dnsType->addStretch(1);
    pppGrid->addWidget(m_dnsTypeLabel, 4, 0);
    pppGrid->addLayout(dnsType, 4, 1, 1, 2);
    pppGrid->addWidget(m_pppDnsLabel, 5, 0);
    pppGrid->addWidget(m_pppDns, 5, 1);
    pppGrid->addWidget(m_putPppDns, 5, 2);
    pppGrid->setColumnStretch(1, 1);
    m_pppPanel->hide();

    auto *audioGroup = new QGroupBox(caption(3039, "Audio Info"), this);
    audioGroup->setObjectName(QStringLiteral("grpAudioInfo"));
    m_audio = label("lblAudioEnabled", {});
    auto *audioBox = new QVBoxLayout(audioGroup);
    audioBox->addWidget(m_audio);

    m_setDefault = setDefaultButton("SpeedButton10", 9);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_setDefault);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(typeGroup);
    layout->addWidget(m_staticPanel);
    layout->addWidget(m_pppPanel);
    layout->addWidget(audioGroup);
    layout->addLayout(buttons);
    layout->addStretch(1);

    m_static->setChecked(true);
    m_dnsManual->setChecked(true);
    m_mask->installEventFilter(this);
    setCameraTraits(CameraTraits{});
    followType();
}

QRadioButton *NetworkInfoPage::radio(const char *name, const QString &text)
{
    auto *r = new QRadioButton(text, this);
    r->setObjectName(QLatin1String(name));
    connect(r, &QRadioButton::clicked, this, [this] {
        followType();
        emit edited();
    });
    return r;
}

QPushButton *NetworkInfoPage::autoInputButton(const char *name, QLineEdit *field)
{
    auto *b = new QPushButton(caption(3031, "Auto Input"), this);
    b->setObjectName(QLatin1String(name));
    connect(b, &QPushButton::clicked, this, [this, field] { autoInput(field); });
    return b;
}

void NetworkInfoPage::autoInput(QLineEdit *field)
{
    if (!m_local)
        return;
    if (field == m_ip)
        field->setText(m_local->suggestedAddress());
    else if (field == m_mask)
        field->setText(m_local->netMask());
    else if (field == m_gateway)
        field->setText(m_local->gateway());
    else
        field->setText(m_local->dns());
    emit edited();
    FocusControl(field);
}

bool NetworkInfoPage::eventFilter(QObject *watched, QEvent *event)
{
    // Offering the usual class C mask when the user moves on from the address saves
    // typing in the common case; an existing mask is never overwritten.
    if (watched == m_mask && event->type() == QEvent::FocusIn) {
        if (const std::optional<QString> mask =
                LocalNetworkInfo::maskSuggestion(m_ip->text(), m_mask->text())) {
            m_mask->setText(*mask);
            emit edited();
        }
    }
    return FilePageWidget::eventFilter(watched, event);
}

void NetworkInfoPage::setSettings(const NetworkPageSettings &s)
{
    switch (s.type) {
    case L60NetworkType::Static: m_static->setChecked(true); break;
    case L60NetworkType::Dhcp: m_dhcp->setChecked(true); break;
    case L60NetworkType::Pppoe: m_pppoe->setChecked(true); break;
    }
    m_ip->setText(s.ip);
    m_mask->setText(s.mask);
    m_gateway->setText(s.gateway);
    m_dnsEnabled = s.dnsEnabled;
    // A camera without the DNS field shows it empty, so nothing stale can be sent.
    m_dns->setText(s.dnsEnabled ? s.dns : QString());
    m_user->setText(s.pppUser);
    m_pass->setText(s.pppPassword);
    m_service->setText(s.pppService);
    m_mtu->setText(s.pppMtu);
    (s.pppManualDns ? m_dnsManual : m_dnsAuto)->setChecked(true);
    m_pppDns->setText(s.pppDns);
    followType();
}

NetworkPageSettings NetworkInfoPage::settings() const
{
    NetworkPageSettings s;
    s.type = chosenType();
    s.ip = m_ip->text();
    s.mask = m_mask->text();
    s.gateway = m_gateway->text();
    s.dns = m_dns->text();
    s.dnsEnabled = m_dnsEnabled;
    s.pppUser = m_user->text();
    s.pppPassword = m_pass->text();
    s.pppService = m_service->text();
    s.pppMtu = m_mtu->text();
    s.pppManualDns = m_dnsManual->isChecked();
    s.pppDns = m_pppDns->text();
    return s;
}

void NetworkInfoPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<NetworkPageSettings>(&settings))
        setSettings(*s);
}

void NetworkInfoPage::setPageEnabled(bool on)
{
    m_pageEnabled = on;
    followType();
}

void NetworkInfoPage::setCameraTraits(const CameraTraits &traits)
{
    m_audio->setText(traits.audio ? caption(3041, "Audio is available")
                                  : caption(3040, "Audio is NOT available"));
}

void NetworkInfoPage::setMac(const QString &mac)
{
    m_mac->setText(mac);
}

void NetworkInfoPage::setLocalNetwork(LocalNetworkInfo *info)
{
    m_local = info;
}

void NetworkInfoPage::setNetworkTypesOffered(bool staticIp, bool dhcp, bool pppoe)
{
    m_offered[0] = staticIp;
    m_offered[1] = dhcp;
    m_offered[2] = pppoe;
    followType();
}

L60NetworkType NetworkInfoPage::chosenType() const
{
    if (m_dhcp->isChecked())
        return L60NetworkType::Dhcp;
    if (m_pppoe->isChecked())
        return L60NetworkType::Pppoe;
    return L60NetworkType::Static;
}

void NetworkInfoPage::followType()
{
    const L60NetworkType type = chosenType();
    // DHCP keeps whichever panel was on screen: it only stops input into both.
    if (type == L60NetworkType::Static) {
        m_pppPanel->hide();
        m_staticPanel->show();
    } else if (type == L60NetworkType::Pppoe) {
        m_staticPanel->hide();
        m_pppPanel->show();
    }

    const bool on = m_pageEnabled;
    m_static->setEnabled(on && m_offered[0]);
    m_dhcp->setEnabled(on && m_offered[1]);
    m_pppoe->setEnabled(on && m_offered[2]);

    enableAll({m_macLabel, m_mac}, on);
    // Read-only: never looks like a field that takes input.
    paintEdit(m_mac, false);
    const bool staticOn = on && type == L60NetworkType::Static;
    enableAll({m_ipLabel, m_ip, m_putIp, m_maskLabel, m_mask, m_putMask, m_gatewayLabel,
               m_gateway, m_putGateway},
              staticOn);
    enableAll({m_dnsLabel, m_dns, m_putDns}, staticOn && m_dnsEnabled);

    const bool pppOn = on && type == L60NetworkType::Pppoe;
    enableAll({m_userLabel, m_user, m_passLabel, m_pass, m_serviceLabel, m_service, m_mtuLabel,
               m_mtu, m_dnsTypeLabel, m_dnsAuto, m_dnsManual},
              pppOn);
    enableAll({m_pppDnsLabel, m_pppDns, m_putPppDns}, pppOn && m_dnsManual->isChecked());

    enableAll({m_audio, m_setDefault}, on);
}

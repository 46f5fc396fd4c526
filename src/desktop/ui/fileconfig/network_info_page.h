#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class LocalNetworkInfo;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The Network Info tab (tabNetworkInfo): the network type, the static-address and PPPoE
// panels, and whether the camera has audio. The values come from the camera's discovery
// reply, not from files.
class NetworkInfoPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NetworkInfoPage)

public:
    explicit NetworkInfoPage(QWidget *parent = nullptr);

    void setSettings(const NetworkPageSettings &settings);
    NetworkPageSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;
    void setCameraTraits(const CameraTraits &traits) override;

    // The camera's MAC address, shown read-only; it is not a setting.
    void setMac(const QString &mac);
    // Where the Auto Input buttons take their values; without it they do nothing.
    void setLocalNetwork(LocalNetworkInfo *info);
    // The network types this camera may be switched to.
    void setNetworkTypesOffered(bool staticIp, bool dhcp, bool pppoe);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QRadioButton *radio(const char *name, const QString &text);
    QPushButton *autoInputButton(const char *name, QLineEdit *field);
    void autoInput(QLineEdit *field);
    L60NetworkType chosenType() const;
    // The radio handlers: which panel shows and which fields take input.
    void followType();

    bool m_pageEnabled = true;
    bool m_dnsEnabled = false;
    bool m_offered[3] = {true, true, true};
    LocalNetworkInfo *m_local = nullptr;

    QRadioButton *m_static = nullptr, *m_dhcp = nullptr, *m_pppoe = nullptr;
    QGroupBox *m_staticPanel = nullptr, *m_pppPanel = nullptr;
    QLabel *m_macLabel = nullptr, *m_ipLabel = nullptr, *m_maskLabel = nullptr,
           *m_gatewayLabel = nullptr, *m_dnsLabel = nullptr;
    QLineEdit *m_mac = nullptr, *m_ip = nullptr, *m_mask = nullptr, *m_gateway = nullptr,
              *m_dns = nullptr;
    QPushButton *m_putIp = nullptr, *m_putMask = nullptr, *m_putGateway = nullptr,
                *m_putDns = nullptr;
    QLabel *m_userLabel = nullptr, *m_passLabel = nullptr, *m_serviceLabel = nullptr,
           *m_mtuLabel = nullptr, *m_dnsTypeLabel = nullptr, *m_pppDnsLabel = nullptr;
    QLineEdit *m_user = nullptr, *m_pass = nullptr, *m_service = nullptr, *m_mtu = nullptr,
              *m_pppDns = nullptr;
    QRadioButton *m_dnsAuto = nullptr, *m_dnsManual = nullptr;
    QPushButton *m_putPppDns = nullptr;
    QLabel *m_audio = nullptr;
    QPushButton *m_setDefault = nullptr;
};

#pragma once

#include "desktop/ui/protoconfig/l60_page_widget.h"
#include "protoconfig/l60_pages_view.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Page 0 (tabL60NetworkInfo): the network type, the static and PPPoE panels, the audio
// information. The panel of the shown type is the open one; DHCP closes both and keeps
// the last one in view.
class L60NetworkPage final : public L60PageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60NetworkPage)

public:
    explicit L60NetworkPage(QWidget *parent = nullptr);

    // Fills the controls; edited() is not emitted for it.
    void setSettings(const L60NetworkSettings &settings);
    L60NetworkSettings settings() const;
    void setMacAddress(const QString &mac);
    void setAudioText(const QString &text);
    void setTypeEnabled(L60NetworkType type, bool on);
    // Off: both panels closed whatever the type (no camera of this family selected).
    void setPanelsEnabled(bool on);

signals:
    // A network-type radio clicked; the flows answer by showing the settings.
    void typeClicked(L60NetworkType type);
    void autoInputClicked(L60AutoInput field);
    // editL60NetMask took the focus.
    void netMaskEntered();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QGroupBox *buildStaticPanel();
    QGroupBox *buildPppoePanel();
    QPushButton *autoInputButton(const char *name, L60AutoInput field, QWidget *parent);
    L60NetworkType chosenType() const;
    // The open panel, the static DNS field and the PPPoE DNS field of "Manual DNS".
    void followChoices();

    QRadioButton *m_static = nullptr, *m_dhcp = nullptr, *m_pppoe = nullptr;
    QGroupBox *m_staticPanel = nullptr, *m_pppoePanel = nullptr;
    QLineEdit *m_mac = nullptr, *m_ip = nullptr, *m_mask = nullptr, *m_gateway = nullptr;
    QLineEdit *m_dns = nullptr;
    QLabel *m_dnsLabel = nullptr;
    QPushButton *m_dnsAuto = nullptr;
    QLineEdit *m_pppUser = nullptr, *m_pppPassword = nullptr, *m_pppService = nullptr;
    QLineEdit *m_pppMtu = nullptr, *m_pppDns = nullptr;
    QRadioButton *m_autoDns = nullptr, *m_manualDns = nullptr;
    QPushButton *m_pppDnsAuto = nullptr;
    QLabel *m_audio = nullptr;
    bool m_dnsEnabled = true;
    bool m_panelsOpen = true;
    L60NetworkType m_panelInView = L60NetworkType::Static;
};

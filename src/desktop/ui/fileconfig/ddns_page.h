#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The DDNS tab (tabDDNS): ddns.conf's switch, ID, password and handle.
class DdnsPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DdnsPage)

public:
    explicit DdnsPage(QWidget *parent = nullptr);

    void setSettings(const DdnsSettings &settings);
    DdnsSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;

private:
    // chkEnableDDNSClick: the three fields follow the box.
    void followSwitch();

    QCheckBox *m_enable;
    QLabel *m_idLabel, *m_passLabel, *m_handleLabel;
    QLineEdit *m_id, *m_pass, *m_handle;
    QPushButton *m_setDefault;
    bool m_pageEnabled = true;
};

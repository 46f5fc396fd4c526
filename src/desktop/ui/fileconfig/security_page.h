#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;

// The Security tab (tabSecurity): the firewall level rc.iptables starts, with a caution
// while a level that may lock out remote access is chosen.
class SecurityPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SecurityPage)

public:
    explicit SecurityPage(QWidget *parent = nullptr);

    // Level Unset leaves every level button clear.
    void setSettings(const SecuritySettings &settings);
    SecuritySettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;

private:
    void followLevel();

    QButtonGroup *m_levels;
    QRadioButton *m_high, *m_medium, *m_low;
    QLabel *m_caution;
    QPushButton *m_setDefault;
};

#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The System Info tab (tabSysInfo): general.conf's model, serial number and software
// version (shown only) and the installed location and administrator address.
class SystemInfoPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SystemInfoPage)

public:
    explicit SystemInfoPage(QWidget *parent = nullptr);

    void setSettings(const SystemInfoSettings &settings);
    SystemInfoSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;

private:
    QLabel *m_modelLabel, *m_serialLabel, *m_versionLabel, *m_locationLabel, *m_emailLabel;
    QLineEdit *m_model, *m_serial, *m_version, *m_location, *m_email;
    QPushButton *m_setDefault, *m_factoryDefault;
};

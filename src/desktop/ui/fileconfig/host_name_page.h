#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QLabel;
class QLineEdit;

// The Host Name tab (tabETC): the camera's host and domain names beside its model.
class HostNamePage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HostNamePage)

public:
    explicit HostNamePage(QWidget *parent = nullptr);

    void setSettings(const HostPageSettings &settings);
    HostPageSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;

    // The product model, shown read-only; it is not a setting.
    void setModelName(const QString &model);
    // Whether the camera keeps a domain name; without one the field is greyed and empty.
    void setDomainEnabled(bool on);

private:
    void follow();

    QLabel *m_hostLabel = nullptr, *m_domainLabel = nullptr, *m_modelLabel = nullptr;
    QLineEdit *m_host = nullptr, *m_domain = nullptr, *m_model = nullptr;
    bool m_pageEnabled = true;
    bool m_domainEnabled = true;
};

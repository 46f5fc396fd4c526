#pragma once

#include "desktop/ui/protoconfig/l60_page_widget.h"
#include "protoconfig/l60_settings.h"

class QLineEdit;

// Page 1 (tabL60Hostname): host and domain name, and the product model for reading.
class L60HostPage final : public L60PageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60HostPage)

public:
    explicit L60HostPage(QWidget *parent = nullptr);

    // Fills the controls; edited() is not emitted for it.
    void setSettings(const L60HostSettings &settings);
    L60HostSettings settings() const;
    void setModelName(const QString &model);
    // Only a camera that announced a domain name lets it be edited.
    void setDomainEnabled(bool on);

private:
    QLineEdit *m_host = nullptr, *m_domain = nullptr, *m_model = nullptr;
};

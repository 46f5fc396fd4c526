#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The Web Server tab (tabWebServer): thttpd.conf's port and the title of the web pages.
class WebServerPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebServerPage)

public:
    explicit WebServerPage(QWidget *parent = nullptr);

    void setSettings(const WebServerSettings &settings);
    WebServerSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;

private:
    QLabel *m_portLabel = nullptr, *m_titleLabel = nullptr;
    QLineEdit *m_port = nullptr, *m_title = nullptr;
    QPushButton *m_setDefault = nullptr;
};

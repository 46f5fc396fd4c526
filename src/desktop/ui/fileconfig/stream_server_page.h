#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The Stream Server tab (tabStreamServer): the one listening port, and for each of the
// UDP and TCP servers whether rc.server starts it and how many clients it takes.
class StreamServerPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StreamServerPage)

public:
    explicit StreamServerPage(QWidget *parent = nullptr);

    void setSettings(const StreamServerSettings &settings);
    StreamServerSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;

private:
    QCheckBox *serverBox(const char *name, const QString &text);
    // chkStreamUdpEnableClick / chkStreamTcpEnableClick: each limit follows its box.
    void followBoxes();

    QLabel *m_portLabel = nullptr, *m_udpLabel = nullptr, *m_tcpLabel = nullptr;
    QLineEdit *m_port = nullptr, *m_udpMax = nullptr, *m_tcpMax = nullptr;
    QCheckBox *m_udp = nullptr, *m_tcp = nullptr;
    QPushButton *m_setDefault = nullptr;
    bool m_pageEnabled = true;
};

#pragma once

#include <QGroupBox>

class LocalNetworkInfo;
class QComboBox;
class QLabel;

// The main window's "Local Network Info" group, bound to the LocalNetworkInfo that holds
// its behaviour.
class LocalNetworkGroup final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocalNetworkGroup)

public:
    LocalNetworkGroup(LocalNetworkInfo &info, QWidget *parent = nullptr);

    // Reads the adapters again and refills the list (at start).
    void fill();
    LocalNetworkInfo &info() { return m_info; }

private:
    void addressChosen(int index);
    void showLabels();

    LocalNetworkInfo &m_info;
    QComboBox *m_cboLocalIP;
    QLabel *m_labelNetMask;
    QLabel *m_labelGateway;
    QLabel *m_labelDns;
};

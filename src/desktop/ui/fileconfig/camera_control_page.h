#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The Camera Control tab (tabCamControl): name, PTZ model and receiver address of the
// four video channels (control.conf and the daemon folder's listing).
class CameraControlPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CameraControlPage)

public:
    explicit CameraControlPage(QWidget *parent = nullptr);

    // The model boxes offer "none" and then settings.daemons.
    void setSettings(const CameraControlSettings &settings);
    CameraControlSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;
    // Only some models let channel 1 choose its PTZ model and address.
    void setCameraTraits(const CameraTraits &traits) override;

private:
    struct Channel {
        QLabel *nameLabel = nullptr, *modelLabel = nullptr, *idLabel = nullptr;
        QLineEdit *name = nullptr, *id = nullptr;
        QComboBox *model = nullptr;
    };

    // Channel 1's address and model: the held values, or nothing while locked.
    void showChannelOne();
    void enableChannelOne();

    std::array<Channel, CameraControlSettings::Channels> m_channels {};
    QPushButton *m_setDefault;
    QStringList m_daemons;
    // Channel 1's address and model as loaded; kept while its controls are locked.
    CameraChannel m_channelOne;
    bool m_channelOneOpen = false;
    bool m_pageEnabled = true;
};

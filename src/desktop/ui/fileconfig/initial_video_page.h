#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The Initial Video tab (tabInitialVideo): middle.conf's video type, first frame
// quality and resolution, and the flickerless switch.
class InitialVideoPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InitialVideoPage)

public:
    explicit InitialVideoPage(QWidget *parent = nullptr);

    void setSettings(const InitialVideoSettings &settings);
    InitialVideoSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;

private:
    QRadioButton *m_ntsc, *m_pal;
    QLabel *m_qualityLabel, *m_resolutionLabel;
    QComboBox *m_quality, *m_resolution;
    QCheckBox *m_flickerless;
    QPushButton *m_setDefault;
};

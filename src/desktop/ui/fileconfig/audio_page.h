#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The Audio tab (tabAudio): audio.conf's server port, connection limit and volumes;
// a camera without audio shows a caution instead and cannot be configured.
class AudioPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AudioPage)

public:
    explicit AudioPage(QWidget *parent = nullptr);

    void setSettings(const AudioSettings &settings);
    AudioSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    // Disabling also empties the four edits.
    void setPageEnabled(bool on) override;
    // Without audio the page stays disabled and the caution shows.
    void setCameraTraits(const CameraTraits &traits) override;

private:
    void applyEnabled();

    QLabel *m_portLabel, *m_maxLabel, *m_samplingLabel, *m_playbackLabel;
    QLineEdit *m_port, *m_max, *m_sampling, *m_playback;
    QLabel *m_caution;
    QPushButton *m_setDefault;
    bool m_pageEnabled = true;
    bool m_audio = true;
};

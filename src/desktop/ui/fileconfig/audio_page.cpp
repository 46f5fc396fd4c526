#include "desktop/ui/fileconfig/audio_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AudioPage::AudioPage(QWidget *parent)
    : FilePageWidget(FileTab::Audio, "tabAudio", parent)
{
    auto *group = new QGroupBox(caption(3102, "Audio"), this);
    group->setObjectName(QStringLiteral("grpAudio"));
    // The checks quote these label texts in their messages.
    m_portLabel = label("lblAudioPort", caption(3103, "Port", true));
    m_port = edit("edtAudioPort");
    m_maxLabel = label("lblAudioMaxCon", caption(3104, "Max Connection", true));
    m_max = edit("edtAudioMaxCon");
    m_samplingLabel = label("lblAudioSampleVol", caption(3105, "Sampling Volume", true));
    m_sampling = edit("edtAudioSampleVol");
    m_playbackLabel = label("lblAudioPlaybackVol", caption(3106, "Playback Volume", true));
    m_playback = edit("edtAudioPlaybackVol");
    auto *form = new QFormLayout(group);
    form->addRow(m_portLabel, m_port);
    form->addRow(m_maxLabel, m_max);
    form->addRow(m_samplingLabel, m_sampling);
    form->addRow(m_playbackLabel, m_playback);

    m_caution = label("Label46",
                      caption(3107, "CAUTION") + QStringLiteral("\n\n\n")
                          + caption(3108, "Audio is not supported in this camera.")
                          + QStringLiteral("\n\n")
                          + caption(3109, "You can NOT configure this Settings"));
    m_caution->setAlignment(Qt::AlignCenter);
    m_caution->setVisible(!m_audio);

    m_setDefault = setDefaultButton("SpeedButton11", 10);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_setDefault);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(m_caution);
    layout->addLayout(buttons);
    layout->addStretch(1);
}

void AudioPage::setSettings(const AudioSettings &s)
{
    m_port->setText(PageText::fromBytes(s.port));
    m_max->setText(PageText::fromBytes(s.maxConnect));
    m_sampling->setText(PageText::fromBytes(s.samplingVolume));
    m_playback->setText(PageText::fromBytes(s.playbackVolume));
}

AudioSettings AudioPage::settings() const
{
    AudioSettings s;
    s.port = PageText::toBytes(m_port->text());
    s.maxConnect = PageText::toBytes(m_max->text());
    s.samplingVolume = PageText::toBytes(m_sampling->text());
    s.playbackVolume = PageText::toBytes(m_playback->text());
    return s;
}

void AudioPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<AudioSettings>(&settings))
        setSettings(*s);
}

void AudioPage::setPageEnabled(bool on)
{
    m_pageEnabled = on;
    applyEnabled();
}

void AudioPage::setCameraTraits(const CameraTraits &traits)
{
    m_audio = traits.audio;
    m_caution->setVisible(!m_audio);
    applyEnabled();
}

void AudioPage::applyEnabled()
{
    const bool on = m_pageEnabled && m_audio;
    enableAll({m_portLabel, m_port, m_maxLabel, m_max, m_samplingLabel, m_sampling,
               m_playbackLabel, m_playback, m_setDefault},
              on);
    // Nothing is fetched for a disabled page: values left from another camera must not
    // stay on show.
    if (!on) {
        for (QLineEdit *e : {m_port, m_max, m_sampling, m_playback})
            e->clear();
    }
}

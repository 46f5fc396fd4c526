#include "desktop/ui/fileconfig/initial_video_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

InitialVideoPage::InitialVideoPage(QWidget *parent)
    : FilePageWidget(FileTab::InitialVideo, "tabInitialVideo", parent)
{
    auto *typeGroup = groupBox(this, "grpVideoType", caption(3157, "Video Type"));
    m_ntsc = new QRadioButton(caption(3158, "NTSC"), typeGroup);
    m_ntsc->setObjectName(QStringLiteral("radioVideoNTSC"));
    m_pal = new QRadioButton(caption(3159, "PAL"), typeGroup);
    m_pal->setObjectName(QStringLiteral("radioVideoPAL"));
    m_ntsc->setChecked(true);
    auto *typeLayout = new QHBoxLayout(typeGroup);
    typeLayout->addWidget(m_ntsc);
    typeLayout->addWidget(m_pal);
    typeLayout->addStretch(1);

    auto *frameGroup = groupBox(this, "grpVideoFrame", caption(3160, "Video Frame Info"));
    m_resolutionLabel =
        label("lblVideoResolution", caption(3161, "Image Resolution", true));
    m_resolution = comboBox("cboVideoResolution",
                           {QStringLiteral("QCIF ( 160 X 120 )"),
                            QStringLiteral("CIF   ( 320 X 240 )"),
                            QStringLiteral("VGA ( 640 X 480 )")});
    m_qualityLabel = label("lblVideoQuality", caption(3162, "Image Quality", true));
    QStringList qualities;
    for (int i = 1; i <= InitialVideoSettings::QualityItems; ++i)
        qualities << QString::number(i * 10);
    m_quality = comboBox("cboVideoQuality", qualities);
    auto *frameLayout = new QFormLayout(frameGroup);
    frameLayout->addRow(m_resolutionLabel, m_resolution);
    frameLayout->addRow(m_qualityLabel, m_quality);

    auto *flickerGroup =
        groupBox(this, "grpVideoFlickerless", caption(3163, "Flickerless Info"));
    m_flickerless = new QCheckBox(caption(3164, "Flickerless"), flickerGroup);
    m_flickerless->setObjectName(QStringLiteral("chkVideoFlickerless"));
    auto *flickerLayout = new QVBoxLayout(flickerGroup);
    flickerLayout->addWidget(m_flickerless);

    m_setDefault = setDefaultButton("SpeedButton4", 6);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_setDefault);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(typeGroup);
    layout->addWidget(frameGroup);
    layout->addWidget(flickerGroup);
    layout->addLayout(buttons);
    layout->addStretch(1);

    const std::initializer_list<QAbstractButton *> clickable{m_ntsc, m_pal, m_flickerless};
    for (QAbstractButton *b : clickable)
        connect(b, &QAbstractButton::clicked, this, &FilePageWidget::edited);
}

void InitialVideoPage::setSettings(const InitialVideoSettings &s)
{
    (s.pal ? m_pal : m_ntsc)->setChecked(true);
    m_quality->setCurrentIndex(s.qualityIndex);
    m_resolution->setCurrentIndex(s.resolutionIndex);
    m_flickerless->setChecked(s.flickerless);
}

InitialVideoSettings InitialVideoPage::settings() const
{
    InitialVideoSettings s;
    s.pal = m_pal->isChecked();
    s.qualityIndex = m_quality->currentIndex();
    s.resolutionIndex = m_resolution->currentIndex();
    s.flickerless = m_flickerless->isChecked();
    return s;
}

void InitialVideoPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<InitialVideoSettings>(&settings))
        setSettings(*s);
}

void InitialVideoPage::setPageEnabled(bool on)
{
    enableAll({m_ntsc, m_pal, m_resolutionLabel, m_resolution, m_qualityLabel, m_quality,
               m_flickerless, m_setDefault},
              on);
}

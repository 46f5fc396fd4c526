#include "desktop/ui/fileconfig/security_page.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

SecurityPage::SecurityPage(QWidget *parent)
    : FilePageWidget(FileTab::Security, "tabSecurity", parent)
{
    auto *group = new QGroupBox(caption(3098, "Security Level"), this);
    group->setObjectName(QStringLiteral("grpSecurityLevel"));
    m_high = new QRadioButton(caption(3099, "High"), group);
    m_high->setObjectName(QStringLiteral("radioSecurityHigh"));
    m_medium = new QRadioButton(caption(3100, "Medium"), group);
    m_medium->setObjectName(QStringLiteral("radioSecurityMedium"));
    m_low = new QRadioButton(caption(3101, "Low"), group);
    m_low->setObjectName(QStringLiteral("radioSecurityLow"));
    // An explicit group, so that a script starting no level can show no button checked.
    m_levels = new QButtonGroup(this);
    for (QRadioButton *r : {m_high, m_medium, m_low})
        m_levels->addButton(r);
    auto *levels = new QVBoxLayout(group);
    levels->addWidget(m_high);
    levels->addWidget(m_medium);
    levels->addWidget(m_low);

    m_caution = label("Label30",
                      caption(3107, "CAUTION") + QStringLiteral("\n\n\n")
                          + caption(3110, "If you choose Security Level MEDIUM or HIGH on")
                          + QStringLiteral("\n\n")
                          + caption(3111, "REMOTE NETWORK, you may be UNABLE to connect")
                          + QStringLiteral("\n\n")
                          + caption(3112, "to the camera with ZORA 2.0."));
    m_caution->setAlignment(Qt::AlignCenter);

    m_setDefault = setDefaultButton("SpeedButton7", 9);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_setDefault);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(m_caution);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_levels, &QButtonGroup::buttonClicked, this, [this] {
        followLevel();
        emit edited();
    });
    followLevel();
}

void SecurityPage::setSettings(const SecuritySettings &s)
{
    switch (s.level) {
    case SecuritySettings::Level::High:
        m_high->setChecked(true);
        break;
    case SecuritySettings::Level::Medium:
        m_medium->setChecked(true);
        break;
    case SecuritySettings::Level::Low:
        m_low->setChecked(true);
        break;
    case SecuritySettings::Level::Unset:
        // An exclusive group refuses to uncheck its checked button.
        m_levels->setExclusive(false);
        for (QAbstractButton *b : m_levels->buttons())
            b->setChecked(false);
        m_levels->setExclusive(true);
        break;
    }
    followLevel();
}

SecuritySettings SecurityPage::settings() const
{
    SecuritySettings s;
    if (m_high->isChecked())
        s.level = SecuritySettings::Level::High;
    else if (m_medium->isChecked())
        s.level = SecuritySettings::Level::Medium;
    else if (m_low->isChecked())
        s.level = SecuritySettings::Level::Low;
    return s;
}

void SecurityPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<SecuritySettings>(&settings))
        setSettings(*s);
}

void SecurityPage::setPageEnabled(bool on)
{
    enableAll({m_high, m_medium, m_low, m_caution, m_setDefault}, on);
}

void SecurityPage::followLevel()
{
    m_caution->setVisible(m_high->isChecked() || m_medium->isChecked());
}

#include "desktop/ui/protoconfig/l60_misc_page.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

L60MiscPage::L60MiscPage(QWidget *parent)
    : L60PageWidget("tabL60Miscellanous", parent)
{
    m_sensitivityGroup =
        group("grpL60MDSensitivity", caption(3058, "Motion Detection Sensitivity"), this);
    m_sensitivity = edit("L60MDSensitivity", m_sensitivityGroup);
    m_sensitivity->setText(QStringLiteral("1"));
    // The up-down control: one arrow up, one down; the flows keep the value in 1..255.
    m_upDown = new QWidget(m_sensitivityGroup);
    m_upDown->setObjectName(QStringLiteral("UpDownL60MDSensitivity"));
    auto *arrows = new QVBoxLayout(m_upDown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    const std::pair<const char *, Qt::ArrowType> steps[] = {
        {"UpDownL60MDSensitivityUp", Qt::UpArrow}, {"UpDownL60MDSensitivityDown", Qt::DownArrow}};
    for (const auto &step : steps) {
        auto *b = new QToolButton(m_upDown);
        b->setObjectName(QLatin1String(step.first));
        b->setArrowType(step.second);
        arrows->addWidget(b);
        const int delta = step.second == Qt::UpArrow ? 1 : -1;
        connect(b, &QToolButton::clicked, this, [this, delta] { emit sensitivityStepped(delta); });
    }
    auto *sensitivityRow = new QHBoxLayout(m_sensitivityGroup);
    sensitivityRow->addWidget(m_sensitivity);
    sensitivityRow->addWidget(m_upDown);
    sensitivityRow->addStretch(1);

    m_sourceGroup = group("grpL60DIOSource", caption(3059, "Digital Output Source"), this);
    m_source = new QComboBox(m_sourceGroup);
    m_source->setObjectName(QStringLiteral("cboL60DoSource"));
    m_source->addItems({QStringLiteral("None"), QStringLiteral("Motion Event"),
                        QStringLiteral("Digital Input"), QStringLiteral("All Method")});
    m_source->setCurrentIndex(-1);
    auto *sourceRow = new QHBoxLayout(m_sourceGroup);
    sourceRow->addWidget(m_source);
    sourceRow->addStretch(1);

    m_flashGroup = group("T50FlashGroup", caption(3060, "Software Upgrade"), this);
    auto *flash = new QVBoxLayout(m_flashGroup);
    flash->addWidget(label("lblL60FlashFile", caption(3061, "Flash Image File"), m_flashGroup));
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(edit("editL60FlashFile", m_flashGroup), 1);
    fileRow->addWidget(button("btnL60Browse", caption(3062, "Browse..."), m_flashGroup));
    m_startUpdate = button("btnL60StartUpdate", caption(3063, "Start Update"), m_flashGroup);
    fileRow->addWidget(m_startUpdate);
    flash->addLayout(fileRow);
    m_flashGroup->hide();

    QPushButton *factory =
        button("btnL60SetFactoryDefault", caption(3096, "Set Factory Default"), this);
    auto *factoryRow = new QHBoxLayout;
    factoryRow->addWidget(factory);
    factoryRow->addStretch(1);

    body()->addWidget(m_sensitivityGroup);
    body()->addWidget(m_sourceGroup);
    body()->addWidget(m_flashGroup);
    body()->addStretch(1);
    body()->addLayout(factoryRow);

    connect(m_sensitivity, &QLineEdit::textEdited, this, &L60MiscPage::sensitivityEdited);
    connect(m_source, &QComboBox::activated, this, &L60MiscPage::edited);
    connect(factory, &QPushButton::clicked, this, &L60MiscPage::factoryDefaultClicked);
}

void L60MiscPage::setSettings(const L60MiscSettings &s)
{
    fill(m_sensitivity, s.sensitivity);
    m_source->setCurrentIndex(s.sourceIndex);
}

L60MiscSettings L60MiscPage::settings() const
{
    return {m_sensitivity->text(), m_source->currentIndex()};
}

void L60MiscPage::setFieldsEnabled(bool on)
{
    for (QWidget *w : {static_cast<QWidget *>(m_sensitivity), m_upDown,
                       static_cast<QWidget *>(m_source)})
        w->setEnabled(on);
    const Colour colour = on ? Colour::Window : Colour::ButtonFace;
    paint(m_sensitivity, colour);
    paint(m_source, colour);
}

void L60MiscPage::setArrangement(L60MiscArrangement arrangement)
{
    const bool settings = arrangement == L60MiscArrangement::Settings;
    m_sensitivityGroup->setVisible(settings);
    m_sourceGroup->setVisible(settings);
    m_flashGroup->setVisible(!settings);
}

void L60MiscPage::setStartUpdateEnabled(bool on)
{
    m_startUpdate->setEnabled(on);
}

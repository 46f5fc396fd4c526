#include "desktop/ui/fileconfig/camera_control_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QByteArray controlName(const char *prefix, int channel, const char *suffix)
{
    return QByteArray(prefix) + QByteArray::number(channel) + QByteArray(suffix);
}

} // namespace

CameraControlPage::CameraControlPage(QWidget *parent)
    : FilePageWidget(FileTab::CameraControl, "tabCamControl", parent)
{
    static constexpr const char *titles[] = {"Camera #1", "Camera #2", "Camera #3",
                                             "Camera #4"};
    auto *grid = new QGridLayout;
    for (int i = 0; i < CameraControlSettings::Channels; ++i) {
        const int n = i + 1;
        Channel &c = m_channels[size_t(i)];
        auto *group = new QGroupBox(caption(3084 + i, titles[i]), this);
        group->setObjectName(QString::fromLatin1(controlName("grpCamConCam", n, "")));
        c.nameLabel = label(controlName("lblCamConCam", n, "Name").constData(),
                            caption(3088, "Camera Name", true));
        c.name = edit(controlName("editCamConCam", n, "Name").constData());
        c.name->setMaxLength(CameraControlSettings::AliasLimit);
        c.modelLabel = label(controlName("lblCamConCam", n, "Model").constData(),
                             caption(3089, "Camera Model(PTZ model)", true));
        c.model = new QComboBox(this);
        c.model->setObjectName(QString::fromLatin1(controlName("cboCamConCam", n, "Model")));
        connect(c.model, &QComboBox::activated, this, &FilePageWidget::edited);
        c.idLabel = label(controlName("lblCamConCam", n, "ID").constData(),
                          caption(3090, "Camera ID(Rx Address)", true));
        c.id = edit(controlName("editCamConCam", n, "ID").constData());

        auto *form = new QFormLayout(group);
        // Labels above their fields: beside the long labels the fields were left too
        // narrow to show a name or an ID.
        form->setRowWrapPolicy(QFormLayout::WrapAllRows);
        form->addRow(c.nameLabel, c.name);
        form->addRow(c.modelLabel, c.model);
        form->addRow(c.idLabel, c.id);
        grid->addWidget(group, i / 2, i % 2);
    }
    m_setDefault = setDefaultButton("SpeedButton5", 7);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_setDefault);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addStretch(1);

    setSettings({});
}

void CameraControlPage::setSettings(const CameraControlSettings &s)
{
    m_daemons = s.daemons;
    const QStringList items = QStringList{QStringLiteral("none")} + s.daemons;
    for (int i = 0; i < CameraControlSettings::Channels; ++i) {
        const Channel &c = m_channels[size_t(i)];
        const CameraChannel &values = s.channels[size_t(i)];
        c.name->setText(PageText::fromBytes(values.alias));
        c.id->setText(PageText::fromBytes(values.id));
        c.model->clear();
        c.model->addItems(items);
        c.model->setCurrentIndex(values.daemonIndex);
    }
    m_channelOne = s.channels[0];
    showChannelOne();
}

CameraControlSettings CameraControlPage::settings() const
{
    CameraControlSettings s;
    s.daemons = m_daemons;
    for (int i = 0; i < CameraControlSettings::Channels; ++i) {
        const Channel &c = m_channels[size_t(i)];
        CameraChannel &values = s.channels[size_t(i)];
        values.alias = PageText::toBytes(c.name->text());
        values.id = PageText::toBytes(c.id->text());
        values.daemonIndex = c.model->currentIndex();
    }
    // A locked channel 1 shows nothing, but its file keeps what it holds.
    if (!m_channelOneOpen) {
        s.channels[0].id = m_channelOne.id;
        s.channels[0].daemonIndex = m_channelOne.daemonIndex;
    }
    return s;
}

void CameraControlPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<CameraControlSettings>(&settings))
        setSettings(*s);
}

void CameraControlPage::setPageEnabled(bool on)
{
    m_pageEnabled = on;
    for (size_t i = 0; i < m_channels.size(); ++i) {
        const Channel &c = m_channels[i];
        enableAll({c.nameLabel, c.name}, on);
        if (i > 0)
            enableAll({c.modelLabel, c.model, c.idLabel, c.id}, on);
    }
    enableAll({m_setDefault}, on);
    enableChannelOne();
}

void CameraControlPage::setCameraTraits(const CameraTraits &traits)
{
    if (m_channelOneOpen == traits.channelOneModelBox)
        return;
    // Opening shows the loaded values again; locking keeps what the user typed aside.
    if (!m_channelOneOpen) {
        m_channelOneOpen = true;
    } else {
        const Channel &c = m_channels[0];
        m_channelOne.id = PageText::toBytes(c.id->text());
        m_channelOne.daemonIndex = c.model->currentIndex();
        m_channelOneOpen = false;
    }
    showChannelOne();
}

void CameraControlPage::showChannelOne()
{
    const Channel &c = m_channels[0];
    if (m_channelOneOpen) {
        c.id->setText(PageText::fromBytes(m_channelOne.id));
        c.model->setCurrentIndex(m_channelOne.daemonIndex);
    } else {
        c.id->clear();
        c.model->setCurrentIndex(-1);
    }
    enableChannelOne();
}

void CameraControlPage::enableChannelOne()
{
    const Channel &c = m_channels[0];
    enableAll({c.modelLabel, c.model, c.idLabel, c.id}, m_pageEnabled && m_channelOneOpen);
}

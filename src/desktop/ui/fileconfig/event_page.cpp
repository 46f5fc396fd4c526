#include "desktop/ui/fileconfig/event_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QStringList numbers(int first, int last)
{
    QStringList items;
    for (int n = first; n <= last; ++n)
        items << QString::number(n);
    return items;
}

} // namespace

EventPage::EventPage(QWidget *parent)
    : FilePageWidget(FileTab::EventServer, "tabEventServer", parent)
{
    auto *sourceGroup = groupBox(this, "grpEventInputOption", caption(3129, "Input Option"));
    m_radioDi = new QRadioButton(caption(3130, "Digital Input"), sourceGroup);
    m_radioDi->setObjectName(QStringLiteral("radioEventDi"));
    m_radioMotion = new QRadioButton(caption(3131, "H/W Motion Detect"), sourceGroup);
    m_radioMotion->setObjectName(QStringLiteral("radioEventMotion"));
    m_radioTimer = new QRadioButton(caption(3132, "Periodic Timer"), sourceGroup);
    m_radioTimer->setObjectName(QStringLiteral("radioEventTimer"));
    m_radioDi->setChecked(true);
    auto *sourceLayout = new QVBoxLayout(sourceGroup);
    sourceLayout->addWidget(m_radioDi);
    sourceLayout->addWidget(m_radioMotion);
    sourceLayout->addWidget(m_radioTimer);

    m_inputTimer = groupBox(this, "groupEventInput1", caption(3151, "Input Setting"));
    m_periodLabel = label("lblEventInputPeriod", caption(3152, "Period", true));
    m_period = edit("editEventInputPeriod");
    m_secondLabel = label("lblEventInputSecond", caption(3153, "Second"));
    auto *timerLayout = new QHBoxLayout(m_inputTimer);
    timerLayout->addWidget(m_periodLabel);
    timerLayout->addWidget(m_period, 1);
    timerLayout->addWidget(m_secondLabel);

    m_inputMotion = groupBox(this, "groupEventInput2", caption(3151, "Input Setting"));
    m_areaLabel = label("lblEventInputArea", caption(3154, "Detect Area", true));
    m_area = comboBox("cboEventnputArea",
                     {caption(3302, "Upper Screen Area"), caption(3303, "Center Screen Area"),
                      caption(3304, "Lower Screen Area"), caption(3305, "All Area")});
    m_sensitivityLabel =
        label("lblEventInputSensitivity", caption(3155, "Sensitivity ", true));
    m_sensitivity = comboBox("cboEventInputSensitivity",
                            numbers(2, 1 + EventSettings::SensitivityItems));
    auto *motionLayout = new QFormLayout(m_inputMotion);
    motionLayout->addRow(m_areaLabel, m_area);
    motionLayout->addRow(m_sensitivityLabel, m_sensitivity);

    const QStringList channels = numbers(1, EventSettings::CameraItems);

    auto *ftpGroup = groupBox(this, "grpEventFtp");
    m_ftpEnable = new QCheckBox(caption(3133, "FTP"), this);
    m_ftpEnable->setObjectName(QStringLiteral("chkEventFtpEnable"));
    m_ftpServerLabel = label("lblEventFtpServer", caption(3134, "Server", true));
    m_ftpServer = edit("editEventFtpServer");
    m_ftpPortLabel = label("lblEventFtpPort", caption(3135, "Port", true));
    m_ftpPort = edit("editEventFtpPort");
    m_ftpUserLabel = label("lblEventFtpID", caption(3136, "ID", true));
    m_ftpUser = edit("editEventFtpID");
    m_ftpPassLabel = label("lblEventFtpPass", caption(3137, "Password", true));
    m_ftpPass = edit("editEventFtpPass", true);
    m_ftpImageLabel = label("lblEventFtpImgName", caption(3138, "Image Name", true));
    m_ftpImage = edit("editEventFtpImgName");
    m_ftpCameraLabel = label("lblEventFtpCamera", caption(3139, "Camera", true));
    m_ftpCamera = comboBox("cboEventFtpCamera", channels);
    auto *ftpLayout = new QFormLayout(ftpGroup);
    ftpLayout->addRow(m_ftpEnable);
    ftpLayout->addRow(m_ftpServerLabel, m_ftpServer);
    ftpLayout->addRow(m_ftpPortLabel, m_ftpPort);
    ftpLayout->addRow(m_ftpUserLabel, m_ftpUser);
    ftpLayout->addRow(m_ftpPassLabel, m_ftpPass);
    ftpLayout->addRow(m_ftpImageLabel, m_ftpImage);
    ftpLayout->addRow(m_ftpCameraLabel, m_ftpCamera);

    auto *mailGroup = groupBox(this, "grpEventMail");
    m_mailEnable = new QCheckBox(caption(3140, "E-Mail"), this);
    m_mailEnable->setObjectName(QStringLiteral("chkEventMailEnable"));
    m_mailServerLabel = label("lblEventMailServer", caption(3141, "SMTP Server", true));
    m_mailServer = edit("editEventMailServer");
    m_mailPortLabel = label("lblEventMailPort", caption(3142, "SMTP Port", true));
    m_mailPort = edit("editEventMailPort");
    m_mailTitleLabel = label("lblEventMailTitle", caption(3143, "Message Title", true));
    m_mailTitle = edit("editEventMailTitle");
    m_mailFromLabel = label("lblEventMailFrom", caption(3144, "From", true));
    m_mailFrom = edit("editEventMailFrom");
    m_mailToLabel = label("lblEventMailTo", caption(3145, "To", true));
    m_mailTo = edit("editEventMailTo");
    m_mailCameraLabel = label("lblEventMailCamera", caption(3139, "Camera", true));
    m_mailCamera = comboBox("cboEventMailCamera", channels);
    auto *mailLayout = new QFormLayout(mailGroup);
    mailLayout->addRow(m_mailEnable);
    mailLayout->addRow(m_mailServerLabel, m_mailServer);
    mailLayout->addRow(m_mailPortLabel, m_mailPort);
    mailLayout->addRow(m_mailTitleLabel, m_mailTitle);
    mailLayout->addRow(m_mailFromLabel, m_mailFrom);
    mailLayout->addRow(m_mailToLabel, m_mailTo);
    mailLayout->addRow(m_mailCameraLabel, m_mailCamera);
    // Addresses want room: where a group is too narrow for one beside its label, the
    // field goes under the label at the group's whole width instead of cutting it.
    for (QLineEdit *address : {m_ftpServer, m_mailServer, m_mailFrom, m_mailTo})
        address->setMinimumWidth(address->fontMetrics().averageCharWidth() * 26);
    ftpLayout->setRowWrapPolicy(QFormLayout::WrapLongRows);
    mailLayout->setRowWrapPolicy(QFormLayout::WrapLongRows);

    auto *notifyGroup = groupBox(this, "grpEventNotify");
    m_notifyEnable = new QCheckBox(caption(3146, "Notification"), this);
    m_notifyEnable->setObjectName(QStringLiteral("chkEventNotifyEnable"));
    m_notifyToLabel = label("lblEventNotifyTo", caption(3147, "Notify To", true));
    m_notifyTo = edit("editEventNotifyTo");
    m_notifyCameraLabel = label("lblEventNotifyCamera", caption(3148, "Notify Camera", true));
    m_notifyCamera = comboBox("cboEventNotifyCamera", channels);
    auto *notifyLayout = new QFormLayout(notifyGroup);
    notifyLayout->addRow(m_notifyEnable);
    notifyLayout->addRow(m_notifyToLabel, m_notifyTo);
    notifyLayout->addRow(m_notifyCameraLabel, m_notifyCamera);

    auto *outputGroup = groupBox(this, "grpEventDo");
    m_outputEnable = new QCheckBox(caption(3149, "Digital Output"), this);
    m_outputEnable->setObjectName(QStringLiteral("chkDoEnable"));
    m_outputTimeLabel = label("lblDoOutTime", caption(3150, "Out Time(Seconds)", true));
    m_outputTime = edit("editDoOutTime");
    auto *outputLayout = new QFormLayout(outputGroup);
    outputLayout->addRow(m_outputEnable);
    outputLayout->addRow(m_outputTimeLabel, m_outputTime);

    m_setDefault = setDefaultButton("SpeedButton3", 5);

    auto *input = new QVBoxLayout;
    input->addWidget(m_inputTimer);
    input->addWidget(m_inputMotion);
    input->addStretch(1);
    auto *actions = new QGridLayout;
    actions->addWidget(sourceGroup, 0, 0);
    actions->addLayout(input, 0, 1);
    actions->addWidget(ftpGroup, 1, 0);
    actions->addWidget(mailGroup, 1, 1);
    actions->addWidget(notifyGroup, 2, 0);
    actions->addWidget(outputGroup, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_setDefault);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(actions);
    layout->addLayout(buttons);
    layout->addStretch(1);

    for (QCheckBox *box : {m_ftpEnable, m_mailEnable, m_notifyEnable, m_outputEnable}) {
        connect(box, &QCheckBox::clicked, this, [this] {
            followSwitches();
            emit edited();
        });
    }
    // Choosing a source discards the page's edits: the flow loads that source's file.
    const auto choose = [this](QRadioButton *radio, EventSource source) {
        connect(radio, &QRadioButton::clicked, this, [this, source] {
            showInputGroup();
            emit sourceChosen(source);
        });
    };
    choose(m_radioDi, EventSource::DigitalInput);
    choose(m_radioMotion, EventSource::Motion);
    choose(m_radioTimer, EventSource::Timer);

    showInputGroup();
    followSwitches();
}

void EventPage::setSettings(const EventPageSettings &s)
{
    selectSource(s.source);
    const EventSettings &v = s.values;
    m_area->setCurrentIndex(v.areaIndex);
    m_sensitivity->setCurrentIndex(v.sensitivityIndex);
    m_period->setText(PageText::fromBytes(v.period));

    m_outputEnable->setChecked(v.outputEnabled);
    m_outputTime->setText(PageText::fromBytes(v.outputTime));

    m_ftpEnable->setChecked(v.ftpEnabled);
    m_ftpServer->setText(PageText::fromBytes(v.ftpServer));
    m_ftpPort->setText(PageText::fromBytes(v.ftpPort));
    m_ftpUser->setText(PageText::fromBytes(v.ftpUser));
    m_ftpPass->setText(PageText::fromBytes(v.ftpPassword));
    m_ftpImage->setText(PageText::fromBytes(v.ftpImageName));
    m_ftpCamera->setCurrentIndex(v.ftpCameraIndex);

    m_mailEnable->setChecked(v.mailEnabled);
    m_mailServer->setText(PageText::fromBytes(v.mailServer));
    m_mailPort->setText(PageText::fromBytes(v.mailPort));
    m_mailTitle->setText(PageText::fromBytes(v.mailSubject));
    m_mailFrom->setText(PageText::fromBytes(v.mailFrom));
    m_mailTo->setText(PageText::fromBytes(v.mailTo));
    m_mailCamera->setCurrentIndex(v.mailCameraIndex);

    m_notifyEnable->setChecked(v.notifyEnabled);
    m_notifyTo->setText(PageText::fromBytes(v.notifyServer));
    m_notifyCamera->setCurrentIndex(v.notifyCameraIndex);

    followSwitches();
}

EventPageSettings EventPage::settings() const
{
    EventPageSettings s;
    s.source = shownSource();
    EventSettings &v = s.values;
    v.areaIndex = m_area->currentIndex();
    v.sensitivityIndex = m_sensitivity->currentIndex();
    v.period = PageText::toBytes(m_period->text());

    v.outputEnabled = m_outputEnable->isChecked();
    v.outputTime = PageText::toBytes(m_outputTime->text());

    v.ftpEnabled = m_ftpEnable->isChecked();
    v.ftpServer = PageText::toBytes(m_ftpServer->text());
    v.ftpPort = PageText::toBytes(m_ftpPort->text());
    v.ftpUser = PageText::toBytes(m_ftpUser->text());
    v.ftpPassword = PageText::toBytes(m_ftpPass->text());
    v.ftpImageName = PageText::toBytes(m_ftpImage->text());
    v.ftpCameraIndex = m_ftpCamera->currentIndex();

    v.mailEnabled = m_mailEnable->isChecked();
    v.mailServer = PageText::toBytes(m_mailServer->text());
    v.mailPort = PageText::toBytes(m_mailPort->text());
    v.mailSubject = PageText::toBytes(m_mailTitle->text());
    v.mailFrom = PageText::toBytes(m_mailFrom->text());
    v.mailTo = PageText::toBytes(m_mailTo->text());
    v.mailCameraIndex = m_mailCamera->currentIndex();

    v.notifyEnabled = m_notifyEnable->isChecked();
    v.notifyServer = PageText::toBytes(m_notifyTo->text());
    v.notifyCameraIndex = m_notifyCamera->currentIndex();
    return s;
}

void EventPage::setPageSettings(const PageSettings &settings)
{
    if (const auto *s = std::get_if<EventPageSettings>(&settings))
        setSettings(*s);
}

void EventPage::setPageEnabled(bool on)
{
    m_pageEnabled = on;
    // A page without credentials must not load another source either.
    enableAll({m_radioDi, m_radioTimer, m_periodLabel, m_period, m_secondLabel, m_areaLabel,
               m_area, m_sensitivityLabel, m_sensitivity, m_ftpEnable, m_mailEnable,
               m_notifyEnable, m_outputEnable, m_setDefault},
              on);
    m_radioMotion->setEnabled(on && m_motionDetection);
    followSwitches();
}

void EventPage::setCameraTraits(const CameraTraits &traits)
{
    m_motionDetection = traits.motionDetection;
    m_radioMotion->setEnabled(m_pageEnabled && m_motionDetection);
}

EventSource EventPage::shownSource() const
{
    if (m_radioMotion->isChecked())
        return EventSource::Motion;
    if (m_radioTimer->isChecked())
        return EventSource::Timer;
    return EventSource::DigitalInput;
}

void EventPage::selectSource(EventSource source)
{
    switch (source) {
    case EventSource::DigitalInput:
        m_radioDi->setChecked(true);
        break;
    case EventSource::Motion:
        m_radioMotion->setChecked(true);
        break;
    case EventSource::Timer:
        m_radioTimer->setChecked(true);
        break;
    }
    showInputGroup();
}

void EventPage::showInputGroup()
{
    // Digital input has no input settings; the hidden group takes no room in the layout.
    const EventSource source = shownSource();
    m_inputTimer->setVisible(source == EventSource::Timer);
    m_inputMotion->setVisible(source == EventSource::Motion);
}

void EventPage::followSwitches()
{
    const auto follow = [this](QCheckBox *box, std::initializer_list<QWidget *> fields) {
        enableAll(fields, m_pageEnabled && box->isChecked());
    };
    follow(m_ftpEnable, {m_ftpServerLabel, m_ftpServer, m_ftpPortLabel, m_ftpPort,
                         m_ftpUserLabel, m_ftpUser, m_ftpPassLabel, m_ftpPass, m_ftpImageLabel,
                         m_ftpImage, m_ftpCameraLabel, m_ftpCamera});
    follow(m_mailEnable, {m_mailServerLabel, m_mailServer, m_mailPortLabel, m_mailPort,
                          m_mailTitleLabel, m_mailTitle, m_mailFromLabel, m_mailFrom,
                          m_mailToLabel, m_mailTo, m_mailCameraLabel, m_mailCamera});
    follow(m_notifyEnable,
           {m_notifyToLabel, m_notifyTo, m_notifyCameraLabel, m_notifyCamera});
    follow(m_outputEnable, {m_outputTimeLabel, m_outputTime});
}

#pragma once

#include "desktop/ui/fileconfig/file_page_widget.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The Event Server tab (tabEventServer): one event source's file at a time, chosen by
// the three source buttons, with its FTP, e-mail, notification and output actions.
class EventPage final : public FilePageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EventPage)

public:
    explicit EventPage(QWidget *parent = nullptr);

    // Selects the source's button and shows its input settings.
    void setSettings(const EventPageSettings &settings);
    EventPageSettings settings() const;

    PageSettings pageSettings() const override { return settings(); }
    void setPageSettings(const PageSettings &settings) override;
    void setPageEnabled(bool on) override;
    // Cameras without motion detection cannot choose that source.
    void setCameraTraits(const CameraTraits &traits) override;

signals:
    // A source button was clicked: its file is to be loaded into the page. Not an edit.
    void sourceChosen(EventSource source);

private:
    EventSource shownSource() const;
    void selectSource(EventSource source);
    void showInputGroup();
    // The four check-box handlers: each box's fields follow it.
    void followSwitches();

    QRadioButton *m_radioDi, *m_radioMotion, *m_radioTimer;
    QGroupBox *m_inputTimer, *m_inputMotion;
    QLabel *m_periodLabel, *m_secondLabel, *m_areaLabel, *m_sensitivityLabel;
    QLineEdit *m_period;
    QComboBox *m_area, *m_sensitivity;

    QCheckBox *m_ftpEnable;
    QLabel *m_ftpServerLabel, *m_ftpPortLabel, *m_ftpUserLabel, *m_ftpPassLabel,
        *m_ftpImageLabel, *m_ftpCameraLabel;
    QLineEdit *m_ftpServer, *m_ftpPort, *m_ftpUser, *m_ftpPass, *m_ftpImage;
    QComboBox *m_ftpCamera;

    QCheckBox *m_mailEnable;
    QLabel *m_mailServerLabel, *m_mailPortLabel, *m_mailTitleLabel, *m_mailFromLabel,
        *m_mailToLabel, *m_mailCameraLabel;
    QLineEdit *m_mailServer, *m_mailPort, *m_mailTitle, *m_mailFrom, *m_mailTo;
    QComboBox *m_mailCamera;

    QCheckBox *m_notifyEnable;
    QLabel *m_notifyToLabel, *m_notifyCameraLabel;
    QLineEdit *m_notifyTo;
    QComboBox *m_notifyCamera;

    QCheckBox *m_outputEnable;
    QLabel *m_outputTimeLabel;
    QLineEdit *m_outputTime;

    QPushButton *m_setDefault;
    bool m_pageEnabled = true;
    bool m_motionDetection = true;
};

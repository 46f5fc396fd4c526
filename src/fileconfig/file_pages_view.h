#pragma once

#include "fileconfig/page_settings.h"

#include <QString>

// What the Network Info and Host Name pages show of the camera besides its settings.
struct RecordDetails {
    QString mac;          // the row's MAC text
    QString modelName;
    bool domain = false;  // the camera announces a domain name (flags bit 0)

    bool operator==(const RecordDetails &) const = default;
};

// What the logic of a file-configured camera's pages asks of its widgets. The window's
// page control implements it; tests give a recording one.
class FilePagesView
{
public:
    virtual ~FilePagesView() = default;

    // What the tab's controls hold now, and filling them (no change mark follows).
    virtual PageSettings shownSettings(FileTab tab) const = 0;
    virtual void showSettings(FileTab tab, const PageSettings &settings) = 0;
    // The page enabler: edits, check boxes, labels and the Set Default button.
    virtual void setPageEnabled(FileTab tab, bool on) = 0;
    // Controls that depend on the model or on audio (motion source, channel 1's PTZ
    // model box, the audio caution).
    virtual void setCameraTraits(const CameraTraits &traits) = 0;
    virtual void setRecordDetails(const RecordDetails &details) = 0;
    virtual void setCurrentTab(FileTab tab) = 0;
    // btnSave and btnRestore; btnAccountSave and btnAccountRestore.
    virtual void setSaveButtonsEnabled(bool on) = 0;
    virtual void setAccountButtonsEnabled(bool on) = 0;
    // LabelPasswordResult of the account page.
    virtual void setPasswordResult(const QString &text) = 0;
    // Focuses the named control when it is visible and enabled.
    virtual void focusControl(const QString &name) = 0;
};

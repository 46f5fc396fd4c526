#pragma once

#include "desktop/ui/protoconfig/l60_page_widget.h"
#include "protoconfig/l60_pages_view.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

// Page 3 (tabL60Miscellanous): motion-detection sensitivity with its up-down control,
// the digital-output source, the software upgrade group and Set Factory Default. One
// arrangement shows the two settings groups, the other the upgrade group.
class L60MiscPage final : public L60PageWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60MiscPage)

public:
    explicit L60MiscPage(QWidget *parent = nullptr);

    // Fills the controls; no signal is emitted for it. edited(): a source was chosen.
    void setSettings(const L60MiscSettings &settings);
    L60MiscSettings settings() const;
    // The sensitivity edit, its up-down control and the source list.
    void setFieldsEnabled(bool on);
    void setArrangement(L60MiscArrangement arrangement);
    void setStartUpdateEnabled(bool on);

signals:
    void sensitivityEdited();
    // The up-down control: +1 or -1.
    void sensitivityStepped(int delta);
    void factoryDefaultClicked();

private:
    QGroupBox *m_sensitivityGroup = nullptr, *m_sourceGroup = nullptr, *m_flashGroup = nullptr;
    QLineEdit *m_sensitivity = nullptr;
    QWidget *m_upDown = nullptr;
    QComboBox *m_source = nullptr;
    QPushButton *m_startUpdate = nullptr;
};

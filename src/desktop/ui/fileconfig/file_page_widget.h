#pragma once

#include "fileconfig/page_settings.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// One tab of a file-configured camera's page control. Each page also offers typed
// setSettings()/settings(); these are the same through the shared PageSettings type so
// that the page control can treat every tab alike.
class FilePageWidget : public QWidget
{
    Q_OBJECT

public:
    FilePageWidget(FileTab tab, const char *objectName, QWidget *parent = nullptr);

    FileTab tab() const { return m_tab; }

    virtual PageSettings pageSettings() const = 0;
    // Fills the controls; edited() is not emitted for it.
    virtual void setPageSettings(const PageSettings &settings) = 0;
    // The page enabler: the page's edits, check boxes, labels and its Set Default
    // button; edits in the window colour when on, the button-face colour when off.
    virtual void setPageEnabled(bool on) = 0;
    virtual void setCameraTraits(const CameraTraits &traits) { Q_UNUSED(traits); }

signals:
    // The user changed a control of the page.
    void edited();
    // A Set Default button was clicked: the reset scope it asks for.
    void resetRequested(int scope);

protected:
    // Helpers for the pages' construction.
    static QString caption(int id, const char *fallback, bool colon = false);
    QLabel *label(const char *name, const QString &text);
    QLineEdit *edit(const char *name, bool secret = false);
    // A drop-down list of items with none chosen; choosing one marks the page edited.
    QComboBox *comboBox(const char *name, const QStringList &items);
    static QGroupBox *groupBox(QWidget *parent, const char *name, const QString &title = {});
    // A Set Default button sending `scope`.
    QPushButton *setDefaultButton(const char *name, int scope, const QString &text = {});
    // Window colour when on, button-face colour when off.
    static void paintEdit(QWidget *edit, bool on);
    // Enables the widgets and paints the edits among them.
    static void enableAll(std::initializer_list<QWidget *> widgets, bool on);

private:
    FileTab m_tab;
};

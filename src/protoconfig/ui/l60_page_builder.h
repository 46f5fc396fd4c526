#pragma once

#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// Small helpers that place the named controls of the L60 pages at fixed positions, as
// the pages were laid out for the window's page area.
namespace L60Ui {

// A caption of the string table, with " : " when it labels a value.
QString caption(int id, const char *fallback, bool colon = false);
QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y, int w = 130);
QLineEdit *edit(QWidget *parent, const char *name, int x, int y, int w = 170, bool secret = false);
QPushButton *button(QWidget *parent, const char *name, const QString &text, int x, int y,
                    int w = 82, bool flat = true);
QRadioButton *radio(QWidget *parent, const char *name, const QString &text, int x, int y, int w = 100);
QGroupBox *group(QWidget *parent, const char *name, const QString &title, int x, int y, int w, int h);

} // namespace L60Ui

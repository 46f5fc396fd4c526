#pragma once

#include <QWidget>

class QBoxLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

// One page of the L60 page control. Each page offers typed setSettings()/settings();
// the base holds what the four share: a top row whose right end carries a page's Save
// and Restore buttons, the builders of its named controls and the colours of fields.
class L60PageWidget : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60PageWidget)

public:
    L60PageWidget(const char *objectName, QWidget *parent = nullptr);

    // Moves the page-wide Save and Restore buttons to the right end of the top row.
    void placeSaveButtons(QPushButton *save, QPushButton *restore);

    static QString caption(int id, const char *fallback, bool colon = false);
    static QPushButton *button(const char *name, const QString &text, QWidget *parent);

signals:
    // The user changed a control of the page whose change the flows follow.
    void edited();

protected:
    enum class Colour { Window, InactiveBorder, ButtonFace };

    // Left of the buttons in the top row, and the page below it.
    QHBoxLayout *topRow() const { return m_topRow; }
    QVBoxLayout *body() const { return m_body; }
    // Where the Save and Restore buttons of the page go.
    QBoxLayout *buttonRow() const;

    static QLabel *label(const char *name, const QString &text, QWidget *parent);
    static QLineEdit *edit(const char *name, QWidget *parent, bool secret = false);
    static QRadioButton *radio(const char *name, const QString &text, QWidget *parent);
    static QGroupBox *group(const char *name, const QString &title, QWidget *parent);
    static void paint(QWidget *field, Colour colour);
    // Leaves an edit that already holds the text alone: its cursor and undo stay.
    static void fill(QLineEdit *edit, const QString &text);

private:
    QVBoxLayout *m_body;
    QHBoxLayout *m_topRow;
    QHBoxLayout *m_buttons;
};

#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// Colours of states taken from the palette in use, so that they read under a dark theme
// as under a light one: a wanted hue is made lighter or darker until its text stands out
// from the background by the contrast ratio that small text needs.
class ThemeColours final
{
public:
    static constexpr double kTextContrast = 4.5;

    // Relative luminance (0 black .. 1 white) and the contrast ratio of two colours
    // (1 .. 21), as accessibility guidelines define them.
    static double luminance(const QColor &colour);
    static double contrast(const QColor &a, const QColor &b);
    // wanted itself when it reads on background; else its hue made darker (on a light
    // background) or lighter (on a dark one) until it does.
    static QColor readable(const QColor &wanted, const QColor &background,
                           double ratio = kTextContrast);

    // Rows and texts that warn (an address in doubt, a refusal).
    static QColor warningText(const QPalette &palette);
    static QColor errorText(const QPalette &palette);
    // Rows that did not answer: greyed, but still readable.
    static QColor silentText(const QPalette &palette);

    // An edit's field: editable fields get the palette's base (and its disabled base on
    // a disabled page), shown-only ones the window's colour in every state.
    static void paintField(QWidget *field, bool editable);
};

#include "desktop/ui/theme_colours.h"

#include <QGuiApplication>
#include <QWidget>

#include <cmath>

namespace {

double channel(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double ThemeColours::luminance(const QColor &colour)
{
    const QColor c = colour.toRgb();
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double ThemeColours::contrast(const QColor &a, const QColor &b)
{
    const double x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

QColor ThemeColours::readable(const QColor &wanted, const QColor &background, double ratio)
{
    if (contrast(wanted, background) >= ratio)
        return wanted;
    // Towards black on a light background, towards white on a dark one; the hue and
    // saturation stay, so the warning still looks like the warning.
    const bool darken = luminance(background) > 0.18;
    const QColor hsl = wanted.toHsl();
    float h = 0, s = 0, l = 0, a = 0;
    hsl.getHslF(&h, &s, &l, &a);
    QColor best = darken ? QColor(Qt::black) : QColor(Qt::white);
    for (int step = 1; step <= 100; ++step) {
        const float next = darken ? l * (1.0f - step / 100.0f) : l + (1.0f - l) * (step / 100.0f);
        const QColor candidate = QColor::fromHslF(h, s, next, a);
        if (contrast(candidate, background) >= ratio) {
            best = candidate;
            break;
        }
    }
    return best.toRgb();
}

QColor ThemeColours::warningText(const QPalette &palette)
{
    return readable(QColor(0xb0, 0x3a, 0x00), palette.color(QPalette::Active, QPalette::Base));
}

QColor ThemeColours::errorText(const QPalette &palette)
{
    return readable(QColor(0xd0, 0x00, 0x00), palette.color(QPalette::Active, QPalette::Window));
}

QColor ThemeColours::silentText(const QPalette &palette)
{
    return readable(palette.color(QPalette::Disabled, QPalette::Text),
                    palette.color(QPalette::Active, QPalette::Base));
}

void ThemeColours::paintField(QWidget *field, bool editable)
{
    const QPalette theme = QGuiApplication::palette();
    QPalette p = field->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        // A disabled field keeps the theme's disabled base: a white box on a greyed page
        // looks as if it could be typed in.
        const QPalette::ColorGroup from = editable ? g : QPalette::Active;
        const QColor base = editable ? theme.color(from, QPalette::Base) : theme.color(from, QPalette::Window);
        p.setColor(g, QPalette::Base, base);
        // A greyed value must still be read (a camera's DNS server on a page that waits
        // for its login): the theme's disabled text, made readable on that base.
        const QColor text = theme.color(g, QPalette::Text);
        p.setColor(g, QPalette::Text, g == QPalette::Disabled ? readable(text, base) : text);
    }
    field->setPalette(p);
}

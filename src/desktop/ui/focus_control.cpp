#include "desktop/ui/focus_control.h"

#include <QWidget>

void FocusControl(QWidget *control)
{
    if (control && control->isVisible() && control->isEnabled()
        && control->focusPolicy() != Qt::NoFocus)
        control->setFocus(Qt::OtherFocusReason);
}

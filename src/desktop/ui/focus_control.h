#pragma once

class QWidget;

// Gives the control the keyboard focus only when it exists, is visible and can take it.
void FocusControl(QWidget *control);

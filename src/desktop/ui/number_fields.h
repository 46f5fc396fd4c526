#pragma once

class QWidget;

// The settings pages' number fields take only what a number is made of: a letter typed
// into a port is refused at the key rather than by a message at Save. The pages' checks
// stay, for values that arrive from a camera's files.
class NumberFields final
{
public:
    // Every number field under root, by its object name.
    static void restrict(QWidget *root);
};

#pragma once

#include <QWidget>

// One page of the L60 settings: its named controls at their places; the L60 category
// binds them to L60Pages.
class L60AccountPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60AccountPage)

public:
    explicit L60AccountPage(QWidget *parent = nullptr);
};

#pragma once

#include <QWidget>

// One page of the L60 settings: its named controls at their places; the L60 category
// binds them to L60Pages.
class L60NetworkPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60NetworkPage)

public:
    explicit L60NetworkPage(QWidget *parent = nullptr);
};

#pragma once

#include "base/messenger.h"

class QWidget;

// Real message boxes, owned by the given window.
class WidgetMessenger final : public Messenger
{
public:
    explicit WidgetMessenger(QWidget *owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget *owner) { m_owner = owner; }
    int show(const QString &text, const QString &caption, Style style) override;

private:
    QWidget *m_owner;
};

#pragma once

#include <QWidget>

// The status bar's activity lamp: an idle lamp with a send and a receive overlay.
class BusyLamp final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BusyLamp)

public:
    explicit BusyLamp(QWidget *parent = nullptr);
    void setLit(bool send, bool receive);
    bool sendLit() const { return m_send; }
    bool receiveLit() const { return m_receive; }
    QSize sizeHint() const override { return {16, 15}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_send = false;
    bool m_receive = false;
};

#include "desktop/ui/busy_lamp.h"

#include <QPainter>

BusyLamp::BusyLamp(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("BusyImage"));
    setFixedSize(16, 15);
}

void BusyLamp::setLit(bool send, bool receive)
{
    if (send == m_send && receive == m_receive)
        return;
    m_send = send;
    m_receive = receive;
    update();
}

void BusyLamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(QColor(0x60, 0x60, 0x60));
    p.drawEllipse(QRectF(1.5, 1.5, 12, 12));
    // The overlays: send lights the left half green, receive the right half orange.
    if (m_send) {
        p.setBrush(QColor(0x30, 0xd0, 0x30));
        p.drawPie(QRectF(1.5, 1.5, 12, 12), 90 * 16, 180 * 16);
    }
    if (m_receive) {
        p.setBrush(QColor(0xff, 0x90, 0x20));
        p.drawPie(QRectF(1.5, 1.5, 12, 12), -90 * 16, 180 * 16);
    }
}

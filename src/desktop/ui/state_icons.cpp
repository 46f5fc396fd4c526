#include "desktop/ui/state_icons.h"

#include "protocol/camera_list.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace {

QIcon draw(const QColor &fill, const QString &mark)
{
    QPixmap pix(16, 16);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(fill.darker(150));
    p.setBrush(fill);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pix.rect(), Qt::AlignCenter, mark);
    return QIcon(pix);
}

} // namespace

QIcon CameraStateIcon(int state)
{
    static QHash<int, QIcon> icons;
    if (icons.isEmpty()) {
        icons.insert(CameraList::Restarting, draw(QColor(0xe0, 0x90, 0x10), QStringLiteral("R")));
        icons.insert(CameraList::NotFound, draw(QColor(0x90, 0x90, 0x90), QStringLiteral("?")));
        icons.insert(CameraList::Lost, draw(QColor(0xc0, 0x20, 0x20), QStringLiteral("!")));
        icons.insert(CameraList::Waiting, draw(QColor(0x30, 0x70, 0xc0), QStringLiteral("…")));
        icons.insert(CameraList::Upgrading, draw(QColor(0x80, 0x30, 0xa0), QStringLiteral("U")));
        icons.insert(CameraList::Updating, draw(QColor(0x20, 0x90, 0x80), QStringLiteral("u")));
    }
    return icons.value(state);
}

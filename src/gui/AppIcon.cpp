#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    // Rounded tile.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(47, 111, 115));
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    // Sun.
    painter.setBrush(QColor(250, 214, 120));
    painter.drawEllipse(QPointF(42, 22), 9, 9);
    // Mountains.
    QPainterPath far;
    far.moveTo(4, 50);
    far.lineTo(24, 26);
    far.lineTo(36, 40);
    far.lineTo(46, 32);
    far.lineTo(60, 50);
    far.lineTo(60, 60);
    far.lineTo(4, 60);
    far.closeSubpath();
    painter.setBrush(QColor(199, 227, 227));
    painter.drawPath(far);
    QPainterPath near;
    near.moveTo(4, 60);
    near.lineTo(4, 54);
    near.lineTo(18, 44);
    near.lineTo(32, 54);
    near.lineTo(44, 48);
    near.lineTo(60, 58);
    near.lineTo(60, 60);
    near.closeSubpath();
    painter.setBrush(QColor(255, 255, 255));
    painter.drawPath(near);
    return pixmap;
}

} // namespace

QIcon MakeAppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(DrawIcon(size));
    return icon;
}

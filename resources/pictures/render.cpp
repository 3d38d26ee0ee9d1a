#include "resources/pictures/render.h"

#include <QPainter>

QPixmap renderPixmap(QSize logicalSize, qreal devicePixelRatio,
                     const std::function<void(QPainter &)> &paint)
{
    QPixmap pixmap(logicalSize * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    paint(painter);
    return pixmap;
}

#include "resources/pictures/render.h"

#include <QPainter>

QPixmap renderPixmap(QSize logicalSize, qreal devicePixelRatio,
                     const std::function<void(QPainter &)> &paint)
{
    if (logicalSize.isEmpty())
        return QPixmap();
    // A ratio that makes no sense (zero, negative, not a number) draws at plain size.
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(logicalSize * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    paint(painter);
    return pixmap;
}

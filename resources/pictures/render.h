#pragma once

#include <QPixmap>
#include <functional>

class QPainter;

// A transparent pixmap of `logicalSize` at `devicePixelRatio`, painted by `paint` in logical
// pixels with smooth edges, so every picture is sharp on the screen it is made for.
QPixmap renderPixmap(QSize logicalSize, qreal devicePixelRatio,
                     const std::function<void(QPainter &)> &paint);

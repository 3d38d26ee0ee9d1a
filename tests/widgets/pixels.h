#pragma once

#include <QImage>
#include <QScreen>
#include <QWidget>

#include <ostream>

// Pixel helpers for the widget tests.
namespace pixels {

// What is on the screen now in the widget's place, without painting anything anew.
inline QImage onScreen(QWidget *widget)
{
    QWidget *window = widget->window();
    const QImage whole = window->screen()->grabWindow(window->winId()).toImage();
    return whole.copy(QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()))
        .convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle inside `area` holding every pixel that differs from `background`.
inline QRect inkBox(const QImage &image, const QColor &background, const QRect &area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) != background)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

inline int count(const QImage &image, const QColor &color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == color ? 1 : 0;
    }
    return n;
}

} // namespace pixels

// Readable rectangles in failure messages.
inline void PrintTo(const QRect &r, std::ostream *out)
{
    *out << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

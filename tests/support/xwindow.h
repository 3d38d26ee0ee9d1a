#pragma once

#include <QImage>
#include <QMargins>
#include <QRect>
#include <QString>

class XServer;

// A top-level window as the X server sees it: its client area on the screen and the frame
// the window manager put around it (none without one).
struct XWindowGeometry {
    QRect client;
    QMargins frame;

    QRect outer() const { return client.marginsAdded(frame); }
};

// The geometry of window `id` on `x`; an empty client when it cannot be read.
XWindowGeometry readWindowGeometry(const XServer &x, const QString &id);
// What window `id` shows now, as the X server has it; a null image when it cannot be read.
QImage grabWindow(const XServer &x, const QString &id);

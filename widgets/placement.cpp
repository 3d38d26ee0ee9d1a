#include "widgets/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// Until its first showing a window knows nothing of its frame; the owner's frame is the
// best guess then.
QMargins frameMargins(const QWidget *window, const QWidget *owner)
{
    for (const QWidget *w : {window, owner}) {
        if (w && w->windowHandle() && !w->windowHandle()->frameMargins().isNull())
            return w->windowHandle()->frameMargins();
    }
    return {};
}

// Moves `outer` just enough to lie within the available area of the screen it is centred on,
// its top left corner first when it is larger than that area.
QRect withinScreen(QRect outer)
{
    const QScreen *screen = QGuiApplication::screenAt(outer.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    outer.moveRight(std::min(outer.right(), area.right()));
    outer.moveBottom(std::min(outer.bottom(), area.bottom()));
    outer.moveLeft(std::max(outer.left(), area.left()));
    outer.moveTop(std::max(outer.top(), area.top()));
    return outer;
}

} // namespace

void showCentredOver(QWidget *window, QWidget *owner)
{
    if (!window->isVisible()) {
        const QRect over =
            owner ? owner->frameGeometry() : QGuiApplication::primaryScreen()->availableGeometry();
        QRect outer(QPoint(), window->size().grownBy(frameMargins(window, owner)));
        outer.moveCenter(over.center());
        window->move(withinScreen(outer).topLeft());
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

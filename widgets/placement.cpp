#include "widgets/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

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

} // namespace

void showCentredOver(QWidget *window, QWidget *owner)
{
    if (!window->isVisible()) {
        const QRect over =
            owner ? owner->frameGeometry() : QGuiApplication::primaryScreen()->availableGeometry();
        QRect outer(QPoint(), window->size().grownBy(frameMargins(window, owner)));
        outer.moveCenter(over.center());
        window->move(outer.topLeft());
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

#include "app/windowplacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// How long after the first showing the window manager may still report its frame.
constexpr int frameSettleMs = 2000;

} // namespace

WindowPlacement::WindowPlacement(QWidget *window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
}

QRect WindowPlacement::outerGeometry() const
{
    return m_window->frameGeometry();
}

void WindowPlacement::setOuterGeometry(const QRect &outer)
{
    m_wanted = outer;
    apply();
}

QMargins WindowPlacement::frameMargins() const
{
    const QWindow *handle = m_window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

void WindowPlacement::apply()
{
    m_appliedMargins = frameMargins();
    const QMargins &m = m_appliedMargins;
    m_window->move(m_wanted.topLeft());
    m_window->resize(m_wanted.width() - m.left() - m.right(),
                     m_wanted.height() - m.top() - m.bottom());
}

bool WindowPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        QTimer::singleShot(frameSettleMs, this, [this] { m_settled = true; });
        [[fallthrough]];
    case QEvent::Move:
    case QEvent::Resize:
        if (!m_settled && m_window->windowHandle() && frameMargins() != m_appliedMargins) {
            m_settled = true;
            apply();
        }
        break;
    default:
        break;
    }
    return false;
}

QRect WindowPlacement::capped(const QRect &outer)
{
    const QScreen *screen = QGuiApplication::screenAt(outer.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QSize most = screen->size() * 4;
    return {outer.topLeft(), outer.size().boundedTo(most)};
}

QRect WindowPlacement::fitForClosing(const QRect &workArea)
{
    const QRect outer = outerGeometry();
    if (outer == m_last)
        return outer;
    QRect placed = outer;
    if (placed.width() > workArea.width())
        placed.setWidth(placed.width() - 3);
    if (placed.height() > workArea.height())
        placed.setHeight(placed.height() - 3);
    if (placed != outer)
        setOuterGeometry(placed);
    m_last = placed;
    return placed;
}

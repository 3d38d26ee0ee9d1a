#include "app/windowplacement.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

namespace {

constexpr int watchMs = 50;
constexpr int watchForMs = 3000;

} // namespace

WindowPlacement::WindowPlacement(QWidget *window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_watch.setInterval(watchMs);
    connect(&m_watch, &QTimer::timeout, this, [this] {
        followFrame();
        if (undoneByTheManager())
            apply();
        matchServerSize();
        if (++m_watchTicks * watchMs >= watchForMs)
            m_watch.stop();
    });
}

WindowPlacement::~WindowPlacement()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
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

// The window is placed by its client area, which is exact whatever the window manager's
// gravity: the frame then lies around it where the wanted outer frame is.
QRect WindowPlacement::wantedClient(const QMargins &m) const
{
    return {m_wanted.topLeft() + QPoint(m.left(), m.top()), m_wanted.size().shrunkBy(m)};
}

void WindowPlacement::apply()
{
    m_earlierClient = m_window->geometry();
    m_appliedMargins = frameMargins();
    m_window->setGeometry(wantedClient(m_appliedMargins));
    m_askedSize = m_window->geometry().size();
    for (const QSize size : {m_earlierClient.size(), m_askedSize}) {
        if (!m_ownSizes.contains(size))
            m_ownSizes << size;
    }
}

bool WindowPlacement::isStale(const QSize &size) const
{
    return size != m_askedSize && m_ownSizes.contains(size);
}

// A window manager busy framing the window may still answer an earlier request, or drop the
// last: Qt then sees the window back where it was before, or at another size of its own.
bool WindowPlacement::undoneByTheManager() const
{
    if (m_appliedMargins.isNull())
        return false;
    const QRect client = m_window->geometry();
    return isStale(client.size()) ||
           (client.size() == m_earlierClient.size() && client != wantedClient(m_appliedMargins));
}

// A window manager busy framing the window may drop a request to resize it, or answer an
// earlier one last, while Qt goes on believing the size it asked for: ask the X server, and
// ask again when it holds a stale size. Any other size there is the player's, whose news may
// still wait in Qt's queue on a busy machine: it stays.
void WindowPlacement::matchServerSize()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != "xcb" || !x11 || !x11->connection() ||
        !m_window->isVisible())
        return;
    xcb_connection_t *connection = x11->connection();
    const auto window = xcb_window_t(m_window->winId());
    xcb_get_geometry_reply_t *reply =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    if (!reply)
        return;
    const QSize onServer(reply->width, reply->height);
    free(reply);
    const QSize believed = m_window->geometry().size();
    if (onServer == believed || !isStale(onServer))
        return;
    const uint32_t size[] = {uint32_t(believed.width()), uint32_t(believed.height())};
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         size);
    xcb_flush(connection);
}

void WindowPlacement::followFrame()
{
    const QMargins margins = frameMargins();
    // While a window manager frames the window, the frame may read as none for a moment; a
    // framed window keeps its frame.
    if (margins.isNull() && !m_appliedMargins.isNull())
        return;
    if (m_window->isVisible() && margins != m_appliedMargins)
        apply();
}

bool WindowPlacement::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched != m_window)
        return false;
    if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show)
        followFrame();
    // Qt may learn the frame only on some later event: for a while after the first showing,
    // look at it now and then as well.
    if (type == QEvent::Show && !m_watch.isActive()) {
        m_watchTicks = 0;
        m_ownSizes = {m_window->geometry().size()};
        m_watch.start();
    }
    return false;
}

// The frame is known only once the window manager has framed the window, which may be long
// after the first showing, or never. An X window manager frames a window by taking it into
// a frame window of its own and announcing the frame's size in a property; neither moves
// the window on the screen, so no Qt event follows. Qt learns the new frame from the same
// X event, after this filter: look at the frame once it has.
bool WindowPlacement::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType == "xcb_generic_event_t") {
        const auto type = static_cast<const xcb_generic_event_t *>(message)->response_type & 0x7f;
        if (type == XCB_REPARENT_NOTIFY || type == XCB_PROPERTY_NOTIFY)
            QMetaObject::invokeMethod(this, &WindowPlacement::followFrame, Qt::QueuedConnection);
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

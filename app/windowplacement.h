#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QTimer>

class QWidget;

// Places a top-level window by its outer frame, as the settings file stores it, and keeps
// the record of the placement last read or stored.
class WindowPlacement : public QObject, private QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit WindowPlacement(QWidget *window);
    ~WindowPlacement() override;

    QRect outerGeometry() const;
    // Places the outer frame in one step; applied again whenever the window manager frames
    // the window anew, since only then is the frame's size known.
    void setOuterGeometry(const QRect &outer);

    // `outer` with its size cut to four times that of the screen it lands on: a stored size
    // may be anything, but a window's backing store must fit in memory.
    static QRect capped(const QRect &outer);

    // The placement as last read from the settings file.
    void setLast(const QRect &outer) { m_last = outer; }
    QRect last() const { return m_last; }

    // The closing step: a window moved or resized since the last record that is wider or
    // higher than `workArea` is made 3 pixels narrower or lower, once; its placement then
    // becomes the last one. Returns the placement to store.
    QRect fitForClosing(const QRect &workArea);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override;
    QMargins frameMargins() const;
    // The client area that puts the outer frame where it is wanted, for a frame `m`.
    QRect wantedClient(const QMargins &m) const;
    void apply();
    // A size of the window's own making other than the one it asked for last: what a dropped
    // or late-answered request leaves.
    bool isStale(const QSize &size) const;
    bool undoneByTheManager() const;
    void matchServerSize();
    // Places the window again when its frame has changed since it was last placed.
    void followFrame();

    QWidget *m_window;
    QTimer m_watch;
    int m_watchTicks = 0;
    QRect m_wanted;
    QRect m_last;
    QMargins m_appliedMargins;
    QRect m_earlierClient;   // where the window was before it was last placed
    QSize m_askedSize;       // the size it took when it was last placed
    QList<QSize> m_ownSizes; // the sizes it had or asked for since it was shown
};

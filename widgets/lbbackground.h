#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QSize>
#include <QWidget>

class QPainter;

// Tiles a picture over a window's background whenever the window paints; the window's own
// painting then runs on top. It belongs to the window it decorates.
class TLbBackground : public QObject {
    Q_OBJECT
public:
    explicit TLbBackground(QWidget *window);
    ~TLbBackground() override;

    QPixmap Image() const { return m_image; }
    void setImage(const QPixmap &image);
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Columns and rows of tiles for a window of the given outer size: enough to cover it,
    // and two more of each.
    static QSize tileCount(QSize windowOuterSize, QSize pictureSize);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paintTiles();
    void repaintWindow();

    QPointer<QWidget> m_window;
    QPixmap m_image;
    bool m_enabled = false;
};

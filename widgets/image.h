#pragma once

#include <QPixmap>
#include <QWidget>

#include <functional>

// A picture on a window that answers clicks: the card columns, the two piles and the logo.
// It shows its picture at (0, 0) and nothing else, so whatever lies beneath shows through.
// A drawn picture is made when it is first needed, at the device pixel ratio of the screen
// it is on, and made again when the window comes to a screen with another ratio.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(const QString &name, QWidget *parent = nullptr);

    // Draws the picture for a device pixel ratio.
    using Drawing = std::function<QPixmap(qreal devicePixelRatio)>;

    // The picture as shown now, drawn first when it is due.
    const QPixmap &Picture() const;
    void setPicture(const QPixmap &picture);
    void setPicture(Drawing drawing);
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

signals:
    void OnClick(QObject *Sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Drawing m_drawing;
    mutable QPixmap m_picture;
    int m_tag = 0;
    bool m_pressed = false;
};

#include "widgets/image.h"

#include <QMouseEvent>
#include <QPainter>

TImage::TImage(const QString &name, QWidget *parent) : QWidget(parent)
{
    setObjectName(name);
}

void TImage::setPicture(const QPixmap &picture)
{
    m_drawing = nullptr;
    m_picture = picture;
    update();
}

void TImage::setPicture(Drawing drawing)
{
    m_drawing = std::move(drawing);
    m_picture = QPixmap();
    update();
}

const QPixmap &TImage::Picture() const
{
    const qreal ratio = devicePixelRatioF();
    if (m_drawing && (m_picture.isNull() || m_picture.devicePixelRatio() != ratio))
        m_picture = m_drawing(ratio);
    return m_picture;
}

void TImage::paintEvent(QPaintEvent *)
{
    const QPixmap &picture = Picture();
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}

void TImage::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void TImage::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a press and a release of the left button over the picture.
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit OnClick(this);
}

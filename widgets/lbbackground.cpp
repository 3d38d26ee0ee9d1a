#include "widgets/lbbackground.h"

#include <QEvent>
#include <QPainter>

TLbBackground::TLbBackground(QWidget *window) : QObject(window), m_window(window)
{
    if (window)
        window->installEventFilter(this);
}

TLbBackground::~TLbBackground()
{
    if (m_window)
        m_window->removeEventFilter(this);
}

void TLbBackground::setImage(const QPixmap &image)
{
    m_image = image;
    repaintWindow();
}

void TLbBackground::setEnabled(bool enabled)
{
    m_enabled = enabled;
    repaintWindow();
}

QSize TLbBackground::tileCount(QSize windowOuterSize, QSize pictureSize)
{
    if (pictureSize.isEmpty())
        return {0, 0};
    return {windowOuterSize.width() / pictureSize.width() + 2,
            windowOuterSize.height() / pictureSize.height() + 2};
}

bool TLbBackground::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Paint && m_enabled && !m_image.isNull())
        paintTiles();
    // The window's own painting always follows.
    return false;
}

void TLbBackground::paintTiles()
{
    const QSize tile = m_image.deviceIndependentSize().toSize();
    const QSize count = tileCount(m_window->frameGeometry().size(), tile);
    QPainter painter(m_window);
    for (int column = 0; column < count.width(); ++column) {
        for (int row = 0; row < count.height(); ++row)
            painter.drawPixmap(column * tile.width(), row * tile.height(), m_image);
    }
}

void TLbBackground::repaintWindow()
{
    if (m_window)
        m_window->update();
}

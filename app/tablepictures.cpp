#include "app/tablepictures.h"

#include "game/gametable.h"

#include <QPainter>

int TablePictures::columnHeight(int count)
{
    return count == 0 ? 0 : CardImages::Height + stripHeight * (count - 1);
}

QPixmap TablePictures::column(const Column &column, int count) const
{
    if (count == 0)
        return {};
    const qreal dpr = m_cards.image(CardImages::BackIndex).devicePixelRatio();
    QPixmap picture(QSize(CardImages::Width, columnHeight(count)) * dpr);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    for (int k = 1; k <= count; ++k) {
        // Slots the end-of-game sweep emptied show nothing.
        if (column.cards[k].isCard())
            m_cards.draw(painter, 0, stripHeight * (k - 1), column.cards[k].number());
    }
    return picture;
}

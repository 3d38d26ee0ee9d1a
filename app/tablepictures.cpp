#include "app/tablepictures.h"

#include "game/gametable.h"

#include <QPainter>

const CardImages &TablePictures::cards(qreal devicePixelRatio) const
{
    if (m_cards.devicePixelRatio() != devicePixelRatio)
        m_cards = CardImages(devicePixelRatio);
    return m_cards;
}

int TablePictures::columnHeight(int count)
{
    return count == 0 ? 0 : CardImages::Height + stripHeight * (count - 1);
}

QPixmap TablePictures::pile(int index, qreal devicePixelRatio) const
{
    return cards(devicePixelRatio).image(index);
}

QPixmap TablePictures::column(const Column &column, int count, qreal devicePixelRatio) const
{
    if (count == 0)
        return {};
    const CardImages &images = cards(devicePixelRatio);
    QPixmap picture(QSize(CardImages::Width, columnHeight(count)) * images.devicePixelRatio());
    picture.setDevicePixelRatio(images.devicePixelRatio());
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    for (int k = 1; k <= count; ++k) {
        // Slots the end-of-game sweep emptied show nothing.
        if (column.cards[k].isCard())
            images.draw(painter, 0, stripHeight * (k - 1), column.cards[k].number());
    }
    return picture;
}

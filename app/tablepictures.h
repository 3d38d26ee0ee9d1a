#pragma once

#include "resources/pictures/cardimages.h"

#include <QPixmap>

struct Column;

// The pictures of the card table: a pile shows one card image, a column its cards fanned
// downwards, each covering all but the top strip of the one beneath.
class TablePictures {
public:
    // Height of the strip a covered card still shows.
    static constexpr int stripHeight = 24;

    explicit TablePictures(qreal devicePixelRatio) : m_cards(devicePixelRatio) {}

    const QPixmap &pile(int index) const { return m_cards.image(index); }
    // The first `count` slots of `column`; a null picture when there are none.
    QPixmap column(const Column &column, int count) const;
    // Height of a column showing `count` cards.
    static int columnHeight(int count);

private:
    CardImages m_cards;
};

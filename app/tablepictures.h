#pragma once

#include "resources/pictures/cardimages.h"

#include <QPixmap>

struct Column;

// The pictures of the card table: a pile shows one card image, a column its cards fanned
// downwards, each covering all but the top strip of the one beneath. Pictures are drawn for
// the device pixel ratio asked for; the card images are kept for the last ratio asked.
class TablePictures {
public:
    // Height of the strip a covered card still shows.
    static constexpr int stripHeight = 24;

    QPixmap pile(int index, qreal devicePixelRatio) const;
    // The first `count` slots of `column`; a null picture when there are none.
    QPixmap column(const Column &column, int count, qreal devicePixelRatio) const;
    // Height of a column showing `count` cards.
    static int columnHeight(int count);

private:
    const CardImages &cards(qreal devicePixelRatio) const;

    mutable CardImages m_cards;
};

#pragma once

#include "game/card.h"

#include <QPixmap>
#include <array>

class QPainter;
class QRectF;

// The card image list: the card back (0), the 52 cards by their Card number (1-52) and the
// empty-place mark (53).
// Every picture is drawn once, when first asked for, at the device pixel ratio given.
class CardImages {
public:
    static constexpr int Width = 71, Height = 96, BackIndex = 0,
                         EmptyMarkIndex = Card::deckSize + 1, Count = EmptyMarkIndex + 1;

    explicit CardImages(qreal devicePixelRatio = 1.0);

    qreal devicePixelRatio() const { return m_ratio; }

    // Picture `index` (0..53), 71 x 96 logical pixels; a null pixmap for any other index.
    const QPixmap &image(int index) const;
    // Paints picture `index` with its top-left corner at (x, y) in logical pixels; an index
    // outside 0..53 paints nothing.
    void draw(QPainter &painter, int x, int y, int index) const;

    // Paints picture `index` straight from its shapes, scaled into `target`: for pictures
    // that show cards at another size than the list's.
    static void paint(QPainter &painter, const QRectF &target, int index);

private:
    qreal m_ratio;
    // Each picture is drawn the first time it is asked for: a game shows few of them early.
    mutable std::array<QPixmap, Count> m_images;
};

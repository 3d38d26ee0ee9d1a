#include "resources/pictures/pictures.h"

#include "game/card.h"
#include "resources/pictures/cardimages.h"
#include "resources/pictures/render.h"
#include "widgets/fonts.h"
#include "widgets/palette.h"

#include "quellanconfig.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <vector>

namespace {

using enum Card::Suit;
using enum Card::Rank;

// The picture index of a card.
constexpr int card(Card::Suit suit, int rank)
{
    return Card(suit, rank).number();
}

const QColor outlineColour{48, 14, 14};
const QColor goldColour{238, 204, 118};
const QColor markColour{255, 214, 64};

const QSizeF cardSize(CardImages::Width, CardImages::Height);

// The word set in a heavy italic serif, cream fading to gold, with a dark outline and a soft
// shadow so it stands out on the dark red table. Returns the path fitted into `box`, left
// aligned and centred vertically.
QPainterPath fittedText(const QString &text, const QRectF &box)
{
    QFont font = fonts::make("Liberation Serif", 100, true, true, false);
    font.setItalic(true);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    const qreal scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
    QTransform transform;
    transform.translate(box.left(), box.center().y());
    transform.scale(scale, scale);
    transform.translate(-bounds.left(), -bounds.center().y());
    return transform.map(path);
}

void paintStyledText(QPainter &painter, const QPainterPath &path)
{
    const QRectF bounds = path.boundingRect();
    const qreal outline = std::max(1.2, bounds.height() * 0.07);
    painter.save();
    painter.translate(outline * 0.5, outline * 0.7);
    painter.fillPath(path, QColor(0, 0, 0, 110));
    painter.restore();
    painter.setPen(QPen(outlineColour, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    QLinearGradient fill(bounds.topLeft(), bounds.bottomLeft());
    fill.setColorAt(0.35, palette::cream);
    fill.setColorAt(1, goldColour);
    painter.fillPath(path, fill);
}

// Two cards fanned out from a common foot, the back behind the ace of hearts, filling
// `square`.
void paintFan(QPainter &painter, const QRectF &square)
{
    const qreal height = square.height() * 0.78;
    const QSizeF size(height * cardSize.width() / cardSize.height(), height);
    const QPointF foot(square.center().x(), square.bottom() - square.height() * 0.06);
    for (const auto &[angle, index] :
         {std::pair(-16.0, CardImages::BackIndex), std::pair(12.0, card(Hearts, Ace))}) {
        painter.save();
        painter.translate(foot);
        painter.rotate(angle);
        CardImages::paint(painter, QRectF(QPointF(-size.width() / 2, -size.height()), size), index);
        painter.restore();
    }
}

// Cards laid as on the table: from the column's top down, each covering all but the top
// 24 pixels of the one before, at `scale`.
void paintColumn(QPainter &painter, QPointF topLeft, qreal scale, const std::vector<int> &cards)
{
    for (std::size_t k = 0; k < cards.size(); ++k)
        CardImages::paint(painter, QRectF(topLeft + QPointF(0, 24 * scale * k), cardSize * scale),
                          cards[k]);
}

QPixmap boardPicture(QSize size, qreal devicePixelRatio,
                     const std::function<void(QPainter &)> &paint)
{
    return renderPixmap(size, devicePixelRatio, [&](QPainter &painter) {
        painter.fillRect(QRect(QPoint(), size), palette::darkRed);
        paint(painter);
    });
}

// The four columns of a small board, as far apart as on the table.
void paintColumns(QPainter &painter, QPointF topLeft, qreal scale,
                  const std::vector<std::vector<int>> &columns)
{
    for (std::size_t c = 0; c < columns.size(); ++c)
        paintColumn(painter, topLeft + QPointF(80 * scale * c, 0), scale, columns[c]);
}

QRectF cardRectAt(QPointF topLeft, qreal scale, int cardsAbove)
{
    return QRectF(topLeft + QPointF(0, 24 * scale * cardsAbove), cardSize * scale);
}

void paintRing(QPainter &painter, const QRectF &rect, const QColor &colour, Qt::PenStyle style)
{
    painter.setPen(QPen(colour, 1.5, style));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(-1.5, -1.5, 1.5, 1.5), 4, 4);
}

} // namespace

QPixmap logoPicture(QSize size, qreal devicePixelRatio)
{
    return renderPixmap(size, devicePixelRatio, [size](QPainter &painter) {
        const QRectF area(QPointF(), size);
        if (size.width() == size.height()) {
            paintFan(painter, area);
            paintStyledText(painter, fittedText(QStringLiteral("Q"),
                                                QRectF(area.width() * 0.5, area.height() * 0.42,
                                                       area.width() * 0.44, area.height() * 0.5)));
            return;
        }
        const qreal fanSide = area.height();
        const qreal gap = fanSide * 0.05;
        const qreal margin = area.height() * 0.08;
        QPainterPath word = fittedText(QString::fromUtf8(quellan::displayName),
                                       QRectF(0, margin, area.width() - fanSide - gap - 2 * margin,
                                              area.height() - 2 * margin));
        const qreal groupWidth = fanSide + gap + word.boundingRect().width();
        const qreal left = (area.width() - groupWidth) / 2;
        paintFan(painter, QRectF(left, 0, fanSide, fanSide));
        paintStyledText(painter, word.translated(left + fanSide + gap, 0));
    });
}

void paintIcon(QPainter &painter, const QRectF &target)
{
    const qreal side = std::min(target.width(), target.height());
    QRectF square(0, 0, side, side);
    square.moveCenter(target.center());
    // The fan is taller than it is wide and stands on its foot: lift it so its tilted corners
    // clear the square's edges the same at the top and the bottom.
    paintFan(painter, square.translated(0, -side * 0.04));
}

QIcon appIcon()
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(renderPixmap(QSize(side, side), 1.0, [side](QPainter &painter) {
            paintIcon(painter, QRectF(0, 0, side, side));
        }));
    return icon;
}

QPixmap instructionPicture1(qreal devicePixelRatio)
{
    return boardPicture(QSize(196, 80), devicePixelRatio, [](QPainter &painter) {
        const qreal scale = 0.6;
        const QPointF topLeft(4.5, 4);
        paintColumns(painter, topLeft, scale,
                     {{card(Diamonds, 7), card(Hearts, Queen)},
                      {card(Spades, Queen)},
                      {card(Clubs, 3), card(Clubs, 10)},
                      {card(Hearts, King)}});
        paintRing(painter, cardRectAt(topLeft, scale, 1), markColour, Qt::SolidLine);
    });
}

QPixmap instructionPicture2(qreal devicePixelRatio)
{
    return boardPicture(QSize(197, 86), devicePixelRatio, [](QPainter &painter) {
        const qreal scale = 0.6;
        const QPointF topLeft(5, 6);
        paintColumns(painter, topLeft, scale,
                     {{card(Spades, 9)},
                      {},
                      {card(Hearts, 4), card(Clubs, Jack)},
                      {card(Diamonds, 2), card(Diamonds, 8)}});
        paintRing(painter, cardRectAt(topLeft + QPointF(80 * scale, 0), scale, 0), palette::cream,
                  Qt::DashLine);
    });
}

QPixmap instructionPicture3(qreal devicePixelRatio)
{
    return boardPicture(QSize(248, 134), devicePixelRatio, [](QPainter &painter) {
        const qreal scale = 0.55;
        paintColumns(painter, QPointF(5, 5), scale,
                     {{card(Clubs, 5), card(Hearts, 9), card(Spades, Ace)},
                      {card(Diamonds, 6), card(Clubs, King)},
                      {card(Spades, 4), card(Hearts, 3), card(Clubs, 8), card(Diamonds, Ace)},
                      {card(Spades, 7)}});
        const QPointF pile(190, 5);
        CardImages::paint(painter, cardRectAt(pile, scale, 0), CardImages::EmptyMarkIndex);
        painter.setPen(palette::cream);
        painter.setFont(fonts::sansPx(10, true));
        painter.drawText(QRectF(176, 62, 68, 14), Qt::AlignCenter, QStringLiteral("Cards Left: 0"));
        CardImages::paint(painter, cardRectAt(pile + QPointF(0, 76), scale, 0), card(Hearts, Jack));
    });
}

#include "resources/pictures/cardimages.h"

#include "resources/pictures/render.h"
#include "widgets/fonts.h"
#include "widgets/palette.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <vector>

namespace {

using Suit = Card::Suit;

const QColor redInk{200, 18, 34};
const QColor blackInk{22, 22, 26};
const QColor edge{70, 70, 70};
const QColor courtGold{236, 186, 52};
const QColor courtBlue{36, 70, 158};
const QColor courtPaper{255, 249, 226};
const QColor skin{252, 226, 196};
const QColor lips{196, 110, 96};
const QColor backBlue{26, 46, 110};
const QColor backLattice{92, 124, 196};

const QRectF cardRect{0, 0, CardImages::Width, CardImages::Height};
const QPointF cardCentre = cardRect.center();

bool isRed(Suit suit)
{
    return suit == Suit::Diamonds || suit == Suit::Hearts;
}

QColor inkOf(Suit suit)
{
    return isRed(suit) ? redInk : blackInk;
}

// The suit symbols, drawn in a 100 x 100 box so they look the same whatever fonts exist.
QPainterPath heartShape()
{
    QPainterPath path;
    path.moveTo(50, 94);
    path.cubicTo(22, 70, 2, 52, 2, 29);
    path.cubicTo(2, 12, 14, 4, 27, 4);
    path.cubicTo(38, 4, 46, 11, 50, 22);
    path.cubicTo(54, 11, 62, 4, 73, 4);
    path.cubicTo(86, 4, 98, 12, 98, 29);
    path.cubicTo(98, 52, 78, 70, 50, 94);
    path.closeSubpath();
    return path;
}

QPainterPath diamondShape()
{
    QPainterPath path;
    path.moveTo(50, 0);
    path.quadTo(66, 28, 86, 50);
    path.quadTo(66, 72, 50, 100);
    path.quadTo(34, 72, 14, 50);
    path.quadTo(34, 28, 50, 0);
    path.closeSubpath();
    return path;
}

// The flared foot that clubs and spades stand on.
QPainterPath stemShape()
{
    QPainterPath path;
    path.moveTo(46, 60);
    path.quadTo(46, 88, 30, 98);
    path.lineTo(70, 98);
    path.quadTo(54, 88, 54, 60);
    path.closeSubpath();
    return path;
}

QPainterPath spadeShape()
{
    QPainterPath path;
    path.moveTo(50, 2);
    path.cubicTo(60, 22, 98, 38, 98, 62);
    path.cubicTo(98, 77, 87, 85, 75, 85);
    path.cubicTo(64, 85, 56, 79, 50, 68);
    path.cubicTo(44, 79, 36, 85, 25, 85);
    path.cubicTo(13, 85, 2, 77, 2, 62);
    path.cubicTo(2, 38, 40, 22, 50, 2);
    path.closeSubpath();
    return path.united(stemShape());
}

QPainterPath clubShape()
{
    QPainterPath leaves;
    leaves.addEllipse(QPointF(50, 26), 22, 22);
    leaves.addEllipse(QPointF(25, 62), 22, 22);
    leaves.addEllipse(QPointF(75, 62), 22, 22);
    QPainterPath heart;
    heart.addPolygon(QPolygonF({QPointF(50, 30), QPointF(30, 60), QPointF(70, 60)}));
    return leaves.united(heart).united(stemShape());
}

const QPainterPath &suitShape(Suit suit)
{
    static const std::array<QPainterPath, 4> shapes{clubShape(), diamondShape(), heartShape(),
                                                    spadeShape()};
    return shapes[suit - Suit::Clubs];
}

// A suit symbol `size` pixels across, centred on `centre`; pips in a card's lower half stand
// on their heads, as printed cards do.
void paintPip(QPainter &painter, Suit suit, QPointF centre, qreal size, bool upsideDown = false)
{
    painter.save();
    painter.translate(centre);
    if (upsideDown)
        painter.rotate(180);
    painter.scale(size / 100, size / 100);
    painter.translate(-50, -50);
    painter.fillPath(suitShape(suit), inkOf(suit));
    painter.restore();
}

// Runs `paint` once for the upper half and once turned about the card's centre for the lower
// half: corner indices and court figures read the same from either end.
template <typename Paint> void paintBothWays(QPainter &painter, Paint paint)
{
    paint();
    painter.save();
    painter.translate(cardRect.bottomRight());
    painter.rotate(180);
    paint();
    painter.restore();
}

QPainterPath cardOutline()
{
    QPainterPath path;
    path.addRoundedRect(cardRect.adjusted(0.5, 0.5, -0.5, -0.5), 4.5, 4.5);
    return path;
}

void paintBlankFace(QPainter &painter)
{
    painter.setPen(QPen(edge, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(cardOutline());
}

QString rankText(int rank)
{
    static const char *const texts[] = {"2", "3",  "4", "5", "6", "7", "8",
                                        "9", "10", "J", "Q", "K", "A"};
    return QString::fromLatin1(texts[rank - 2]);
}

// Rank over suit in the top-left corner, inside the 24-pixel strip that a card lying under
// others in a column still shows.
void paintIndex(QPainter &painter, int rank, Suit suit)
{
    const qreal centreX = 8.5;
    const QString text = rankText(rank);
    QFont font = fonts::sansPx(14, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -1);
    const QFontMetricsF metrics(font);
    const qreal squeeze = text.size() > 1 ? 0.78 : 1.0;
    painter.save();
    painter.setFont(font);
    painter.setPen(inkOf(suit));
    painter.translate(centreX, 13);
    painter.scale(squeeze, 1);
    painter.drawText(QPointF(-metrics.horizontalAdvance(text) / 2, 0), text);
    painter.restore();
    paintPip(painter, suit, QPointF(centreX, 19), 9);
}

struct PipPlace {
    qreal across; // 0 left column, 0.5 middle, 1 right column
    qreal down;   // 0 top row to 1 bottom row
};

const std::vector<PipPlace> &pipLayout(int rank)
{
    constexpr qreal third = 1.0 / 3, sixth = 1.0 / 6;
    static const std::array<std::vector<PipPlace>, 9> layouts{{
        {{0.5, 0}, {0.5, 1}},
        {{0.5, 0}, {0.5, 0.5}, {0.5, 1}},
        {{0, 0}, {1, 0}, {0, 1}, {1, 1}},
        {{0, 0}, {1, 0}, {0.5, 0.5}, {0, 1}, {1, 1}},
        {{0, 0}, {1, 0}, {0, 0.5}, {1, 0.5}, {0, 1}, {1, 1}},
        {{0, 0}, {1, 0}, {0.5, 0.25}, {0, 0.5}, {1, 0.5}, {0, 1}, {1, 1}},
        {{0, 0}, {1, 0}, {0.5, 0.25}, {0, 0.5}, {1, 0.5}, {0.5, 0.75}, {0, 1}, {1, 1}},
        {{0, 0},
         {1, 0},
         {0, third},
         {1, third},
         {0.5, 0.5},
         {0, 2 * third},
         {1, 2 * third},
         {0, 1},
         {1, 1}},
        {{0, 0},
         {1, 0},
         {0.5, sixth},
         {0, third},
         {1, third},
         {0, 2 * third},
         {1, 2 * third},
         {0.5, 5 * sixth},
         {0, 1},
         {1, 1}},
    }};
    return layouts[rank - 2];
}

void paintPips(QPainter &painter, int rank, Suit suit)
{
    const QRectF field(22.5, 19, 26, 58);
    for (const PipPlace &place : pipLayout(rank)) {
        const QPointF centre(field.left() + place.across * field.width(),
                             field.top() + place.down * field.height());
        paintPip(painter, suit, centre, 13, place.down > 0.5);
    }
}

void paintAce(QPainter &painter, Suit suit)
{
    const qreal size = suit == Suit::Spades ? 40 : 34;
    paintPip(painter, suit, cardCentre, size);
    if (suit == Suit::Spades) {
        // The ace of spades carries a white inlay, as it traditionally does.
        painter.save();
        painter.translate(cardCentre - QPointF(size * 0.25, size * 0.3));
        painter.scale(size * 0.5 / 100, size * 0.5 / 100);
        painter.strokePath(suitShape(Suit::Spades), QPen(Qt::white, 6));
        painter.restore();
    }
}

// Colours of a court figure: robes in the suit's own colour, trimmed with the other.
struct CourtColours {
    QColor robe;
    QColor trim;
};

CourtColours courtColours(Suit suit)
{
    return isRed(suit) ? CourtColours{redInk, courtBlue} : CourtColours{courtBlue, blackInk};
}

const QPen outlinePen(blackInk, 0.6);

void drawShape(QPainter &painter, const QPainterPath &path, const QColor &fill)
{
    painter.setPen(outlinePen);
    painter.setBrush(fill);
    painter.drawPath(path);
}

QPainterPath polygonPath(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

void paintRobe(QPainter &painter, const CourtColours &colours)
{
    QPainterPath robe;
    robe.moveTo(17.5, 48);
    robe.lineTo(18, 41);
    robe.quadTo(20, 36.5, 27, 35.5);
    robe.lineTo(44, 35.5);
    robe.quadTo(51, 36.5, 53, 41);
    robe.lineTo(53.5, 48);
    robe.closeSubpath();
    drawShape(painter, robe, colours.robe);
    // Gold bands down the robe, the figure's front.
    drawShape(painter, polygonPath({{32, 35.5}, {39, 35.5}, {40.5, 48}, {30.5, 48}}), courtGold);
    painter.setPen(QPen(colours.trim, 1.2));
    painter.drawLine(QPointF(35.5, 37), QPointF(35.5, 48));
    painter.setPen(QPen(courtGold, 1));
    painter.drawLine(QPointF(21, 40), QPointF(19.5, 48));
    painter.drawLine(QPointF(50, 40), QPointF(51.5, 48));
}

void paintHead(QPainter &painter)
{
    drawShape(painter, polygonPath({{33.5, 31}, {37.5, 31}, {37.5, 36}, {33.5, 36}}), skin);
    QPainterPath head;
    head.addEllipse(QPointF(35.5, 27.5), 5.2, 6.2);
    drawShape(painter, head, skin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blackInk);
    painter.drawEllipse(QPointF(33.5, 26.8), 0.7, 0.7);
    painter.drawEllipse(QPointF(37.5, 26.8), 0.7, 0.7);
    painter.setPen(QPen(lips, 0.7));
    painter.drawLine(QPointF(34.6, 31), QPointF(36.4, 31));
}

void paintKing(QPainter &painter, const CourtColours &colours)
{
    // Sword held upright behind the right shoulder.
    painter.setPen(QPen(edge, 1.6));
    painter.drawLine(QPointF(47, 14), QPointF(47, 38));
    painter.setPen(QPen(courtGold, 1.6));
    painter.drawLine(QPointF(44, 33), QPointF(50, 33));
    paintRobe(painter, colours);
    // Ermine collar.
    QPainterPath collar;
    collar.moveTo(25, 36);
    collar.quadTo(35.5, 42, 46, 36);
    collar.lineTo(44, 34);
    collar.quadTo(35.5, 38, 27, 34);
    collar.closeSubpath();
    drawShape(painter, collar, Qt::white);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blackInk);
    for (qreal x : {29.0, 35.5, 42.0})
        painter.drawEllipse(QPointF(x, 37), 0.6, 0.9);
    paintHead(painter);
    // Full beard and hair.
    QPainterPath beard;
    beard.moveTo(30.3, 28);
    beard.quadTo(30, 37, 35.5, 38.5);
    beard.quadTo(41, 37, 40.7, 28);
    beard.quadTo(39, 33, 35.5, 32);
    beard.quadTo(32, 33, 30.3, 28);
    drawShape(painter, beard, QColor(150, 110, 60));
    // Crown with three points, each set with a jewel.
    drawShape(
        painter,
        polygonPath({{29.5, 23}, {29, 14}, {32, 18}, {35.5, 12.5}, {39, 18}, {42, 14}, {41.5, 23}}),
        courtGold);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.trim);
    for (qreal x : {32.0, 35.5, 39.0})
        painter.drawEllipse(QPointF(x, 21), 0.9, 0.9);
}

void paintQueen(QPainter &painter, const CourtColours &colours)
{
    // Flower held up beside her.
    painter.setPen(QPen(QColor(40, 120, 50), 0.9));
    painter.drawLine(QPointF(49, 37), QPointF(49, 22));
    painter.setPen(outlinePen);
    painter.setBrush(colours.robe);
    for (int petal = 0; petal < 5; ++petal) {
        painter.save();
        painter.translate(49, 20);
        painter.rotate(petal * 72);
        painter.drawEllipse(QPointF(0, -1.8), 1.3, 1.8);
        painter.restore();
    }
    painter.setBrush(courtGold);
    painter.drawEllipse(QPointF(49, 20), 1, 1);
    // Long hair falling to the shoulders.
    QPainterPath hair;
    hair.moveTo(35.5, 20);
    hair.cubicTo(27, 20, 28, 32, 27, 37);
    hair.lineTo(44, 37);
    hair.cubicTo(43, 32, 44, 20, 35.5, 20);
    drawShape(painter, hair, courtGold.darker(115));
    paintRobe(painter, colours);
    // Necklace.
    painter.setPen(QPen(courtGold, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(30, 31.5, 11, 7), 200 * 16, 140 * 16);
    paintHead(painter);
    // Rounded crown with pearls on its points.
    QPainterPath crown;
    crown.moveTo(30.5, 22.5);
    crown.lineTo(30, 16.5);
    crown.quadTo(33, 19, 35.5, 15);
    crown.quadTo(38, 19, 41, 16.5);
    crown.lineTo(40.5, 22.5);
    crown.quadTo(35.5, 21, 30.5, 22.5);
    drawShape(painter, crown, courtGold);
    painter.setPen(outlinePen);
    painter.setBrush(Qt::white);
    for (const QPointF &pearl : {QPointF(30, 16), QPointF(35.5, 14.5), QPointF(41, 16)})
        painter.drawEllipse(pearl, 1, 1);
}

void paintJack(QPainter &painter, const CourtColours &colours)
{
    // Halberd over the right shoulder.
    painter.setPen(QPen(QColor(120, 80, 40), 1.2));
    painter.drawLine(QPointF(49, 38), QPointF(49, 15));
    drawShape(painter, polygonPath({{49, 13}, {53, 16}, {49, 19}}), Qt::lightGray);
    paintRobe(painter, colours);
    // Striped collar.
    drawShape(painter, polygonPath({{28, 35}, {43, 35}, {41, 38.5}, {30, 38.5}}), colours.trim);
    // Curled hair.
    QPainterPath hair;
    hair.addEllipse(QPointF(30.5, 29), 2.2, 3.5);
    hair.addEllipse(QPointF(40.5, 29), 2.2, 3.5);
    drawShape(painter, hair, QColor(150, 95, 40));
    paintHead(painter);
    // Flat cap with a feather.
    QPainterPath cap;
    cap.moveTo(28.5, 24);
    cap.quadTo(28, 17, 35.5, 17);
    cap.quadTo(43, 17, 42.5, 24);
    cap.closeSubpath();
    drawShape(painter, cap, colours.trim);
    drawShape(painter, polygonPath({{28, 24}, {43, 24}, {43, 22.5}, {28, 22.5}}), courtGold);
    QPainterPath feather;
    feather.moveTo(39, 18.5);
    feather.cubicTo(40, 14, 42, 12, 45, 11);
    feather.cubicTo(44, 14, 43, 17, 41, 20);
    drawShape(painter, feather, Qt::white);
}

void paintCourt(QPainter &painter, int rank, Suit suit)
{
    const QRectF panel(16.5, 10.5, 38, 75);
    painter.setPen(QPen(inkOf(suit), 1));
    painter.setBrush(courtPaper);
    painter.drawRect(panel);
    const CourtColours colours = courtColours(suit);
    painter.save();
    painter.setClipRect(panel.adjusted(0.5, 0.5, -0.5, -0.5));
    paintBothWays(painter, [&] {
        if (rank == Card::Jack)
            paintJack(painter, colours);
        else if (rank == Card::Queen)
            paintQueen(painter, colours);
        else
            paintKing(painter, colours);
        paintPip(painter, suit, QPointF(21.5, 15.5), 7);
    });
    painter.restore();
    painter.setPen(QPen(inkOf(suit), 0.8));
    painter.drawLine(QPointF(panel.left(), 48), QPointF(panel.right(), 48));
}

void paintFace(QPainter &painter, Card card)
{
    const auto suit = static_cast<Suit>(card.suit());
    const int rank = card.rank();
    paintBlankFace(painter);
    paintBothWays(painter, [&] { paintIndex(painter, rank, suit); });
    if (card.isAce())
        paintAce(painter, suit);
    else if (rank <= 10)
        paintPips(painter, rank, suit);
    else
        paintCourt(painter, rank, suit);
}

void paintBack(QPainter &painter)
{
    paintBlankFace(painter);
    const QRectF field = cardRect.adjusted(4, 4, -4, -4);
    QPainterPath fieldPath;
    fieldPath.addRoundedRect(field, 3, 3);
    painter.fillPath(fieldPath, backBlue);
    // Each line is cut to the field as a shape rather than clipped while painting: the icon's
    // SVG keeps shapes but not clipping.
    QPainterPathStroker stroker;
    stroker.setWidth(0.8);
    const auto drawLatticeLine = [&](QPointF from, QPointF to) {
        QPainterPath line(from);
        line.lineTo(to);
        painter.fillPath(stroker.createStroke(line).intersected(fieldPath), backLattice);
    };
    const qreal step = 7;
    for (qreal offset = -field.height(); offset < field.width(); offset += step) {
        const qreal x = field.left() + offset;
        drawLatticeLine(QPointF(x, field.top()), QPointF(x + field.height(), field.bottom()));
        drawLatticeLine(QPointF(x, field.bottom()), QPointF(x + field.height(), field.top()));
    }
    painter.setPen(QPen(palette::cream, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(field.adjusted(2.5, 2.5, -2.5, -2.5), 2, 2);
    // A medallion with the game's initial in the middle.
    painter.setBrush(backBlue);
    painter.drawEllipse(cardCentre, 12, 16);
    QFont font = fonts::make("Liberation Serif", 22, true, true, false);
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(palette::cream);
    painter.drawText(QRectF(cardCentre - QPointF(12, 16), QSizeF(24, 32)), Qt::AlignCenter,
                     QStringLiteral("Q"));
}

void paintEmptyMark(QPainter &painter)
{
    painter.fillRect(cardRect, palette::darkRed);
    const QRectF frame = cardRect.adjusted(2, 2, -2, -2);
    painter.setPen(QPen(palette::cream, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, 4, 4);
    const QRectF cross = frame.adjusted(5, 5, -5, -5);
    painter.setPen(QPen(palette::cream, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
}

void paintImage(QPainter &painter, int index)
{
    if (index == CardImages::BackIndex)
        paintBack(painter);
    else if (index == CardImages::EmptyMarkIndex)
        paintEmptyMark(painter);
    else
        paintFace(painter, Card(index));
}

bool isValidIndex(int index)
{
    return index >= 0 && index < CardImages::Count;
}

} // namespace

CardImages::CardImages(qreal devicePixelRatio)
    : m_ratio(devicePixelRatio > 0 ? devicePixelRatio : 1.0)
{
}

const QPixmap &CardImages::image(int index) const
{
    static const QPixmap none;
    if (!isValidIndex(index))
        return none;
    QPixmap &picture = m_images[index];
    if (picture.isNull())
        picture = renderPixmap(QSize(Width, Height), m_ratio,
                               [index](QPainter &painter) { paintImage(painter, index); });
    return picture;
}

void CardImages::draw(QPainter &painter, int x, int y, int index) const
{
    if (isValidIndex(index))
        painter.drawPixmap(x, y, image(index));
}

void CardImages::paint(QPainter &painter, const QRectF &target, int index)
{
    if (!isValidIndex(index))
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / Width, target.height() / Height);
    paintImage(painter, index);
    painter.restore();
}

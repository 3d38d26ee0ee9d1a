#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

// The game's pictures besides the cards, drawn at a device pixel ratio so they stay sharp.

// The logo on a transparent background: a fan of two cards beside the word "Quellan", or, when
// `size` is square, the fan alone with a large "Q".
QPixmap logoPicture(QSize size, qreal devicePixelRatio);

// The program's icon: the logo's fan of two cards on a transparent background, filling the
// square `target` (centred in it when it is not square).
void paintIcon(QPainter &painter, const QRectF &target);
// The icon at the sizes window managers and task bars ask for, drawn at each.
QIcon appIcon();

// The quick instructions' examples on the board's colour.
// 196 x 80: four top cards side by side, the queen of hearts marked as the one to remove.
QPixmap instructionPicture1(qreal devicePixelRatio);
// 197 x 86: a board whose second column is empty, between a single card and short columns.
QPixmap instructionPicture2(qreal devicePixelRatio);
// 248 x 134: a board after the last deal, aces on two columns, the deal pile spent.
QPixmap instructionPicture3(qreal devicePixelRatio);

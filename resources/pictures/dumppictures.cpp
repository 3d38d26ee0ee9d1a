// Writes every picture of the game onto one PNG contact sheet, for a developer to look at:
//   quellan-dump-pictures sheet.png [device-pixel-ratio]
#include "resources/pictures/cardimages.h"
#include "resources/pictures/pictures.h"
#include "widgets/palette.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

const int perRow = 9;
const int cellWidth = CardImages::Width + 8, cellHeight = CardImages::Height + 8;
const int sheetWidth = perRow * cellWidth + 8;

// The cards in rows, then a column of overlapping cards as the table shows them.
int paintCards(QPainter &painter, const CardImages &cards)
{
    for (int index = 0; index < CardImages::Count; ++index)
        cards.draw(painter, 8 + index % perRow * cellWidth, 8 + index / perRow * cellHeight, index);
    const int top = 8 + (CardImages::Count + perRow - 1) / perRow * cellHeight;
    const int column[] = {13, 26, 10, 49, 38, 1, 23, 51};
    for (int k = 0; k < 8; ++k) {
        for (int c = 0; c < 3; ++c)
            cards.draw(painter, 8 + c * 80, top + 24 * k, column[k] + c);
    }
    return top + 24 * 7 + CardImages::Height + 8;
}

int paintPictures(QPainter &painter, qreal ratio, int top)
{
    int x = 8;
    int rowHeight = 0;
    const QPixmap pictures[] = {
        logoPicture(QSize(205, 37), ratio), logoPicture(QSize(206, 58), ratio),
        logoPicture(QSize(74, 74), ratio),  instructionPicture1(ratio),
        instructionPicture2(ratio),         instructionPicture3(ratio),
    };
    for (const QPixmap &picture : pictures) {
        const QSize size = picture.deviceIndependentSize().toSize();
        if (x + size.width() > sheetWidth) {
            x = 8;
            top += rowHeight + 8;
            rowHeight = 0;
        }
        painter.drawPixmap(x, top, picture);
        x += size.width() + 8;
        rowHeight = std::max(rowHeight, size.height());
    }
    return top + rowHeight + 8;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s sheet.png [device-pixel-ratio]\n", argv[0]);
        return 2;
    }
    const qreal ratio = argc > 2 ? QByteArray(argv[2]).toDouble() : 1.0;
    const CardImages cards(ratio > 0 ? ratio : 1.0);
    QImage sheet(QSize(sheetWidth, 1400) * cards.image(0).devicePixelRatio(),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(cards.image(0).devicePixelRatio());
    sheet.fill(palette::darkRed);
    QPainter painter(&sheet);
    const int height = paintPictures(painter, sheet.devicePixelRatio(), paintCards(painter, cards));
    painter.end();
    const qreal r = sheet.devicePixelRatio();
    if (!sheet.copy(0, 0, sheet.width(), int(height * r)).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

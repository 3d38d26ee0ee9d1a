#include "game/card.h"
#include "resources/pictures/cardimages.h"
#include "resources/pictures/pictures.h"
#include "widgets/palette.h"

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

QImage pixels(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

bool near(QRgb pixel, const QColor &colour)
{
    const int tolerance = 24;
    return qAlpha(pixel) == 255 && std::abs(qRed(pixel) - colour.red()) <= tolerance &&
           std::abs(qGreen(pixel) - colour.green()) <= tolerance &&
           std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

bool hasRedInk(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255 && qRed(pixel) > 150 && qGreen(pixel) < 90 &&
                qBlue(pixel) < 90)
                return true;
        }
    }
    return false;
}

} // namespace

TEST(CardImages, EveryImageIsCardSizedAtTheScreensRatio)
{
    const CardImages plain(1.0);
    const CardImages sharp(2.0);
    for (int index = 0; index < CardImages::Count; ++index) {
        EXPECT_EQ(plain.image(index).size(), QSize(71, 96)) << index;
        EXPECT_EQ(plain.image(index).deviceIndependentSize(), QSizeF(71, 96)) << index;
        EXPECT_EQ(sharp.image(index).size(), QSize(142, 192)) << index;
        EXPECT_EQ(sharp.image(index).deviceIndependentSize(), QSizeF(71, 96)) << index;
    }
    EXPECT_EQ(CardImages(0.0).image(1).size(), QSize(71, 96));
    EXPECT_EQ(CardImages(-2.0).image(1).size(), QSize(71, 96));
}

TEST(CardImages, EveryCardCanBeToldApartByItsVisibleStrip)
{
    // A card lying under others in a column shows only its top 24 pixels.
    const CardImages cards;
    std::vector<QImage> whole, strips;
    for (int index = 0; index < CardImages::Count; ++index) {
        whole.push_back(pixels(cards.image(index)));
        strips.push_back(whole.back().copy(0, 0, CardImages::Width, 24));
    }
    for (int a = 0; a < CardImages::Count; ++a) {
        for (int b = a + 1; b < CardImages::Count; ++b) {
            EXPECT_NE(whole[a], whole[b]) << a << " " << b;
            EXPECT_NE(strips[a], strips[b]) << a << " " << b;
        }
    }
}

TEST(CardImages, RedSuitsAloneCarryRedInk)
{
    for (const qreal ratio : {1.0, 2.0}) {
        const CardImages cards(ratio);
        for (int number = 1; number <= Card::deckSize; ++number) {
            const int suit = Card(number).suit();
            const bool redSuit = suit == Card::Diamonds || suit == Card::Hearts;
            EXPECT_EQ(hasRedInk(pixels(cards.image(number))), redSuit) << number << " at " << ratio;
        }
        EXPECT_FALSE(hasRedInk(pixels(cards.image(CardImages::BackIndex))));
    }
}

TEST(CardImages, EmptyPlaceMarkIsADarkRedFieldWithALightCross)
{
    const QImage mark = pixels(CardImages().image(CardImages::EmptyMarkIndex));
    EXPECT_TRUE(near(mark.pixel(35, 48), palette::cream));
    EXPECT_TRUE(near(mark.pixel(35, 20), palette::darkRed));
    EXPECT_TRUE(near(mark.pixel(12, 48), palette::darkRed));
    for (const QPoint corner : {QPoint(0, 0), QPoint(70, 0), QPoint(0, 95), QPoint(70, 95)})
        EXPECT_TRUE(near(mark.pixel(corner), palette::darkRed)) << corner.x() << "," << corner.y();
}

TEST(CardImages, DrawPlacesTheImageAndIgnoresUnknownIndices)
{
    const CardImages cards;
    QImage canvas(100, 130, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        cards.draw(painter, 10, 20, CardImages::EmptyMarkIndex);
        cards.draw(painter, 0, 0, -1);
        cards.draw(painter, 0, 0, CardImages::Count);
    }
    EXPECT_TRUE(near(canvas.pixel(45, 68), palette::cream));
    EXPECT_TRUE(near(canvas.pixel(10, 20), palette::darkRed));
    EXPECT_EQ(qAlpha(canvas.pixel(5, 5)), 0);
    EXPECT_TRUE(cards.image(-1).isNull());
    EXPECT_TRUE(cards.image(CardImages::Count).isNull());
}

TEST(Pictures, LogoHasItsSizeAndATransparentBackground)
{
    for (const QSize size : {QSize(205, 37), QSize(206, 58), QSize(74, 74)}) {
        for (const qreal ratio : {1.0, 2.0}) {
            const QPixmap logo = logoPicture(size, ratio);
            EXPECT_EQ(logo.deviceIndependentSize(), QSizeF(size));
            EXPECT_EQ(logo.size(), size * ratio);
            const QImage image = pixels(logo);
            const int right = image.width() - 1, bottom = image.height() - 1;
            for (const QPoint corner :
                 {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
                EXPECT_EQ(qAlpha(image.pixel(corner)), 0) << size.width() << "x" << size.height();
            EXPECT_NE(image, QImage(image.size(), image.format()));
        }
    }
}

TEST(Pictures, InstructionExamplesHaveTheirSizes)
{
    for (const qreal ratio : {1.0, 2.0}) {
        EXPECT_EQ(instructionPicture1(ratio).deviceIndependentSize(), QSizeF(196, 80));
        EXPECT_EQ(instructionPicture2(ratio).deviceIndependentSize(), QSizeF(197, 86));
        EXPECT_EQ(instructionPicture3(ratio).deviceIndependentSize(), QSizeF(248, 134));
        EXPECT_EQ(instructionPicture3(ratio).size(), QSize(248, 134) * ratio);
    }
    const QImage board = pixels(instructionPicture2(1.0));
    EXPECT_TRUE(near(board.pixel(0, 0), palette::darkRed));
}

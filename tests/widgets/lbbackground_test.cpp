#include "widgets/lbbackground.h"

#include "tests/widgets/pixels.h"
#include "widgets/palette.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A window with painting of its own: a blue square in the top left corner.
class PaintingWindow : public QWidget {
public:
    PaintingWindow()
    {
        resize(250, 160);
        QPalette background = palette();
        background.setColor(QPalette::Window, palette::darkRed);
        setPalette(background);
        setAutoFillBackground(true);
    }
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        ++paints;
        QPainter(this).fillRect(0, 0, 10, 10, Qt::blue);
    }
};

// Left half green, right half yellow.
QPixmap twoColourTile()
{
    QPixmap tile(40, 30);
    tile.fill(Qt::green);
    QPainter(&tile).fillRect(20, 0, 20, 30, Qt::yellow);
    return tile;
}

QImage grabbed(QWidget &window)
{
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(LbBackgroundTest, CoversTheOuterSizeWithTwoTilesToSpare)
{
    EXPECT_EQ(TLbBackground::tileCount(QSize(495, 534), QSize(100, 100)), QSize(6, 7));
    EXPECT_EQ(TLbBackground::tileCount(QSize(500, 500), QSize(100, 100)), QSize(7, 7));
    EXPECT_EQ(TLbBackground::tileCount(QSize(495, 534), QSize()), QSize(0, 0));
}

TEST(LbBackgroundTest, TilesComeFirstAndTheWindowStillPaintsOverThem)
{
    PaintingWindow window;
    auto *background = new TLbBackground(&window);
    EXPECT_FALSE(background->Enabled());
    background->setImage(twoColourTile());
    background->setEnabled(true);

    const QImage image = grabbed(window);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(15, 15), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(25, 5), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(45, 35), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(239, 159), QColor(Qt::yellow));
    EXPECT_GT(window.paints, 0);
}

TEST(LbBackgroundTest, DisabledEmptyOrRemovedBackgroundLeavesThePlainWindow)
{
    PaintingWindow window;
    auto background = std::make_unique<TLbBackground>(&window);
    background->setImage(twoColourTile());
    EXPECT_EQ(grabbed(window).pixelColor(15, 15), palette::darkRed);

    background->setEnabled(true);
    background->setImage(QPixmap());
    EXPECT_EQ(grabbed(window).pixelColor(15, 15), palette::darkRed);

    background->setImage(twoColourTile());
    background.reset();
    const QImage image = grabbed(window);
    EXPECT_EQ(image.pixelColor(15, 15), palette::darkRed);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::blue));
}

} // namespace

#include "widgets/flatpanel.h"

#include "tests/widgets/pixels.h"
#include "widgets/fonts.h"
#include "widgets/palette.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor highlight{255, 0, 255};
const QColor shadow{0, 255, 255};
const QColor fontColor{255, 0, 0};

class FlatPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(300, 200);
        QPalette background = host.palette();
        background.setColor(QPalette::Window, palette::darkRed);
        host.setPalette(background);
        host.setAutoFillBackground(true);
        panel = new TFlatPanel("panel_test", &host);
        panel->move(20, 30);
    }

    // The panel as its window shows it.
    QImage shown()
    {
        return host.grab().toImage().copy(panel->geometry()).convertToFormat(QImage::Format_RGB32);
    }

    QWidget host;
    TFlatPanel *panel = nullptr;
};

TEST_F(FlatPanelTest, TakesItsParentsColourUntilGivenItsOwnAndPassesItOn)
{
    EXPECT_EQ(panel->size(), QSize(185, 41));
    EXPECT_EQ(panel->Alignment(), Qt::AlignHCenter);
    EXPECT_EQ(panel->Color(), palette::darkRed);
    const QImage fresh = shown();
    EXPECT_EQ(fresh.pixelColor(5, 5), palette::darkRed);
    // Both edges start in the same sand colour.
    EXPECT_EQ(fresh.pixelColor(0, 0), QColor(160, 150, 131));
    EXPECT_EQ(fresh.pixelColor(184, 40), QColor(160, 150, 131));

    auto *label = new QLabel(panel);
    panel->setColor(palette::cream);
    panel->setFontColor(fontColor);
    EXPECT_EQ(panel->Color(), palette::cream);
    EXPECT_EQ(shown().pixelColor(5, 5), palette::cream);
    EXPECT_EQ(label->palette().color(QPalette::Window), palette::cream);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), fontColor);
    EXPECT_EQ(host.palette().color(QPalette::Window), palette::darkRed);
}

TEST_F(FlatPanelTest, EdgeIsHighlightTopLeftAndShadowBottomRightWithShadowCorners)
{
    panel->setColor(palette::cream);
    panel->setColorHighLight(highlight);
    panel->setColorShadow(shadow);
    const QImage image = shown();
    const int right = panel->width() - 1;
    const int bottom = panel->height() - 1;

    EXPECT_EQ(image.pixelColor(0, 0), highlight);
    EXPECT_EQ(image.pixelColor(right - 1, 0), highlight);
    EXPECT_EQ(image.pixelColor(0, bottom - 1), highlight);
    EXPECT_EQ(image.pixelColor(right, 0), shadow);
    EXPECT_EQ(image.pixelColor(0, bottom), shadow);
    EXPECT_EQ(image.pixelColor(right, bottom), shadow);
    EXPECT_EQ(image.pixelColor(right, 20), shadow);
    EXPECT_EQ(image.pixelColor(90, bottom), shadow);
    EXPECT_EQ(image.pixelColor(1, 1), palette::cream);
    EXPECT_EQ(image.pixelColor(right - 1, bottom - 1), palette::cream);
}

TEST_F(FlatPanelTest, TransparentFaceShowsWhatTheParentDrawsBehind)
{
    panel->setColor(palette::cream);
    panel->setTransparent(true);
    auto *behind = new QWidget(&host);
    behind->setGeometry(0, 0, 60, 60);
    behind->setAutoFillBackground(true);
    QPalette blue = behind->palette();
    blue.setColor(QPalette::Window, Qt::blue);
    behind->setPalette(blue);
    behind->show();
    panel->raise();

    const QImage image = shown();
    EXPECT_EQ(image.pixelColor(100, 20), palette::darkRed);
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(160, 150, 131));

    panel->setTransparent(false);
    EXPECT_EQ(shown().pixelColor(10, 10), palette::cream);
}

TEST_F(FlatPanelTest, CaptionIsDrawnInFontColourOrEngravedWhenDisabled)
{
    panel->setColor(Qt::blue);
    panel->setFontColor(fontColor);
    panel->setFont(fonts::sansPx(24, true));
    panel->setCaption("HIGH");
    EXPECT_GT(pixels::count(shown(), fontColor), 20);

    panel->setEnabled(false);
    const QImage image = shown();
    const QColor light = panel->palette().color(QPalette::Disabled, QPalette::Light);
    const QColor dark = panel->palette().color(QPalette::Disabled, QPalette::Dark);
    ASSERT_NE(light, dark);
    EXPECT_EQ(pixels::count(image, fontColor), 0);
    EXPECT_GT(pixels::count(image, light), 5);
    EXPECT_GT(pixels::count(image, dark), 20);
}

TEST_F(FlatPanelTest, CaptionFollowsAlignmentInsideTheEdge)
{
    panel->setColor(Qt::white);
    panel->setColorHighLight(Qt::white);
    panel->setColorShadow(Qt::white);
    panel->setFontColor(Qt::black);
    panel->setCaption("Quellan");
    const QRect all = panel->rect();

    const QRect centred = pixels::inkBox(shown(), Qt::white, all);
    EXPECT_NEAR(centred.center().x(), all.center().x(), 2);
    EXPECT_NEAR(centred.center().y(), all.center().y(), 3);

    panel->setAlignment(Qt::AlignLeft);
    EXPECT_LE(pixels::inkBox(shown(), Qt::white, all).left(), 3);
    panel->setAlignment(Qt::AlignRight);
    EXPECT_GE(pixels::inkBox(shown(), Qt::white, all).right(), all.right() - 3);
}

TEST_F(FlatPanelTest, ShowInFrontRaisesAboveSiblings)
{
    auto *sibling = new QWidget(&host);
    sibling->setGeometry(panel->geometry());
    panel->hide();
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    ASSERT_EQ(host.childAt(panel->geometry().center()), sibling);

    panel->showInFront();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(host.childAt(panel->geometry().center()), panel);
}

} // namespace

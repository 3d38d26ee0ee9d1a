#include "widgets/selbutton.h"

#include "tests/widgets/pixels.h"
#include "widgets/fonts.h"
#include "widgets/palette.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor face{0, 0, 255};
const QColor over{0, 255, 0};
const QColor down{255, 255, 0};
const QColor border{255, 0, 255};
const QColor fontColor{255, 0, 0};
const QColor overCaption{0, 255, 255};

using Look = TSelButton::Look;

class SelButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(300, 100);
        QPalette background = host.palette();
        background.setColor(QPalette::Window, palette::darkRed);
        host.setPalette(background);
        host.setAutoFillBackground(true);
        button = new TSelButton("button_test", &host);
        button->move(20, 30);
        button->setColor(face);
        button->setColorOver(over);
        button->setColorDown(down);
        button->setColorBorder(border);
        button->setFontColor(fontColor);
        button->setColorOverCaption(overCaption);
        button->setFont(fonts::sansPx(16, true));
        button->setCaption("WWW");
        // The host keeps the keyboard, so that the button shows no focus mark unless asked.
        host.setFocusPolicy(Qt::StrongFocus);
        host.setFocus();
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }

    QImage shown() const { return pixels::onScreen(button); }
    QColor faceShown() const { return shown().pixelColor(2, 2); }
    bool captionShownIn(const QColor &color) const { return pixels::count(shown(), color) > 0; }
    QPoint centre() const { return button->rect().center(); }

    void enter()
    {
        QEnterEvent event(QPointF(centre()), QPointF(button->mapTo(&host, centre())),
                          QPointF(button->mapToGlobal(centre())));
        QApplication::sendEvent(button, &event);
    }

    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(button, &event);
    }

    QWidget host;
    TSelButton *button = nullptr;
};

TEST_F(SelButtonTest, NewButtonTakesItsNameAsCaptionAndTheFocusOnlyByTab)
{
    TSelButton plain("button_plain");
    EXPECT_EQ(plain.Caption(), "button_plain");
    EXPECT_EQ(plain.size(), QSize(105, 20));
    EXPECT_EQ(plain.Color(), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(plain.FontColor(), QColor(128, 128, 128));
    EXPECT_EQ(plain.font().pointSize(), 8);
    EXPECT_EQ(plain.Alignment(), TSelButton::Align::Left);
    EXPECT_EQ(plain.focusPolicy(), Qt::TabFocus);

    plain.setCaption("START GAME");
    plain.setParent(&host);
    EXPECT_EQ(plain.Caption(), "button_plain");
    plain.setParent(nullptr);
    EXPECT_EQ(plain.Caption(), "button_plain");
}

TEST_F(SelButtonTest, EachLookDrawsItsFaceAndCaptionColours)
{
    EXPECT_EQ(faceShown(), face);
    EXPECT_TRUE(captionShownIn(fontColor));

    enter();
    EXPECT_EQ(button->look(), Look::Hover);
    EXPECT_EQ(faceShown(), over);
    EXPECT_TRUE(captionShownIn(overCaption));
    EXPECT_FALSE(captionShownIn(fontColor));

    // Pressed after hover keeps the hover caption colour.
    QTest::mousePress(button, Qt::LeftButton, {}, centre());
    EXPECT_EQ(button->look(), Look::Pressed);
    EXPECT_EQ(faceShown(), down);
    EXPECT_TRUE(captionShownIn(overCaption));

    leave();
    EXPECT_EQ(button->look(), Look::Normal);
    EXPECT_EQ(faceShown(), face);
    EXPECT_TRUE(captionShownIn(fontColor));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-50, -50));

    // Pressed straight from the normal look keeps the font colour.
    QTest::mousePress(button, Qt::LeftButton, {}, centre());
    EXPECT_EQ(faceShown(), down);
    EXPECT_TRUE(captionShownIn(fontColor));
    EXPECT_FALSE(captionShownIn(overCaption));
}

TEST_F(SelButtonTest, AOnePixelFrameSurroundsTheFace)
{
    button->setCaption("");
    const int right = button->width() - 1;
    const int bottom = button->height() - 1;
    const QImage image = shown();
    for (const QPoint p :
         {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(50, bottom), QPoint(right, 10)})
        EXPECT_EQ(image.pixelColor(p), border) << p.x() << "," << p.y();
    EXPECT_EQ(image.pixelColor(1, 1), face);
    EXPECT_EQ(image.pixelColor(right - 1, bottom - 1), face);
}

// Where the caption's ink lands when its top left corner is at `origin`.
QRect expectedInk(const TSelButton &button, QPoint origin)
{
    const QFontMetrics metrics(button.font());
    QImage reference(metrics.horizontalAdvance(button.Caption()) + 10, metrics.height() + 10,
                     QImage::Format_RGB32);
    reference.fill(Qt::white);
    QPainter painter(&reference);
    painter.setFont(button.font());
    painter.setPen(Qt::black);
    painter.drawText(QPoint(0, metrics.ascent()), button.Caption());
    painter.end();
    return pixels::inkBox(reference, Qt::white, reference.rect()).translated(origin);
}

TEST_F(SelButtonTest, CaptionSitsByAlignmentAndMovesWhenPressed)
{
    button->setColor(Qt::white);
    button->setColorDown(Qt::white);
    button->setFontColor(Qt::black);
    button->setCaption("Hg");
    // Tall enough that the frame covers no ink.
    button->resize(105, 30);
    const QFontMetrics metrics(button->font());
    const int tw = metrics.horizontalAdvance("Hg");
    const int w = button->width();
    const int y = button->height() / 2 - metrics.height() / 2;
    const QRect inside = button->rect().adjusted(1, 1, -1, -1);

    struct Case {
        TSelButton::Align alignment;
        QPoint normal;
        QPoint pressed;
    };
    const Case cases[] = {
        {TSelButton::Align::Center, {w / 2 - tw / 2, y}, {w / 2 - tw / 2 + 1, y + 1}},
        {TSelButton::Align::Left, {5, y}, {6, y + 1}},
        {TSelButton::Align::Right, {w - tw - 6, y}, {w - tw - 7, y + 1}},
    };
    for (const Case &c : cases) {
        button->setAlignment(c.alignment);
        EXPECT_EQ(pixels::inkBox(shown(), Qt::white, inside), expectedInk(*button, c.normal));
        QTest::mousePress(button, Qt::LeftButton, {}, centre());
        EXPECT_EQ(pixels::inkBox(shown(), Qt::white, inside), expectedInk(*button, c.pressed));
        QTest::mouseRelease(button, Qt::LeftButton, {}, centre());
    }

    // Too wide to fit: it starts left of the button and is cut off at both ends.
    button->setAlignment(TSelButton::Align::Center);
    button->setCaption("WWWWWWWWWWWWWWWWWWWW");
    ASSERT_GT(metrics.horizontalAdvance(button->Caption()), w);
    EXPECT_EQ(pixels::inkBox(shown(), Qt::white, inside).left(), 1);
    EXPECT_EQ(pixels::inkBox(shown(), Qt::white, inside).right(), w - 2);
}

TEST_F(SelButtonTest, ClickRaisesDownClickUpAndLeavesHoverLook)
{
    QStringList order;
    QObject::connect(button, &TSelButton::OnMouseDown, [&] { order << "down"; });
    QObject::connect(button, &TSelButton::OnClick, [&] { order << "click"; });
    QObject::connect(button, &TSelButton::OnMouseUp, [&] { order << "up"; });
    QSignalSpy downs(button, &TSelButton::OnMouseDown);
    QSignalSpy clicks(button, &TSelButton::OnClick);

    enter();
    QTest::mousePress(button, Qt::LeftButton, Qt::ShiftModifier, QPoint(7, 9));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(7, 9));

    EXPECT_EQ(order, QStringList({"down", "click", "up"}));
    ASSERT_EQ(downs.size(), 1);
    EXPECT_EQ(downs[0][0].value<QObject *>(), button);
    EXPECT_EQ(downs[0][1].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(downs[0][2].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    EXPECT_EQ(downs[0][3].toInt(), 7);
    EXPECT_EQ(downs[0][4].toInt(), 9);
    EXPECT_EQ(clicks[0][0].value<QObject *>(), button);
    EXPECT_EQ(button->look(), Look::Hover);
    EXPECT_EQ(faceShown(), over);

    // Other buttons of the mouse neither press nor click.
    order.clear();
    QTest::mouseClick(button, Qt::RightButton, {}, centre());
    EXPECT_TRUE(order.isEmpty());
}

TEST_F(SelButtonTest, ReleaseOffTheButtonGivesNoClickButStillMouseUp)
{
    QSignalSpy clicks(button, &TSelButton::OnClick);
    QSignalSpy ups(button, &TSelButton::OnMouseUp);
    const QPoint outside(button->width() + 40, 5);

    enter();
    QTest::mousePress(button, Qt::LeftButton, {}, centre());
    QTest::mouseMove(button, outside);
    EXPECT_EQ(button->look(), Look::Normal);
    leave();
    QTest::mouseRelease(button, Qt::LeftButton, {}, outside);

    EXPECT_EQ(clicks.size(), 0);
    EXPECT_EQ(ups.size(), 1);
    EXPECT_EQ(button->look(), Look::Normal);
    EXPECT_EQ(faceShown(), face);
}

TEST_F(SelButtonTest, ClickHandlerThatHidesTheButtonLeavesNoHoverLook)
{
    auto *panel = new QWidget(&host);
    panel->setGeometry(0, 0, 200, 80);
    button->setParent(panel);
    button->move(20, 30);
    panel->show();
    QObject::connect(button, &TSelButton::OnClick, panel, &QWidget::hide);

    enter();
    QTest::mouseClick(button, Qt::LeftButton, {}, centre());
    EXPECT_EQ(button->look(), Look::Normal);
    EXPECT_FALSE(button->isVisible());
}

TEST_F(SelButtonTest, ClickOnAButtonCoveredByTheHandlerShowsNoHover)
{
    auto *cover = new QWidget(&host);
    cover->setGeometry(button->geometry());
    cover->hide();
    QObject::connect(button, &TSelButton::OnClick, cover, &QWidget::show);

    QTest::mouseClick(button, Qt::LeftButton, {}, centre());
    EXPECT_EQ(button->look(), Look::Normal);
}

TEST_F(SelButtonTest, RepaintByQtOrAPropertyBringsBackNormalLook)
{
    enter();
    ASSERT_EQ(faceShown(), over);
    button->update();
    QApplication::processEvents();
    EXPECT_EQ(button->look(), Look::Normal);
    EXPECT_EQ(faceShown(), face);

    enter();
    button->resize(120, 24);
    QApplication::processEvents();
    EXPECT_EQ(faceShown(), face);

    enter();
    button->setColor(Qt::white);
    EXPECT_EQ(faceShown(), QColor(Qt::white));
}

TEST_F(SelButtonTest, GameLookTurnsOnlyTheCaptionBlackUnderThePointer)
{
    applyGameLook(button, palette::darkGrey, 16);
    EXPECT_EQ(button->Alignment(), TSelButton::Align::Center);
    EXPECT_EQ(button->font().pixelSize(), 16);
    EXPECT_TRUE(button->font().bold());
    QApplication::processEvents();
    EXPECT_EQ(faceShown(), palette::cream);
    EXPECT_EQ(shown().pixelColor(0, 0), QColor(Qt::black));
    EXPECT_TRUE(captionShownIn(palette::darkGrey));

    enter();
    EXPECT_EQ(faceShown(), palette::cream);
    EXPECT_TRUE(captionShownIn(Qt::black));
    EXPECT_FALSE(captionShownIn(palette::darkGrey));
    QTest::mousePress(button, Qt::LeftButton, {}, centre());
    EXPECT_EQ(faceShown(), palette::cream);
}

} // namespace

TEST_F(SelButtonTest, TheKeyboardReachesItByTabShowsItAndPressesIt)
{
    QSignalSpy clicks(button, &TSelButton::OnClick);
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    // The dotted frame inside the button is drawn in the caption's colour.
    const int captionPixels = pixels::count(shown(), fontColor);
    QTest::keyClick(&host, Qt::Key_Tab);
    ASSERT_TRUE(button->hasFocus());
    EXPECT_GT(pixels::count(shown(), fontColor), captionPixels);
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(button, key);
    QTest::keyClick(button, Qt::Key_A);
    QTest::keyClick(button, Qt::Key_Space, Qt::ControlModifier);
    // A key held down presses once: its repeats do nothing.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(button, &repeat);
    EXPECT_EQ(clicks.count(), 3);

    // An assistive tool sees a button named by its caption, and can press it.
    QAccessibleInterface *seen = QAccessible::queryAccessibleInterface(button);
    EXPECT_EQ(seen->role(), QAccessible::Button);
    EXPECT_EQ(seen->text(QAccessible::Name), "WWW");
    seen->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 4);

    button->clearFocus();
    EXPECT_EQ(pixels::count(shown(), fontColor), captionPixels);
}

#include "app/help.h"

#include "widgets/flatpanel.h"
#include "widgets/lbbackground.h"
#include "widgets/palette.h"
#include "widgets/selbutton.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

class HelpTest : public ::testing::Test {
protected:
    HelpTest()
        : mainBackground(&main), about(&mainBackground, clock, nullptr, &main),
          help(&mainBackground, clock, &about, &main)
    {
        main.setGeometry(100, 100, 495, 534);
        main.show();
    }

    static void click(QWidget *widget)
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }

    // The page the reader sees: the one under the middle of the page area.
    QWidget *pageInFront() const
    {
        const QWidget *seen = help.panel_main->childAt(help.panel_main->rect().center());
        return seen ? seen->parentWidget() : nullptr;
    }

    Clock clock = [] { return QDateTime(QDate(2029, 3, 4), QTime(5, 6)); };
    QWidget main;
    TLbBackground mainBackground;
    Tabout about;
    Thelp help;
};

TEST_F(HelpTest, OpensOnOverviewAndKeepsTheLastTopic)
{
    help.showCentredOver(&main);
    EXPECT_EQ(help.label_caption->text(), "Overview");
    EXPECT_EQ(pageInFront(), help.memo1);

    help.memo6->verticalScrollBar()->setValue(40);
    click(help.SelButton6);
    EXPECT_EQ(pageInFront(), help.memo6);
    click(help.SelButton4);
    EXPECT_EQ(help.label_caption->text(), "Scoring");
    EXPECT_EQ(pageInFront(), help.memo4);
    click(help.button_done);
    EXPECT_FALSE(help.isVisible());

    help.showCentredOver(&main);
    EXPECT_EQ(help.label_caption->text(), "Scoring");
    EXPECT_EQ(pageInFront(), help.memo4);
    click(help.SelButton6);
    EXPECT_EQ(help.label_caption->text(), "License");
    EXPECT_EQ(help.memo6->verticalScrollBar()->value(), 40);

    // A button whose tag names no page changes nothing.
    TSelButton stray("stray", help.panel_side);
    stray.setTag(2);
    help.SelButton1Click(&stray);
    EXPECT_EQ(help.label_caption->text(), "License");
    EXPECT_EQ(pageInFront(), help.memo6);
}

TEST_F(HelpTest, PagesHoldTheirLinesExactly)
{
    auto text = [](const QStringList &lines) { return lines.join('\n'); };
    EXPECT_EQ(help.memo1->toPlainText(),
              text({"Overview", "",
                    "Solitaire games are always a great way to pass the time. This game is a ",
                    "simple game, yet difficult to win. I've increased the chances of a win by ",
                    "adding a new rule. After all the cards are dealt, you are able to remove the ",
                    "Aces from the board. ", "", "Good Luck!", " "}));
    EXPECT_EQ(
        help.memo3->toPlainText(),
        text({"Game Play", "", "The object is to put all the cards in the discard pile.", "",
              "Cards are dealt four at a time. One on each column.", "",
              "The top card of a column can be removed if there is another card of the ",
              "same suit with a higher rank on the top of another column. Aces are the ",
              "highest card so they can remove anything. Remove cards by clicking on ", "them.", "",
              "If a space opens up, you can move any top card to the empty space by ",
              "clicking on it.", "",
              "After all 52 cards have been dealt out, you can remove an ACE from the ",
              "board if you need to. ", "",
              "The game ends when there are no cards on the board or not plays left."}));
    // The scoring page tells the rules the table plays by.
    EXPECT_EQ(help.memo4->toPlainText(),
              text({"Scoring", "", "You receive 2 points for each card you clear. ", "",
                    "Every fourth card you clear since the last deal gives you 32 points instead ",
                    "of 2.", "",
                    "If nothing but Aces is left on the board after the last deal, you win and ",
                    "receive 100 bonus points.", "",
                    "If no play is left, the cards still on the board are taken from your score: ",
                    "2 to 10 as marked, Jacks 11, Queens 12, Kings 13 and Aces 14."}));
    EXPECT_EQ(help.memo5->toPlainText(), text({"History", "", "Version 1.0.0.0", "", " "}));
    const QStringList licence = help.memo6->toPlainText().split('\n');
    EXPECT_EQ(licence.first(), "License Agreement ");
    EXPECT_GE(licence.size(), 50);
    EXPECT_LE(licence.size(), 70);

    for (QTextEdit *memo : {help.memo1, help.memo3, help.memo4, help.memo5, help.memo6}) {
        EXPECT_TRUE(memo->isReadOnly());
        EXPECT_EQ(memo->frameShape(), QFrame::NoFrame);
        EXPECT_FALSE(memo->focusPolicy() & Qt::TabFocus);
        EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(memo->palette().color(QPalette::Base), palette::cream);
    }
}

TEST_F(HelpTest, AboutButtonBringsUpAboutBesideHelp)
{
    help.showCentredOver(&main);
    click(help.button_about);
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(help.isVisible());
    // A second press brings the one About window back, even from the task bar.
    about.setWindowState(Qt::WindowMinimized);
    click(help.button_about);
    EXPECT_TRUE(about.isVisible());
    EXPECT_FALSE(about.isMinimized());
}

TEST_F(HelpTest, WindowLooksAndPlacement)
{
    EXPECT_EQ(help.windowTitle(), "Quellan - Help File");
    EXPECT_EQ(help.label_year->text(), "2029");
    EXPECT_EQ(help.palette().color(QPalette::Window), palette::darkRed);
    for (TSelButton *topic :
         {help.SelButton1, help.SelButton3, help.SelButton4, help.SelButton5, help.SelButton6})
        EXPECT_EQ(topic->Alignment(), TSelButton::Align::Left);
    EXPECT_EQ(help.SelButton5->Tag(), 5);
    EXPECT_EQ(help.button_done->Alignment(), TSelButton::Align::Center);

    QPixmap tile(10, 10);
    tile.fill(Qt::green);
    mainBackground.setImage(tile);
    const Thelp second(&mainBackground, clock, &about, &main);
    EXPECT_EQ(second.LbBackground1->Image().toImage(), tile.toImage());
    EXPECT_TRUE(second.LbBackground1->Enabled());

    help.showCentredOver(&main);
    EXPECT_LE((help.frameGeometry().center() - main.frameGeometry().center()).manhattanLength(), 2);
}

TEST_F(HelpTest, OverAWindowAtTheScreensEdgeTheWindowStaysOnTheScreen)
{
    // Centred over the main window at its first place, the help window would start left of
    // the screen, its topic buttons cut off.
    main.setGeometry(3, 3, 495, 534);
    help.showCentredOver(&main);
    const QRect area = main.screen()->availableGeometry();
    EXPECT_EQ(help.frameGeometry().left(), area.left());
    EXPECT_TRUE(area.contains(help.frameGeometry())) << help.frameGeometry().top();
}

TEST_F(HelpTest, ThePageFillsTheWindowBesideTheTopicsAtAnySize)
{
    help.showCentredOver(&main);
    for (const QSize size : {QSize(523, 431), QSize(700, 600)}) {
        help.resize(size);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return help.panel_main->geometry().right() == size.width() - 1; }));
        EXPECT_EQ(help.panel_side->geometry(), QRect(0, 0, 137, size.height()));
        EXPECT_EQ(help.panel_main->geometry(), QRect(137, 0, size.width() - 137, size.height()));
        // Caption on top, the page below it, both inside the page area's border.
        const QRect inside = help.panel_main->rect().adjusted(1, 1, -1, -1);
        EXPECT_EQ(help.label_caption->geometry().top(), inside.top());
        EXPECT_EQ(help.memo4->geometry().top(), help.label_caption->geometry().bottom() + 1);
        EXPECT_EQ(help.memo4->geometry().bottomRight(), inside.bottomRight());
    }
}

} // namespace

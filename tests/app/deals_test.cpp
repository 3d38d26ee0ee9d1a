// Deals chosen by number, hints and the best a deal allowed, as the player meets them.

#include "tests/support/mainwindowtest.h"

#include "app/solverworker.h"
#include "game/solver.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace {

using DealsTest = MainWindowTest;

QString labelText(QLabel *label)
{
    return label ? label->text() : QString();
}

TEST_F(DealsTest, ASelectedDealIsPlayedCountedAndAssistedAndRestartsTheSame)
{
    Tmain &main = open();
    EXPECT_FALSE(action("RestartDeal1")->isEnabled());
    action("SelectDeal1")->trigger();
    ASSERT_TRUE(child<TFlatPanel>("panel_deal")->isVisible());
    for (const char *bad : {"abc", "-1", "4294967296", "12 3", ""}) {
        child<QLineEdit>("edit_deal")->setText(bad);
        QTest::keyClick(child<QLineEdit>("edit_deal"), Qt::Key_Return);
        EXPECT_EQ(labelText(child<QLabel>("label_dealerror")),
                  "Enter a whole number from 0 to 4294967295.")
            << bad;
        EXPECT_TRUE(child<TFlatPanel>("panel_deal")->isVisible()) << bad;
    }
    EXPECT_TRUE(record.calls.isEmpty());
    EXPECT_FALSE(main.table().gameactive());

    child<QLineEdit>("edit_deal")->setText("4294967295");
    click(child<TSelButton>("button_dealplay"));
    EXPECT_FALSE(child<TFlatPanel>("panel_deal")->isVisible());
    EXPECT_EQ(main.table().dealNumber(), 4294967295u);
    EXPECT_TRUE(main.table().assisted());
    EXPECT_EQ(labelText(child<QLabel>("label_deal")), "Deal 4294967295");
    EXPECT_EQ(record.calls, QStringList{"increase 1"});

    const auto deck = main.table().position().deck;
    clickColumn(1);
    ASSERT_TRUE(action("RestartDeal1")->isEnabled());
    action("RestartDeal1")->trigger();
    EXPECT_EQ(main.table().position().deck, deck);
    EXPECT_EQ(main.table().cardsLeft(), 48);
    EXPECT_EQ(record.calls, (QStringList{"increase 1", "increase 1"}));

    // START GAME goes on with the table's own deals, numbered too.
    click(child<TSelButton>("button_start"));
    EXPECT_FALSE(main.table().assisted());
    EXPECT_EQ(labelText(child<QLabel>("label_deal")),
              QString("Deal %1").arg(main.table().dealNumber()));
}

TEST_F(DealsTest, AHintOutlinesWhereABestLineStartsAndTheGameIsThenAssisted)
{
    Tmain &main = open();
    action("Hint1")->trigger();
    EXPECT_EQ(labelText(child<QLabel>("label_thisturn")), "No move left");

    // The name box had the keyboard; once its panel is gone, H is the window's again.
    main.activateWindow();
    const QString name = child<QLineEdit>("edit_aname")->text();
    child<QLineEdit>("edit_aname")->setFocus();
    click(child<TSelButton>("button_start"));
    ASSERT_FALSE(main.table().assisted());
    QWidget *focused = QApplication::focusWidget();
    EXPECT_NE(focused, child<QLineEdit>("edit_aname"));
    QTest::keyClick(focused ? focused : &main, Qt::Key_H);
    EXPECT_TRUE(main.table().assisted());
    EXPECT_EQ(child<QLineEdit>("edit_aname")->text(), name);

    action("SelectDeal1")->trigger();
    child<QLineEdit>("edit_deal")->setText("2");
    click(child<TSelButton>("button_dealplay"));
    const Solution solution = solve(main.table().position());
    ASSERT_TRUE(solution.solved);
    const char first = solution.best.actions.front();
    QWidget *target = first == 'd' ? child<QWidget>("image_deal")
                                   : child<QWidget>(QString("image_col%1").arg(first));
    QWidget *frame = child<QWidget>("hint_outline");
    action("Hint1")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->isVisible(); }, 5000));
    EXPECT_TRUE(frame->geometry().contains(target->geometry()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->isVisible(); }, 5000));
    // Following the hint takes the outline away at once.
    action("Hint1")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->isVisible(); }, 5000));
    if (first == 'd')
        click(child<TImage>("image_deal"));
    else
        clickColumn(first - '0');
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(DealsTest, AnAssistedGameIsNeitherRankedNorPostedAndShowsTheBestPossible)
{
    Tmain &main = open();
    action("SelectDeal1")->trigger();
    child<QLineEdit>("edit_deal")->setText("2");
    click(child<TSelButton>("button_dealplay"));
    const Solution solution = solve(main.table().position());
    ASSERT_TRUE(solution.solved);
    for (const char step : solution.best.actions) {
        if (step == 'd')
            click(child<TImage>("image_deal"));
        else if (step == 'y')
            click(child<TSelButton>("button_removeyes"));
        else
            clickColumn(step - '0');
    }
    ASSERT_FALSE(main.table().gameactive());
    EXPECT_EQ(main.table().score(), 556);
    EXPECT_TRUE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_TRUE(child<QLabel>("label_assisted")->isVisible());
    EXPECT_FALSE(child<TSelButton>("button_sendscore")->isVisible());
    EXPECT_EQ(record.calls, (QStringList{"increase 1", "increase 2"}));
    QLabel *best = child<QLabel>("label_best");
    EXPECT_TRUE(QTest::qWaitFor([&] { return best->text() == "Best possible: 556 (won)"; }, 10000))
        << best->text().toStdString();
}

TEST(BestPossible, SaysAtLeastUntilProvenThenWhetherTheBestLineWins)
{
    SolveNews news{{412, false, "d"}, false, std::nullopt};
    EXPECT_EQ(bestPossibleText(news), "Best possible: at least 412");
    news = {{-12, false, "d"}, true, false};
    EXPECT_EQ(bestPossibleText(news), "Best possible: -12 (no win in this deal)");
    news = {{422, false, "2d"}, true, true};
    EXPECT_EQ(bestPossibleText(news), "Best possible: 422 (a win scores less)");
    news = {{420, true, "1d"}, true, true};
    EXPECT_EQ(bestPossibleText(news), "Best possible: 420 (won)");
}

} // namespace

// The running game kept across runs, Redo, and the question before a game is given up.

#include "app/keptgame.h"
#include "tests/support/mainwindowtest.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>

namespace {

using KeptGameTest = MainWindowTest;

// What the player sees of a table.
struct Seen {
    Position position;
    bool aceQuestion = false;
    bool assisted = false;
    bool canUndo = false, canRedo = false;

    explicit Seen(const GameTable &table)
        : position(table.position()), aceQuestion(table.aceQuestionOpen()),
          assisted(table.assisted()), canUndo(table.canUndo()), canRedo(table.canRedo())
    {
    }
    bool operator==(const Seen &other) const
    {
        return position.columns == other.position.columns &&
               position.dealt == other.position.dealt && position.score == other.position.score &&
               aceQuestion == other.aceQuestion && assisted == other.assisted &&
               canUndo == other.canUndo && canRedo == other.canRedo;
    }
};

// Random games, some undone part way and some with the ace question open or answered NO,
// come back from their kept text as they were, what Redo can put back included.
TEST(KeptGame, EveryRunningGamePlaysBackAsItWas)
{
    int compared = 0;
    for (std::uint32_t deal = 0; deal < 40; ++deal) {
        GameTable table;
        table.startDeal(deal);
        table.setAssisted(deal % 2);
        Random hand(deal);
        for (int step = 0; step < 60 && table.gameactive(); ++step) {
            if (const auto choice = static_cast<int>(hand.next(10)); choice == 0)
                table.dealClick();
            else if (choice == 5)
                table.removeAce();
            else if (choice == 6)
                table.keepAce();
            else if (choice >= 7)
                table.undo();
            else
                table.clickColumn(choice);
        }
        if (!table.gameactive())
            continue;
        const GameTable again = KeptGame::of(table).replay();
        EXPECT_TRUE(Seen(again) == Seen(table)) << "deal " << deal << " " << table.line();
        EXPECT_EQ(again.line(), table.line());
        EXPECT_EQ(again.lineAhead(), table.lineAhead());
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

TEST(KeptGame, AGameThatDoesNotPlayIsNeverResumed)
{
    const KeptGame ok{7, "d", "d", false, false};
    EXPECT_NO_THROW(ok.replay());
    for (const KeptGame &bad :
         {KeptGame{7, "x", "x", false, false}, KeptGame{7, "d", "1d", false, false},
          KeptGame{7, std::string(14, 'd'), std::string(14, 'd'), 0, 0}})
        EXPECT_THROW(bad.replay(), std::runtime_error) << bad.ahead;
}

TEST_F(KeptGameTest, AGameHalfPlayedIsThereAgainAfterARestartWithUndoAndRedo)
{
    Tmain *main = &open();
    action("SelectDeal1")->trigger();
    child<QLineEdit>("edit_deal")->setText("2");
    click(child<TSelButton>("button_dealplay"));
    click(child<TImage>("image_deal"));
    clickColumn(2);
    click(child<TImage>("image_deal"));
    action("Undo1")->trigger();
    ASSERT_TRUE(action("Redo1")->isEnabled());
    const Seen before(main->table());
    const std::string line = main->table().line();

    main = &open(); // as after a crash: the old window never closed
    EXPECT_TRUE(Seen(main->table()) == Seen(before));
    EXPECT_EQ(main->table().line(), line);
    EXPECT_TRUE(child<QLabel>("label_name")->text().startsWith("Welcome back, "));
    EXPECT_EQ(record.calls, (QStringList{"increase 1"})); // counted once, at its start
    action("Redo1")->trigger();
    EXPECT_FALSE(action("Redo1")->isEnabled());
    EXPECT_EQ(main->table().cardsLeft(), 40);

    // A file that does not play is set aside with a word, and the game starts as usual.
    main->close();
    window.reset();
    QFile kept(folder.filePath("quellangame.txt"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("Deal=2\nLine=zz\nAhead=zz\nAssisted=1\nAceQuestion=0\n");
    kept.close();
    main = &open();
    EXPECT_FALSE(main->table().gameactive());
    EXPECT_TRUE(QFile::exists(folder.filePath("quellangame.txt.damaged")));
    EXPECT_FALSE(QFile::exists(folder.filePath("quellangame.txt")));
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.front().contains("quellangame.txt.damaged"));
}

TEST_F(KeptGameTest, StartingAnotherGameMidGameAsksFirst)
{
    Tmain &main = open();
    click(child<TSelButton>("button_start"));
    const std::uint32_t deal = main.table().dealNumber();
    // Nothing played yet: nothing to lose, no question.
    click(child<TSelButton>("button_start"));
    EXPECT_FALSE(child<TFlatPanel>("panel_abandon")->isVisible());
    click(child<TImage>("image_deal"));
    const std::uint32_t playing = main.table().dealNumber();
    EXPECT_NE(playing, deal);

    auto *panel = child<TFlatPanel>("panel_abandon");
    click(child<TSelButton>("button_start"));
    ASSERT_TRUE(panel->isVisible());
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(main.table().dealNumber(), playing);
    EXPECT_EQ(main.table().cardsLeft(), 44);

    action("RestartDeal1")->trigger();
    ASSERT_TRUE(panel->isVisible());
    click(child<TSelButton>("button_abandonyes"));
    EXPECT_EQ(main.table().dealNumber(), playing);
    EXPECT_EQ(main.table().cardsLeft(), 48);
}

} // namespace

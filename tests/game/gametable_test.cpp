#include "game/gametable.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Card numbers by suit block and rank (ace = 1, jack 11, queen 12, king 13).
constexpr int club(int r)
{
    return r;
}
constexpr int diamond(int r)
{
    return 13 + r;
}
constexpr int heart(int r)
{
    return 26 + r;
}
constexpr int spade(int r)
{
    return 39 + r;
}

using Board = std::array<std::vector<int>, GameTable::columnCount>;

std::vector<int> columnCards(const GameTable &table, int c)
{
    const Column &column = table.column(c);
    return {column.cards.begin() + 1, column.cards.begin() + 1 + column.count};
}

} // namespace

TEST(GameTable, ShuffleFillsEveryPositionOnceInTheKnownOrder)
{
    GameTable table(12345);
    table.shufflecards();
    std::vector<int> deck;
    for (int p = 1; p <= 52; ++p)
        deck.push_back(table.deckCard(p));
    EXPECT_EQ(table.deckpos(), 0);
    EXPECT_EQ(std::vector<int>(deck.begin(), deck.begin() + 8),
              (std::vector<int>{42, 8, 19, 25, 3, 47, 27, 41}));
    std::sort(deck.begin(), deck.end());
    for (int p = 0; p < 52; ++p)
        EXPECT_EQ(deck[p], p + 1);
}

TEST(GameTable, StartDealsOneCardOntoEachColumn)
{
    GameTable table(12345);
    EXPECT_FALSE(table.gameactive());
    EXPECT_EQ(table.dealPile(), GameTable::emptyMark);
    table.start();
    EXPECT_TRUE(table.gameactive());
    EXPECT_EQ(table.score(), 0);
    EXPECT_EQ(table.cardsLeft(), 48);
    EXPECT_EQ(table.dealPile(), GameTable::cardBack);
    EXPECT_EQ(table.played(), GameTable::emptyMark);
    EXPECT_EQ(table.thisturn(), "");
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(columnCards(table, c), std::vector<int>{table.deckCard(c)});
}

TEST(GameTable, ThirteenDealsExhaustTheDeckAndFurtherDealsDoNothing)
{
    GameTable table(7);
    table.start();
    for (int k = 2; k <= 13; ++k)
        ASSERT_TRUE(table.dealClick().dealt);
    EXPECT_EQ(table.cardsLeft(), 0);
    EXPECT_EQ(table.dealPile(), GameTable::emptyMark);
    for (int c = 1; c <= 4; ++c) {
        ASSERT_EQ(table.column(c).count, 13);
        for (int k = 1; k <= 13; ++k)
            EXPECT_EQ(table.column(c).cards[k], table.deckCard(4 * (k - 1) + c));
    }
    if (table.gameactive()) {
        EXPECT_FALSE(table.dealClick().dealt);
        EXPECT_EQ(table.thisturn(), "");
        EXPECT_EQ(table.cardsLeft(), 0);
    }
}

TEST(GameTable, BoardsNoGameReachesAreRefused)
{
    GameTable table;
    EXPECT_THROW(table.setBoard({{std::vector<int>(14, 2), {}, {}, {}}}, 52),
                 std::invalid_argument);
    EXPECT_THROW(table.setBoard({{{}, {}, {}, {}}}, 53), std::invalid_argument);
    EXPECT_FALSE(table.gameactive());
}

TEST(GameTable, ClicksWhileNoGameRunsAreIgnored)
{
    GameTable table(1);
    EXPECT_FALSE(table.dealClick().dealt);
    EXPECT_EQ(table.clickColumn(1).play, Play::Ignored);
    EXPECT_EQ(table.deckpos(), 0);
}

TEST(GameTable, RemovalBeatsMoveIntoEmptyColumn)
{
    GameTable table;
    table.setBoard({{{club(2), heart(12)}, {}, {heart(13)}, {spade(5)}}}, 8);
    const ClickResult result = table.clickColumn(1);
    EXPECT_EQ(result.play, Play::Removed);
    EXPECT_EQ(columnCards(table, 1), std::vector<int>{club(2)});
    EXPECT_EQ(table.column(1).cards[2], 0);
    EXPECT_EQ(table.column(2).count, 0);
    EXPECT_EQ(table.played(), heart(12));
    EXPECT_EQ(columnCards(table, 3), std::vector<int>{heart(13)});
}

TEST(GameTable, MoveGoesToTheLeftmostEmptyColumnWithoutScoring)
{
    GameTable table;
    table.setBoard({{{club(2), club(5), diamond(9)}, {}, {heart(4)}, {}}}, 8);
    EXPECT_EQ(table.clickColumn(1).play, Play::Moved);
    EXPECT_EQ(columnCards(table, 2), std::vector<int>{diamond(9)});
    EXPECT_EQ(columnCards(table, 1), (std::vector<int>{club(2), club(5)}));
    EXPECT_EQ(table.column(4).count, 0);
    EXPECT_EQ(table.score(), 0);
    EXPECT_EQ(table.thisturn(), "");
    EXPECT_EQ(table.played(), GameTable::emptyMark);
}

TEST(GameTable, LoneCardIsInvalidUntilTheDeckIsOutThenAnAceAsks)
{
    GameTable table;
    table.setBoard({{{club(7)}, {}, {heart(1), heart(3)}, {diamond(1)}}}, 8);
    EXPECT_EQ(table.clickColumn(1).play, Play::Invalid);
    EXPECT_EQ(table.clickColumn(4).play, Play::Invalid); // a lone ace before the last deal
    EXPECT_EQ(columnCards(table, 1), std::vector<int>{club(7)});

    table.setBoard({{{club(7)}, {}, {heart(3)}, {spade(1)}}}, 52);
    const ClickResult result = table.clickColumn(4);
    EXPECT_EQ(result.play, Play::AceQuestion);
    EXPECT_EQ(result.ending, Ending::None);
    EXPECT_TRUE(table.aceQuestionOpen());
    EXPECT_EQ(table.aceQuestion(), "Are you sure you want to remove the ACE of SPADES?");
    EXPECT_EQ(table.acecolumn(), 4);
    EXPECT_EQ(table.aceslot(), 1);
}

TEST(GameTable, AceOnAStackIsMovedRatherThanQuestioned)
{
    GameTable table;
    table.setBoard({{{club(7), diamond(1)}, {}, {heart(3)}, {spade(9)}}}, 52);
    EXPECT_EQ(table.clickColumn(1).play, Play::Moved);
    EXPECT_FALSE(table.aceQuestionOpen());
    EXPECT_EQ(columnCards(table, 2), std::vector<int>{diamond(1)});
}

TEST(GameTable, AceWithCardsLeftAndNoEmptyColumnIsInvalid)
{
    GameTable table;
    table.setBoard({{{club(7), diamond(1)}, {club(3)}, {heart(3)}, {spade(9)}}}, 12);
    EXPECT_EQ(table.clickColumn(1).play, Play::Invalid);
}

TEST(GameTable, EveryFourthRemovalSinceTheLastDealScoresThirtyTwo)
{
    GameTable table;
    // Column 4's king of hearts beats every heart below it on the other columns.
    table.setBoard({{{heart(2), heart(3), heart(4), heart(5), heart(6)},
                     {heart(7), heart(8), heart(9), heart(10), heart(11)},
                     {club(2)},
                     {heart(13)}}},
                   8);
    const std::vector<std::string> labels{"+2", "+2", "+2", "+32", "+2", "+2", "+2", "+32"};
    const std::vector<int> clicks{1, 1, 1, 1, 2, 2, 2, 2};
    for (size_t i = 0; i < clicks.size(); ++i) {
        ASSERT_EQ(table.clickColumn(clicks[i]).play, Play::Removed) << i;
        EXPECT_EQ(table.thisturn(), labels[i]) << i;
    }
    EXPECT_EQ(table.score(), 2 * (2 + 2 + 2 + 32));
    EXPECT_EQ(table.turnclears(), 8);
}

TEST(GameTable, ADealRestartsTheBonusCount)
{
    GameTable table(99);
    table.start();
    table.setBoard({{{heart(2), heart(3), heart(4)}, {heart(13)}, {club(2)}, {club(3)}}}, 8);
    table.clickColumn(1);
    table.clickColumn(1);
    table.clickColumn(1);
    EXPECT_EQ(table.turnclears(), 3);
    table.dealcards();
    EXPECT_EQ(table.turnclears(), 0);
    EXPECT_EQ(table.thisturn(), "");
}

TEST(GameTable, NoKeepsTheAceAndYesTakesItOffWithoutScoring)
{
    GameTable table;
    table.setBoard({{{club(9), spade(1)}, {club(3)}, {heart(3)}, {diamond(7)}}}, 52);
    ASSERT_EQ(table.clickColumn(1).play, Play::AceQuestion);
    table.keepAce();
    EXPECT_FALSE(table.aceQuestionOpen());
    EXPECT_EQ(table.column(1).count, 2);
    EXPECT_EQ(table.score(), 0);

    ASSERT_EQ(table.clickColumn(1).play, Play::AceQuestion);
    const int playedBefore = table.played();
    table.removeAce();
    EXPECT_EQ(columnCards(table, 1), std::vector<int>{club(9)});
    EXPECT_EQ(table.column(1).cards[2], 0);
    EXPECT_EQ(table.aceslot(), 1);
    EXPECT_EQ(table.score(), 0);
    EXPECT_EQ(table.played(), playedBefore);
}

TEST(GameTable, YesRechecksTheRememberedAce)
{
    // The ace was moved into a column that emptied after the question opened.
    GameTable table;
    table.setBoard({{{club(9), spade(1)}, {club(3)}, {heart(3)}, {heart(4)}}}, 52);
    ASSERT_EQ(table.clickColumn(1).play, Play::AceQuestion);
    ASSERT_EQ(table.clickColumn(3).play, Play::Removed); // hearts 3 under hearts 4
    ASSERT_EQ(table.clickColumn(1).play, Play::Moved);   // the ace goes to column 3
    EXPECT_EQ(table.removeAce(), Ending::None);
    EXPECT_EQ(columnCards(table, 1), std::vector<int>{club(9)});
    EXPECT_EQ(columnCards(table, 3), std::vector<int>{spade(1)});
    EXPECT_FALSE(table.aceQuestionOpen());

    // A new game started while the question was open.
    GameTable restarted(5);
    restarted.setBoard({{{club(9), spade(1)}, {club(3)}, {heart(3)}, {diamond(7)}}}, 52);
    ASSERT_EQ(restarted.clickColumn(1).play, Play::AceQuestion);
    restarted.start();
    const std::vector<int> before = columnCards(restarted, 1);
    EXPECT_EQ(restarted.removeAce(), Ending::None);
    EXPECT_EQ(columnCards(restarted, 1), before);
}

TEST(GameTable, YesAfterTheGameEndedChangesNothing)
{
    GameTable table;
    table.setBoard({{{spade(1)}, {heart(3)}, {heart(1)}, {}}}, 52);
    ASSERT_EQ(table.clickColumn(1).play, Play::AceQuestion);
    // Clearing the three of hearts leaves only aces: the game is won with the question open.
    EXPECT_EQ(table.clickColumn(2).ending, Ending::Won);
    EXPECT_EQ(table.score(), 102);
    EXPECT_EQ(table.removeAce(), Ending::None);
    EXPECT_EQ(table.score(), 102);
    EXPECT_EQ(table.column(1).count, 1);
    EXPECT_FALSE(table.aceQuestionOpen());
}

TEST(GameTable, NeitherTestEndsAGameWhileCardsRemain)
{
    GameTable table;
    table.setBoard({{{}, {}, {}, {}}}, 48);
    EXPECT_EQ(table.checkforwin(), Ending::None);
    EXPECT_EQ(table.checkforover(), Ending::None);
    table.setBoard({{{club(5)}, {club(6)}, {club(7)}, {club(8)}}}, 48);
    EXPECT_EQ(table.checkforover(), Ending::None);
    EXPECT_TRUE(table.gameactive());
}

TEST(GameTable, AnAceOnTopKeepsTheGameGoing)
{
    GameTable table;
    table.setBoard({{{club(5)}, {diamond(6)}, {heart(7), heart(1)}, {spade(8)}}}, 52);
    EXPECT_EQ(table.checkforover(), Ending::None);
    EXPECT_TRUE(table.gameactive());
}

TEST(GameTable, SinglesWithAnEmptyColumnAndNothingToRemoveLose)
{
    GameTable table;
    table.setBoard({{{club(5)}, {}, {heart(7)}, {spade(8)}}}, 52);
    EXPECT_EQ(table.checkforover(), Ending::Lost);
    EXPECT_EQ(table.score(), -(5 + 7 + 8));
    EXPECT_EQ(table.thisturn(), "-20");
    EXPECT_FALSE(table.gameactive());
}

TEST(GameTable, TheDeductionCountsAcesAsFourteen)
{
    GameTable table;
    table.setBoard({{{heart(1), spade(5)}, {club(13)}, {diamond(12)}, {heart(11)}}}, 52);
    EXPECT_EQ(table.checkforover(), Ending::Lost);
    EXPECT_EQ(table.thisturn(), "-55");
    EXPECT_EQ(table.score(), -55);
    // The sweep leaves the last card swept on the discard pile: column 4's lowest card.
    EXPECT_EQ(table.played(), heart(11));
    for (int c = 1; c <= 4; ++c) {
        for (int slot = 1; slot <= 13; ++slot)
            EXPECT_EQ(table.column(c).cards[slot], 0);
    }
    EXPECT_EQ(table.column(1).count, 2); // counts stay as they were
}

TEST(GameTable, AnEmptiedBoardIsWonAndTheSweepDrawsNothing)
{
    GameTable table;
    table.setBoard({{{}, {}, {}, {}}}, 52);
    EXPECT_EQ(table.checkforwin(), Ending::Won);
    EXPECT_EQ(table.score(), 100);
    EXPECT_EQ(table.thisturn(), "+100");
    EXPECT_EQ(table.played(), GameTable::emptyMark);
}

TEST(GameTable, FourAcesUnderACardAreNotAWin)
{
    GameTable table;
    table.setBoard({{{club(1), diamond(1), heart(1), spade(1), club(9)}, {}, {}, {}}}, 52);
    EXPECT_EQ(table.checkforwin(), Ending::None);
    EXPECT_EQ(table.checkforover(), Ending::None);
    const ClickResult result = table.clickColumn(1);
    EXPECT_EQ(result.play, Play::Moved);
    EXPECT_EQ(result.ending, Ending::None); // an ace is on top of column 1 now
}

TEST(GameTable, AcesOnlyBoardIsWonWhereverTheAcesStand)
{
    GameTable table;
    table.setBoard({{{club(1), heart(1)}, {diamond(3)}, {diamond(13)}, {spade(1)}}}, 52);
    const ClickResult result = table.clickColumn(2);
    EXPECT_EQ(result.play, Play::Removed);
    EXPECT_EQ(result.ending, Ending::None); // the king of diamonds is still on the board
    table.setBoard({{{club(1), heart(1)}, {diamond(3)}, {diamond(1)}, {spade(1)}}}, 52);
    // The ace of diamonds beats the three; what stays is aces only.
    const ClickResult won = table.clickColumn(2);
    EXPECT_EQ(won.play, Play::Removed);
    EXPECT_EQ(won.ending, Ending::Won);
    EXPECT_EQ(table.score(), 2 + 100);
    EXPECT_EQ(table.played(), spade(1)); // column 4's ace was swept last
}

TEST(GameTable, ScriptedGameScoresTwoThirtyTwoBonusAndDeduction)
{
    GameTable table(2024);
    table.start();
    int removals = 0;
    Ending ending = Ending::None;
    // Play greedily: click every column until nothing changes, then deal.
    while (table.gameactive()) {
        bool changed = false;
        for (int c = 1; c <= 4 && table.gameactive(); ++c) {
            if (table.column(c).count == 0)
                continue;
            const ClickResult r = table.clickColumn(c);
            if (r.play == Play::Removed)
                ++removals;
            if (r.play == Play::AceQuestion)
                ending = table.removeAce();
            else
                ending = r.ending;
            changed = changed || r.play == Play::Removed || r.play == Play::AceQuestion;
        }
        if (!changed && table.gameactive())
            ending = table.dealClick().ending;
    }
    EXPECT_NE(ending, Ending::None);
    EXPECT_GE(removals, 1);
    if (ending == Ending::Won)
        EXPECT_GE(table.score(), 100 + 2 * removals);
    else
        EXPECT_EQ(table.thisturn().front(), '-');
}

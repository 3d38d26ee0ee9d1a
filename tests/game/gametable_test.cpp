#include "game/gametable.h"

#include <gtest/gtest.h>

#include "game/random.h"

#include <algorithm>
#include <ostream>

// Failure messages name cards by number.
void PrintTo(const Card &card, std::ostream *out)
{
    *out << "Card(" << card.number() << ")";
}

namespace {

constexpr int ace = Card::Ace;

constexpr Card club(int rank)
{
    return Card(Card::Clubs, rank);
}
constexpr Card diamond(int rank)
{
    return Card(Card::Diamonds, rank);
}
constexpr Card heart(int rank)
{
    return Card(Card::Hearts, rank);
}
constexpr Card spade(int rank)
{
    return Card(Card::Spades, rank);
}

std::vector<Card> columnCards(const GameTable &table, int c)
{
    const Column &column = table.column(c);
    return {column.cards.begin() + 1, column.cards.begin() + 1 + column.count};
}

std::vector<Card> cards(std::initializer_list<int> numbers)
{
    std::vector<Card> result;
    for (const int number : numbers)
        result.push_back(Card(number));
    return result;
}

// Seed 12345's shuffle, in dealing order: four cards a deal, columns 1 to 4.
const std::vector<Card> dealOf12345 =
    cards({42, 8,  19, 25, 3,  47, 27, 41, 49, 18, 32, 34, 12, 37, 23, 2,  11, 6,
           31, 22, 1,  45, 7,  52, 24, 51, 14, 29, 4,  35, 40, 43, 5,  39, 30, 38,
           20, 21, 46, 26, 16, 13, 33, 15, 28, 44, 17, 50, 9,  36, 10, 48});

} // namespace

TEST(GameTable, StartDealsOneCardOntoEachColumn)
{
    GameTable table(12345);
    EXPECT_FALSE(table.gameactive());
    EXPECT_FALSE(table.deckOnPile());
    EXPECT_FALSE(table.played().isCard());
    table.start();
    EXPECT_TRUE(table.gameactive());
    EXPECT_EQ(table.score(), 0);
    EXPECT_EQ(table.cardsLeft(), 48);
    EXPECT_FALSE(table.deckExhausted());
    EXPECT_TRUE(table.deckOnPile());
    EXPECT_FALSE(table.played().isCard());
    EXPECT_EQ(table.lastPoints(), std::nullopt);
    for (int c = 1; c <= GameTable::columnCount; ++c)
        EXPECT_EQ(columnCards(table, c), std::vector<Card>{dealOf12345[c - 1]}) << c;
}

TEST(GameTable, DealsTakeTheShuffledDeckInTurnUntilItIsOut)
{
    GameTable table(12345);
    table.start();
    for (int deal = 2; deal <= Column::slotCount; ++deal) {
        ASSERT_TRUE(table.dealClick().dealt) << deal;
        EXPECT_EQ(table.cardsLeft(), Card::deckSize - 4 * deal);
    }
    // This deal leaves moves to make, so the board is still there to read.
    ASSERT_TRUE(table.gameactive());
    EXPECT_TRUE(table.deckExhausted());
    EXPECT_FALSE(table.deckOnPile());
    std::vector<Card> dealt;
    for (int slot = 1; slot <= Column::slotCount; ++slot) {
        for (int c = 1; c <= GameTable::columnCount; ++c) {
            ASSERT_EQ(table.column(c).count, Column::slotCount);
            dealt.push_back(table.column(c).cards[slot]);
        }
    }
    EXPECT_EQ(dealt, dealOf12345);
    std::vector<int> numbers;
    for (const Card card : dealt)
        numbers.push_back(card.number());
    std::sort(numbers.begin(), numbers.end());
    for (int n = 1; n <= Card::deckSize; ++n)
        EXPECT_EQ(numbers[n - 1], n);

    EXPECT_FALSE(table.dealClick().dealt);
    EXPECT_EQ(table.lastPoints(), std::nullopt);
    EXPECT_EQ(table.cardsLeft(), 0);
    EXPECT_EQ(table.column(1).count, Column::slotCount);
}

TEST(GameTable, BoardsNoGameReachesAreRefused)
{
    std::vector<Card> clubs;
    for (int rank = 2; rank <= ace; ++rank)
        clubs.push_back(club(rank));
    std::vector<Card> fourteen = clubs;
    fourteen.push_back(diamond(2));
    GameTable table;
    EXPECT_THROW(table.setBoard({{fourteen, {}, {}, {}}}, 52), std::invalid_argument);
    EXPECT_THROW(table.setBoard({{{}, {}, {}, {}}}, 56), std::invalid_argument);
    EXPECT_THROW(table.setBoard({{{}, {}, {}, {}}}, -4), std::invalid_argument);
    EXPECT_THROW(table.setBoard({{{}, {}, {}, {}}}, 6), std::invalid_argument);
    // Thirteen cards leave no room for the last deal.
    EXPECT_THROW(table.setBoard({{clubs, {}, {}, {}}}, 48), std::invalid_argument);
    EXPECT_THROW(table.setBoard({{{club(2), Card()}, {}, {}, {}}}, 52), std::invalid_argument);
    // A card twice, or on the board while the deck still has it to deal.
    EXPECT_THROW(table.setBoard({{{club(2)}, {}, {club(2)}, {}}}, 52), std::invalid_argument);
    EXPECT_FALSE(table.gameactive());
    table.start();
    const Card toCome = table.position().deck.back();
    EXPECT_THROW(table.setBoard({{{toCome}, {}, {}, {}}}, 48), std::invalid_argument);
    EXPECT_NO_THROW(table.setBoard({{clubs, {}, {}, {}}}, 52));
    EXPECT_TRUE(table.gameactive());
}

TEST(GameTable, ClicksWhileNoGameRunsAreIgnored)
{
    GameTable table(1);
    EXPECT_FALSE(table.dealClick().dealt);
    EXPECT_EQ(table.clickColumn(1).play, Play::Ignored);
    EXPECT_EQ(table.cardsLeft(), Card::deckSize);
    EXPECT_EQ(table.column(1).count, 0);

    table.setBoard({{{club(5)}, {}, {heart(7)}, {spade(8)}}}, 52);
    ASSERT_EQ(table.clickColumn(1).ending, Ending::Lost);
    EXPECT_EQ(table.clickColumn(1).play, Play::Ignored);
    EXPECT_EQ(table.dealClick().ending, Ending::None);
    EXPECT_EQ(table.score(), -20);
}

TEST(GameTable, AClickOnAnEmptyColumnDoesNothingAtAll)
{
    GameTable table;
    table.setBoard({{{club(5)}, {}, {heart(7)}, {spade(8)}}}, 48);
    const ClickResult result = table.clickColumn(2);
    EXPECT_EQ(result.play, Play::Ignored); // not invalid: the window sounds no error for it
    EXPECT_EQ(result.ending, Ending::None);
    EXPECT_FALSE(table.canUndo());
    EXPECT_TRUE(table.line().empty());
    EXPECT_FALSE(table.play('2'));
}

TEST(GameTable, RemovalBeatsMoveIntoEmptyColumn)
{
    GameTable table;
    table.setBoard({{{club(2), heart(12)}, {}, {heart(13)}, {spade(5)}}}, 8);
    const ClickResult result = table.clickColumn(1);
    EXPECT_EQ(result.play, Play::Removed);
    EXPECT_EQ(columnCards(table, 1), std::vector<Card>{club(2)});
    EXPECT_FALSE(table.column(1).cards[2].isCard());
    EXPECT_EQ(table.column(2).count, 0);
    EXPECT_EQ(table.played(), heart(12));
    EXPECT_EQ(columnCards(table, 3), std::vector<Card>{heart(13)});
}

TEST(GameTable, MoveGoesToTheLeftmostEmptyColumnWithoutScoring)
{
    GameTable table;
    table.setBoard({{{club(2), club(5), diamond(9)}, {}, {heart(4)}, {}}}, 12);
    EXPECT_EQ(table.clickColumn(1).play, Play::Moved);
    EXPECT_EQ(columnCards(table, 2), std::vector<Card>{diamond(9)});
    EXPECT_EQ(columnCards(table, 1), (std::vector<Card>{club(2), club(5)}));
    EXPECT_EQ(table.column(4).count, 0);
    EXPECT_EQ(table.score(), 0);
    EXPECT_EQ(table.lastPoints(), std::nullopt);
    EXPECT_FALSE(table.played().isCard());
}

TEST(GameTable, LoneCardIsInvalidUntilTheDeckIsOutThenAnAceAsks)
{
    GameTable table;
    table.setBoard({{{club(7)}, {}, {heart(ace), heart(3)}, {diamond(ace)}}}, 8);
    EXPECT_EQ(table.clickColumn(1).play, Play::Invalid);
    EXPECT_EQ(table.clickColumn(4).play, Play::Invalid); // a lone ace before the last deal
    EXPECT_EQ(columnCards(table, 1), std::vector<Card>{club(7)});
    EXPECT_EQ(columnCards(table, 4), std::vector<Card>{diamond(ace)});

    table.setBoard({{{club(7)}, {}, {heart(3)}, {spade(ace)}}}, 52);
    const ClickResult result = table.clickColumn(4);
    EXPECT_EQ(result.play, Play::AceQuestion);
    EXPECT_EQ(result.ending, Ending::None);
    EXPECT_EQ(table.questionedAce(), spade(ace));
    // With the ace gone nothing is left to play: the seven and the three count against.
    EXPECT_EQ(table.removeAce(), Ending::Lost);
    EXPECT_EQ(table.column(4).count, 0);
    EXPECT_EQ(table.lastPoints(), -10);
}

TEST(GameTable, AceOnAStackIsMovedRatherThanQuestioned)
{
    GameTable table;
    table.setBoard({{{club(7), diamond(ace)}, {}, {heart(3)}, {spade(9)}}}, 52);
    EXPECT_EQ(table.clickColumn(1).play, Play::Moved);
    EXPECT_EQ(columnCards(table, 2), std::vector<Card>{diamond(ace)});
    // No question is open, so YES has nothing to take off.
    EXPECT_EQ(table.removeAce(), Ending::None);
    EXPECT_EQ(columnCards(table, 2), std::vector<Card>{diamond(ace)});
}

TEST(GameTable, AceWithCardsLeftAndNoEmptyColumnIsInvalid)
{
    GameTable table;
    table.setBoard({{{club(7), diamond(ace)}, {club(3)}, {heart(3)}, {spade(9)}}}, 12);
    EXPECT_EQ(table.clickColumn(1).play, Play::Invalid);
    EXPECT_EQ(columnCards(table, 1), (std::vector<Card>{club(7), diamond(ace)}));
}

TEST(GameTable, EveryFourthRemovalSinceTheLastDealScoresThirtyTwo)
{
    GameTable table;
    // Column 4's king of hearts beats every heart below it on the other columns.
    table.setBoard({{{heart(2), heart(3), heart(4), heart(5), heart(6)},
                     {heart(7), heart(8), heart(9), heart(10), heart(11)},
                     {club(2)},
                     {heart(13)}}},
                   32);
    const std::vector<int> points{2, 2, 2, 32, 2, 2, 2, 32};
    const std::vector<int> clicks{1, 1, 1, 1, 2, 2, 2, 2};
    for (size_t i = 0; i < clicks.size(); ++i) {
        ASSERT_EQ(table.clickColumn(clicks[i]).play, Play::Removed) << i;
        EXPECT_EQ(table.lastPoints(), points[i]) << i;
    }
    EXPECT_EQ(table.score(), 2 * (2 + 2 + 2 + 32));
}

TEST(GameTable, ADealRestartsTheBonusCount)
{
    GameTable table(12345);
    table.start();
    // Two deals made, seed 12345's first eight cards; the next deal brings the 10 of spades,
    // the 5 of diamonds, the 6 and the 8 of hearts.
    table.setBoard({{{diamond(6), club(3)},
                     {diamond(12), spade(2)},
                     {heart(ace), club(8)},
                     {spade(8), spade(3)}}},
                   8);
    for (const int c : {1, 2, 1})
        ASSERT_EQ(table.clickColumn(c).play, Play::Removed) << c;
    EXPECT_EQ(table.score(), 6);
    ASSERT_TRUE(table.dealClick().dealt);
    EXPECT_EQ(table.lastPoints(), std::nullopt);
    ASSERT_EQ(table.column(3).top(), heart(6));
    ASSERT_EQ(table.column(4).top(), heart(8));
    // The fourth removal of the game is the first since the deal: no bonus.
    EXPECT_EQ(table.clickColumn(3).play, Play::Removed);
    EXPECT_EQ(table.lastPoints(), 2);
    EXPECT_EQ(table.score(), 8);
}

TEST(GameTable, NoKeepsTheAceAndYesTakesItOffWithoutScoring)
{
    GameTable table;
    table.setBoard({{{club(9), spade(ace)}, {club(3)}, {heart(3)}, {diamond(7)}}}, 52);
    ASSERT_EQ(table.clickColumn(1).play, Play::AceQuestion);
    table.keepAce();
    // NO closed the question: a late YES does nothing.
    EXPECT_EQ(table.removeAce(), Ending::None);
    EXPECT_EQ(table.column(1).count, 2);
    EXPECT_EQ(table.score(), 0);

    ASSERT_EQ(table.clickColumn(1).play, Play::AceQuestion);
    const Card playedBefore = table.played();
    EXPECT_EQ(table.removeAce(), Ending::None); // the nine of clubs can still beat the three
    EXPECT_EQ(columnCards(table, 1), std::vector<Card>{club(9)});
    EXPECT_FALSE(table.column(1).cards[2].isCard());
    EXPECT_EQ(table.score(), 0);
    EXPECT_EQ(table.lastPoints(), std::nullopt);
    EXPECT_EQ(table.played(), playedBefore);
    EXPECT_TRUE(table.gameactive());
}

TEST(GameTable, ALineWithANoBeforeTheSameAceIsAskedAgainPlaysAgain)
{
    const std::array<std::vector<Card>, 4> board{
        {{club(9), spade(ace)}, {club(3)}, {heart(3)}, {diamond(7)}}};
    GameTable table;
    table.setBoard(board, 52);
    table.clickColumn(1);
    table.keepAce();
    table.clickColumn(1);
    table.removeAce();
    ASSERT_EQ(table.line(), "11y");
    GameTable again;
    again.setBoard(board, 52);
    for (const char action : table.line())
        EXPECT_TRUE(again.play(action)) << action;
    EXPECT_EQ(again.position().columns, table.position().columns);
}

TEST(GameTable, YesRechecksTheRememberedAce)
{
    // The ace was moved into a column that emptied after the question opened.
    GameTable table;
    table.setBoard({{{club(9), spade(ace)}, {club(3)}, {heart(3)}, {heart(4)}}}, 52);
    ASSERT_EQ(table.clickColumn(1).play, Play::AceQuestion);
    ASSERT_EQ(table.clickColumn(3).play, Play::Removed); // hearts 3 under hearts 4
    ASSERT_EQ(table.clickColumn(1).play, Play::Moved);   // the ace goes to column 3
    EXPECT_EQ(table.removeAce(), Ending::None);
    EXPECT_EQ(columnCards(table, 1), std::vector<Card>{club(9)});
    EXPECT_EQ(columnCards(table, 3), std::vector<Card>{spade(ace)});

    // A new game started while the question was open.
    GameTable restarted(5);
    restarted.setBoard({{{club(9), spade(ace)}, {club(3)}, {heart(3)}, {diamond(7)}}}, 52);
    ASSERT_EQ(restarted.clickColumn(1).play, Play::AceQuestion);
    restarted.start();
    const std::vector<Card> before = columnCards(restarted, 1);
    EXPECT_EQ(restarted.removeAce(), Ending::None);
    EXPECT_EQ(columnCards(restarted, 1), before);
}

TEST(GameTable, YesAfterTheGameEndedChangesNothing)
{
    GameTable table;
    table.setBoard({{{spade(ace)}, {heart(3)}, {heart(ace)}, {}}}, 52);
    ASSERT_EQ(table.clickColumn(1).play, Play::AceQuestion);
    // Clearing the three of hearts leaves only aces: the game is won with the question open.
    EXPECT_EQ(table.clickColumn(2).ending, Ending::Won);
    EXPECT_EQ(table.score(), 102);
    EXPECT_EQ(table.removeAce(), Ending::None);
    EXPECT_EQ(table.score(), 102);
    EXPECT_EQ(table.column(1).count, 1);
}

TEST(GameTable, NoGameEndsWhileCardsRemain)
{
    GameTable table;
    // Nothing to play and no empty column: stuck, but a deal is still to come.
    table.setBoard({{{club(5)}, {diamond(6)}, {heart(7)}, {spade(8)}}}, 48);
    const ClickResult stuck = table.clickColumn(1);
    EXPECT_EQ(stuck.play, Play::Invalid);
    EXPECT_EQ(stuck.ending, Ending::None);
    EXPECT_TRUE(table.gameactive());

    // Only aces on the board, but not all cards are out.
    table.setBoard({{{club(ace)}, {}, {heart(ace)}, {}}}, 48);
    EXPECT_EQ(table.clickColumn(1).ending, Ending::None);
    EXPECT_TRUE(table.gameactive());

    // The same stuck board after the last deal is lost.
    table.setBoard({{{club(5)}, {diamond(6)}, {heart(7)}, {spade(8)}}}, 52);
    EXPECT_EQ(table.clickColumn(1).ending, Ending::Lost);
    EXPECT_EQ(table.lastPoints(), -26);
    EXPECT_FALSE(table.gameactive());
}

TEST(GameTable, AnAceOnTopKeepsTheGameGoing)
{
    GameTable table;
    table.setBoard({{{club(5)}, {diamond(6)}, {heart(7), heart(ace)}, {spade(8)}}}, 52);
    const ClickResult result = table.clickColumn(1);
    EXPECT_EQ(result.play, Play::Invalid);
    EXPECT_EQ(result.ending, Ending::None);
    EXPECT_EQ(table.dealClick().ending, Ending::None);
    EXPECT_TRUE(table.gameactive());
}

TEST(GameTable, SinglesWithAnEmptyColumnAndNothingToRemoveLose)
{
    GameTable table;
    table.setBoard({{{club(5)}, {}, {heart(7)}, {spade(8)}}}, 52);
    const ClickResult result = table.clickColumn(1);
    EXPECT_EQ(result.play, Play::Invalid);
    EXPECT_EQ(result.ending, Ending::Lost);
    EXPECT_EQ(table.score(), -(5 + 7 + 8));
    EXPECT_EQ(table.lastPoints(), -20);
    EXPECT_FALSE(table.gameactive());
}

TEST(GameTable, TheDeductionCountsAcesAsFourteen)
{
    GameTable table;
    table.setBoard({{{heart(ace), spade(5)}, {club(13)}, {diamond(12)}, {heart(11)}}}, 52);
    EXPECT_EQ(table.clickColumn(2).ending, Ending::Lost);
    EXPECT_EQ(table.lastPoints(), -55);
    EXPECT_EQ(table.score(), -55);
    // The sweep leaves the last card swept on the discard pile: column 4's lowest card.
    EXPECT_EQ(table.played(), heart(11));
    for (int c = 1; c <= GameTable::columnCount; ++c) {
        for (int slot = 1; slot <= Column::slotCount; ++slot)
            EXPECT_FALSE(table.column(c).cards[slot].isCard()) << c << " " << slot;
    }
    EXPECT_EQ(table.column(1).count, 2); // counts stay as they were
}

TEST(GameTable, FourAcesUnderACardAreNotAWin)
{
    GameTable table;
    table.setBoard({{{club(ace), diamond(ace), heart(ace), spade(ace), club(9)}, {}, {}, {}}}, 52);
    EXPECT_EQ(table.dealClick().ending, Ending::None);
    const ClickResult result = table.clickColumn(1);
    EXPECT_EQ(result.play, Play::Moved);
    EXPECT_EQ(result.ending, Ending::None); // an ace is on top of column 1 now
    EXPECT_TRUE(table.gameactive());
}

TEST(GameTable, AcesOnlyBoardIsWonWhereverTheAcesStand)
{
    GameTable table;
    table.setBoard({{{club(ace), heart(ace)}, {diamond(3)}, {diamond(13)}, {spade(ace)}}}, 52);
    const ClickResult result = table.clickColumn(2);
    EXPECT_EQ(result.play, Play::Removed);
    EXPECT_EQ(result.ending, Ending::None); // the king of diamonds is still on the board
    table.setBoard({{{club(ace), heart(ace)}, {diamond(3)}, {diamond(ace)}, {spade(ace)}}}, 52);
    // The ace of diamonds beats the three; what stays is aces only.
    const ClickResult won = table.clickColumn(2);
    EXPECT_EQ(won.play, Play::Removed);
    EXPECT_EQ(won.ending, Ending::Won);
    EXPECT_EQ(table.score(), 2 + 100);
    EXPECT_EQ(table.lastPoints(), 100);
    EXPECT_EQ(table.played(), spade(ace)); // column 4's ace was swept last
    EXPECT_FALSE(table.gameactive());
}

TEST(GameTable, GreedyGameFromAKnownSeedScoresRemovalsBonusesAndDeduction)
{
    GameTable table(2024);
    table.start();
    int removals = 0, bonuses = 0;
    Ending ending = Ending::None;
    // Play greedily: click every column until nothing changes, then deal.
    for (int round = 0; round < 1000 && table.gameactive(); ++round) {
        bool changed = false;
        for (int c = 1; c <= GameTable::columnCount && table.gameactive(); ++c) {
            if (table.column(c).count == 0)
                continue;
            const ClickResult r = table.clickColumn(c);
            if (r.play == Play::Removed) {
                ++removals;
                bonuses += table.lastPoints() == 32 ? 1 : 0;
            }
            ending = r.play == Play::AceQuestion ? table.removeAce() : r.ending;
            changed = changed || r.play == Play::Removed || r.play == Play::AceQuestion;
        }
        if (!changed && table.gameactive())
            ending = table.dealClick().ending;
    }
    ASSERT_FALSE(table.gameactive());
    EXPECT_EQ(ending, Ending::Lost);
    EXPECT_EQ(removals, 36);
    EXPECT_EQ(bonuses, 4);
    EXPECT_EQ(table.lastPoints(), -168);
    EXPECT_EQ(table.score(), 2 * (removals - bonuses) + 32 * bonuses - 168);
    EXPECT_EQ(table.score(), 24);
}

// Everything a player sees of a running game.
struct Seen {
    Position position;
    std::optional<int> lastPoints;
    Card ace, played;
    bool deckOnPile = false, aceQuestion = false;

    explicit Seen(const GameTable &table)
        : position(table.position()), lastPoints(table.lastPoints()), ace(table.questionedAce()),
          played(table.played()), deckOnPile(table.deckOnPile()),
          aceQuestion(table.aceQuestionOpen())
    {
    }
    bool operator==(const Seen &other) const
    {
        return position.columns == other.position.columns &&
               position.dealt == other.position.dealt &&
               position.turnclears == other.position.turnclears &&
               position.score == other.position.score && lastPoints == other.lastPoints &&
               ace == other.ace && played == other.played && deckOnPile == other.deckOnPile &&
               aceQuestion == other.aceQuestion;
    }
};

TEST(GameTable, UndoTakesBackEveryActionToTheFirstDealButNotAnEndedGame)
{
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        GameTable table(seed);
        table.start();
        EXPECT_FALSE(table.canUndo());
        Random hand(seed);
        std::vector<Seen> before;
        // Random clicks, deals and answers until the game would end; each action that
        // changed the table is one step back.
        while (table.gameactive() && before.size() < 400) {
            GameTable next = table;
            const Seen now(table);
            Ending ending = Ending::None;
            bool changed = false;
            if (const auto choice = static_cast<int>(hand.next(8)); choice == 0) {
                const DealResult deal = next.dealClick();
                ending = deal.ending;
                // With the deck out a deal only clears the turn's points, if there were any.
                changed = deal.dealt || next.lastPoints() != now.lastPoints;
            } else if (choice == 5) {
                ending = next.removeAce();
                changed = !(Seen(next) == now);
            } else if (choice == 6) {
                changed = next.aceQuestionOpen();
                next.keepAce();
            } else {
                ending = next.clickColumn(std::min(choice, 4)).ending;
                // A click that changed the table is written into the game's line.
                changed = next.line().size() > table.line().size();
            }
            if (ending != Ending::None)
                break;
            if (changed)
                before.push_back(now);
            table = next;
        }
        ASSERT_FALSE(table.assisted());
        const std::size_t taken = before.size();
        std::vector<Seen> seen = before;
        seen.push_back(Seen(table));
        const std::string line = table.line();
        while (!before.empty()) {
            ASSERT_TRUE(table.undo());
            EXPECT_TRUE(Seen(table) == before.back()) << "seed " << seed << ", " << before.size();
            before.pop_back();
        }
        EXPECT_FALSE(table.canUndo());
        EXPECT_EQ(table.assisted(), taken > 0);
        EXPECT_EQ(table.cardsLeft(), Card::deckSize - 4) << "seed " << seed;
        EXPECT_EQ(table.lineAhead(), line);
        // Redo puts every step back in order, and then there is nothing more to put back.
        for (std::size_t step = 1; step <= taken; ++step) {
            ASSERT_TRUE(table.redo());
            EXPECT_TRUE(Seen(table) == seen[step]) << "seed " << seed << ", " << step;
        }
        EXPECT_FALSE(table.redo());
        EXPECT_EQ(table.line(), line);
        // A new action ends what can be put back.
        if (taken > 0 && table.undo()) {
            ASSERT_TRUE(table.canRedo());
            const Seen undone(table);
            table.dealClick();
            table.clickColumn(1);
            if (!(Seen(table) == undone)) {
                EXPECT_FALSE(table.canRedo()) << "seed " << seed;
            }
        }
    }

    GameTable ended;
    ended.setBoard({{{club(5)}, {}, {heart(7)}, {spade(8)}}}, Card::deckSize);
    ended.clickColumn(1); // lost: nothing can change any more
    ASSERT_FALSE(ended.gameactive());
    EXPECT_FALSE(ended.undo());
}

TEST(GameTable, TheLineOfAGamePlaysItAgainFromTheDealNumber)
{
    for (std::uint32_t deal = 0; deal < 30; ++deal) {
        GameTable table;
        table.startDeal(deal);
        Random hand(deal);
        for (int step = 0; step < 300 && table.gameactive(); ++step) {
            if (const auto choice = static_cast<int>(hand.next(9)); choice == 0)
                table.dealClick();
            else if (choice == 5)
                table.removeAce();
            else if (choice == 6)
                table.keepAce();
            else if (choice == 7)
                table.undo();
            else
                table.clickColumn(std::min(choice, 4));
        }
        GameTable again;
        again.startDeal(deal);
        for (const char action : table.line()) {
            ASSERT_TRUE(again.gameactive()) << table.line();
            ASSERT_TRUE(again.play(action)) << table.line();
        }
        EXPECT_EQ(again.gameactive(), table.gameactive()) << "deal " << deal;
        EXPECT_EQ(again.score(), table.score()) << "deal " << deal;
        EXPECT_EQ(again.position().columns, table.position().columns) << "deal " << deal;
    }
}

#include "game/rules.h"

#include <gtest/gtest.h>

using rules::Play;

namespace {

rules::Tops tops(std::array<Card, rules::columnCount> cards,
                 std::array<int, rules::columnCount> counts)
{
    return {cards, counts};
}

} // namespace

TEST(Rules, OnlyAHigherCardOfTheSameSuitBeatsAndAcesAreHigh)
{
    const Card sevenOfHearts(Card::Hearts, 7);
    EXPECT_TRUE(rules::beats(Card(Card::Hearts, 8), sevenOfHearts));
    EXPECT_TRUE(rules::beats(Card(Card::Hearts, Card::Ace), Card(Card::Hearts, Card::King)));
    EXPECT_FALSE(rules::beats(Card(Card::Hearts, 6), sevenOfHearts));
    EXPECT_FALSE(rules::beats(sevenOfHearts, sevenOfHearts));
    EXPECT_FALSE(rules::beats(Card(Card::Spades, Card::King), sevenOfHearts));
    EXPECT_FALSE(rules::beats(Card(), sevenOfHearts));
    EXPECT_FALSE(rules::beats(sevenOfHearts, Card()));
}

TEST(Rules, EveryFourthRemovalSinceTheDealEarnsTheBonus)
{
    EXPECT_EQ(rules::removalPoints(1), 2);
    EXPECT_EQ(rules::removalPoints(3), 2);
    EXPECT_EQ(rules::removalPoints(4), 32);
    EXPECT_EQ(rules::removalPoints(5), 2);
    EXPECT_EQ(rules::removalPoints(8), 32);
}

TEST(Rules, AClickTriesRemovalThenMoveThenTheAceQuestion)
{
    const Card kingOfHearts(Card::Hearts, Card::King), queenOfHearts(Card::Hearts, Card::Queen);
    const Card aceOfSpades(Card::Spades, Card::Ace), fiveOfClubs(Card::Clubs, 5);
    // A beaten card on a stack goes, although it could move.
    auto board = tops({queenOfHearts, Card(), kingOfHearts, aceOfSpades}, {2, 0, 1, 1});
    EXPECT_EQ(rules::playOf(board, 0, false), Play::Removed);
    EXPECT_EQ(rules::playOf(board, 1, false), Play::Ignored);
    EXPECT_EQ(rules::playOf(board, 2, false), Play::Invalid); // alone: never moved
    EXPECT_EQ(rules::playOf(board, 3, false), Play::Invalid);
    EXPECT_EQ(rules::playOf(board, 3, true), Play::AceQuestion);
    EXPECT_EQ(rules::emptyColumnBesides(board, 0), 1);
    EXPECT_EQ(rules::emptyColumnBesides(board, 1), -1);

    board = tops({fiveOfClubs, Card(), Card(), aceOfSpades}, {3, 0, 0, 2});
    EXPECT_EQ(rules::playOf(board, 0, true), Play::Moved);
    EXPECT_EQ(rules::playOf(board, 3, true), Play::Moved); // an ace on a stack moves first
}

TEST(Rules, TheGameIsOverOnlyWithTheDeckOutAndNoClickLeft)
{
    const Card fiveOfClubs(Card::Clubs, 5), sevenOfHearts(Card::Hearts, 7);
    const auto stuck =
        tops({fiveOfClubs, Card(), sevenOfHearts, Card(Card::Spades, 8)}, {1, 0, 1, 1});
    EXPECT_TRUE(rules::over(stuck, true));
    EXPECT_FALSE(rules::over(stuck, false));
    // A card on a stack can still move into the empty column.
    auto movable = stuck;
    movable.count[0] = 2;
    EXPECT_FALSE(rules::over(movable, true));
    // A lone ace on top can still be taken off by the question.
    auto ace = stuck;
    ace.card[0] = Card(Card::Clubs, Card::Ace);
    EXPECT_FALSE(rules::over(ace, true));
    EXPECT_TRUE(rules::won(true, true));
    EXPECT_FALSE(rules::won(false, true));
}

TEST(Rules, TheMoveAlphabetNamesEachColumnTheDealAndTheYes)
{
    for (int index = 0; index < rules::columnCount; ++index) {
        EXPECT_TRUE(rules::moves::isClick(rules::moves::click(index)));
        EXPECT_EQ(rules::moves::clicked(rules::moves::click(index)), index);
    }
    EXPECT_EQ(rules::moves::click(0), '1');
    for (const char other : {'0', '5', 'd', 'y', 'D'})
        EXPECT_FALSE(rules::moves::isClick(other)) << other;
}

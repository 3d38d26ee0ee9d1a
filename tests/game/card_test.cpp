#include "game/card.h"

#include <gtest/gtest.h>

TEST(Card, SuitRankAndAceFollowFromTheCardNumberAtEveryBlockEdge)
{
    struct Expected {
        int number, suit, rank;
        bool ace;
    };
    for (const Expected e : {Expected{1, 1, 14, true},
                             {13, 1, 13, false},
                             {14, 2, 14, true},
                             {26, 2, 13, false},
                             {27, 3, 14, true},
                             {39, 3, 13, false},
                             {40, 4, 14, true},
                             {52, 4, 13, false},
                             {2, 1, 2, false},
                             {50, 4, 11, false}}) {
        SCOPED_TRACE(e.number);
        const Card card(e.number);
        EXPECT_TRUE(card.isCard());
        EXPECT_EQ(card.number(), e.number);
        EXPECT_EQ(card.suit(), e.suit);
        EXPECT_EQ(card.rank(), e.rank);
        EXPECT_EQ(card.isAce(), e.ace);
    }
}

TEST(Card, SuitAndRankNameTheSameCardAsItsNumber)
{
    EXPECT_EQ(Card(Card::Clubs, Card::Ace), Card(1));
    EXPECT_EQ(Card(Card::Clubs, Card::King), Card(13));
    EXPECT_EQ(Card(Card::Diamonds, 2), Card(15));
    EXPECT_EQ(Card(Card::Hearts, Card::Queen), Card(38));
    EXPECT_EQ(Card(Card::Spades, Card::Jack), Card(50));
    EXPECT_EQ(Card(Card::Spades, Card::Ace), Card(40));
    EXPECT_NE(Card(Card::Spades, Card::Ace), Card(Card::Hearts, Card::Ace));
    EXPECT_FALSE(Card(Card::Hearts, 1).isCard());
    EXPECT_FALSE(Card(Card::Hearts, 15).isCard());
}

TEST(Card, NumbersOutsideTheDeckAreNoCard)
{
    for (const int number : {0, -1, 53, 1000}) {
        const Card card(number);
        EXPECT_FALSE(card.isCard()) << number;
        EXPECT_EQ(card, Card()) << number;
        EXPECT_EQ(card.number(), 0) << number;
        EXPECT_EQ(card.rank(), 0) << number;
        EXPECT_FALSE(card.isAce()) << number;
    }
    int aces = 0;
    for (int number = 1; number <= Card::deckSize; ++number)
        aces += Card(number).isAce() ? 1 : 0;
    EXPECT_EQ(aces, 4);
}

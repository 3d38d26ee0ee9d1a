#include "game/cards.h"

#include <gtest/gtest.h>

using namespace cards;

TEST(Cards, SuitAndRankFollowFromTheCardNumber)
{
    struct Expected {
        int card, suit, rank;
    };
    for (const Expected e : {Expected{1, 1, 14},
                             {2, 1, 2},
                             {13, 1, 13},
                             {14, 2, 14},
                             {26, 2, 13},
                             {27, 3, 14},
                             {39, 3, 13},
                             {40, 4, 14},
                             {52, 4, 13},
                             {50, 4, 11}}) {
        EXPECT_EQ(getsuit(e.card), e.suit) << e.card;
        EXPECT_EQ(getnum(e.card), e.rank) << e.card;
    }
    EXPECT_EQ(getsuit(0), 1);
    EXPECT_EQ(getsuit(53), 1);
}

TEST(Cards, OnlyTheFourAcesAreAces)
{
    int aces = 0;
    for (int card = 0; card <= 52; ++card)
        aces += isAce(card) ? 1 : 0;
    EXPECT_EQ(aces, 4);
    EXPECT_TRUE(isAce(1) && isAce(14) && isAce(27) && isAce(40));
    EXPECT_STREQ(suitName(4), "SPADES");
    EXPECT_STREQ(suitName(2), "DIAMONDS");
}

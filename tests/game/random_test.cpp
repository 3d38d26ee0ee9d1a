#include "game/random.h"

#include <gtest/gtest.h>

TEST(Random, FixedSeedGivesTheKnownSequence)
{
    Random random(12345);
    std::vector<std::uint32_t> draws;
    for (int i = 0; i < 8; ++i)
        draws.push_back(random.next(52));
    EXPECT_EQ(draws, (std::vector<std::uint32_t>{20, 15, 4, 28, 32, 17, 22, 4}));

    Random fromZero(0);
    EXPECT_EQ(fromZero.next(100), 0u);
    EXPECT_EQ(fromZero.next(100), 3u);
    EXPECT_EQ(fromZero.next(100), 86u);
    EXPECT_EQ(fromZero.state(), 1u * 134775813u * 134775813u + 134775813u + 1u);
}

TEST(Random, SeedIsMillisecondsSinceMidnight)
{
    EXPECT_EQ(Random::seedFromTime(0, 0, 0, 0), 0u);
    EXPECT_EQ(Random::seedFromTime(23, 59, 59, 999), 86'399'999u);
    EXPECT_EQ(Random::seedFromTime(1, 2, 3, 4), 3'723'004u);
}

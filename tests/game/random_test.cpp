#include "game/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint32_t> draws(Random &random, int count, std::uint32_t range)
{
    std::vector<std::uint32_t> result;
    for (int i = 0; i < count; ++i)
        result.push_back(random.next(range));
    return result;
}

} // namespace

TEST(Random, FixedSeedGivesTheKnownSequence)
{
    Random random(12345);
    EXPECT_EQ(draws(random, 8, 52), (std::vector<std::uint32_t>{20, 15, 4, 28, 32, 17, 22, 4}));
    EXPECT_EQ(random.state(), 340655249u);

    Random fromZero(0);
    EXPECT_EQ(draws(fromZero, 3, 100), (std::vector<std::uint32_t>{0, 3, 86}));
    EXPECT_EQ(fromZero.state(), 3698175007u);

    // Seeding again replays the sequence.
    fromZero.seed(12345);
    EXPECT_EQ(draws(fromZero, 8, 52), (std::vector<std::uint32_t>{20, 15, 4, 28, 32, 17, 22, 4}));
}

TEST(Random, SeedIsMillisecondsSinceMidnight)
{
    EXPECT_EQ(Random::seedFromTime(0, 0, 0, 0), 0u);
    EXPECT_EQ(Random::seedFromTime(23, 59, 59, 999), 86'399'999u);
    EXPECT_EQ(Random::seedFromTime(1, 2, 3, 4), 3'723'004u);
    Random random(Random::seedFromTime(1, 2, 3, 4));
    EXPECT_EQ(draws(random, 5, 1000), (std::vector<std::uint32_t>{639, 278, 716, 428, 390}));
}

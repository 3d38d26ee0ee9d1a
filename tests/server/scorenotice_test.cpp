// The notices a commit to a shared store sends the other servers.

#include "server/scorenotice.h"

#include <gtest/gtest.h>

namespace {

using namespace server;

std::optional<scorenotice::Part> delivered(std::int64_t sequence, const std::string &payload)
{
    return scorenotice::decode("42 " + std::to_string(sequence) + ' ' + payload);
}

TEST(ScoreNotice, ScoresOfAnyTextArriveWholeInPartsThatFitANotification)
{
    std::vector<NumberedScore> added{
        {{"Ann", "3/7/05", 120}, 7},
        {{"a \"b\" \\c 12:x again", "1/1/10", -416, 4294967295u, std::string(2000, 'd')}, 8},
        {{"Ünïcødé", "", 556, 0u, "y"}, 9}};
    for (int i = 0; i < 40; ++i)
        added.push_back({{"Many", "2/2/22", i, 5u, std::string(300, '1')}, 10 + i});
    const std::vector<std::string> parts = scorenotice::encode(added);
    ASSERT_GT(parts.size(), 1u);
    std::vector<NumberedScore> heard;
    for (std::size_t index = 0; index < parts.size(); ++index) {
        EXPECT_LT(parts[index].size() + 20, 8000u); // the commit's number in front
        const auto part = delivered(123456789012, parts[index]);
        ASSERT_TRUE(part);
        EXPECT_EQ(part->writer, 42);
        EXPECT_EQ(part->sequence, 123456789012);
        EXPECT_EQ(part->index, index);
        EXPECT_EQ(part->count, parts.size());
        heard.insert(heard.end(), part->added.begin(), part->added.end());
    }
    EXPECT_EQ(heard, added);
}

TEST(ScoreNotice, TooManyScoresOrAForeignPayloadMeanReadingAgain)
{
    const std::vector<NumberedScore> migration(20000, {{"Name", "1/1/10", 1, 1u, "ddd"}, 1});
    ASSERT_EQ(scorenotice::encode(migration), std::vector{scorenotice::readAgain()});
    EXPECT_TRUE(delivered(5, scorenotice::readAgain())->readAgain);
    for (const char *foreign : {"", "1 5", "1 x 0 1 ", "1 5 0 1 1 2 - 9:short", "1 5 1 1 ",
                                "1 -3 again", "1 5 0 1 1 2 - 1:a1:b1:c trailing"})
        EXPECT_FALSE(scorenotice::decode(foreign)) << foreign;
}

} // namespace

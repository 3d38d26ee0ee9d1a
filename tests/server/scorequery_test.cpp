#include "server/scorequery.h"

#include <gtest/gtest.h>

using server::parseScoreQuery;
using server::percentDecode;
using server::ScoreEntry;

TEST(PercentDecode, TurnsEscapesIntoBytesAndKeepsPlusSigns)
{
    EXPECT_EQ(percentDecode("Zo%C3%AB%20A%2bb+c"), "Zo\xC3\xAB A+b+c");
    EXPECT_EQ(percentDecode("3/7/05"), "3/7/05");
    EXPECT_EQ(percentDecode(""), "");
    EXPECT_EQ(percentDecode("%00"), std::string(1, '\0'));
    for (const char *malformed : {"%", "%4", "ab%", "%G1", "%1G", "x%%41"})
        EXPECT_FALSE(percentDecode(malformed)) << malformed;
}

TEST(ScoreQuery, ReadsTheThreeFieldsInAnyOrder)
{
    const auto query = parseScoreQuery("score=-15&extra=1&date=12.25.09&name=Zo%C3%AB%20A%2Bb+c");
    ASSERT_TRUE(query.entry) << query.error;
    EXPECT_EQ(*query.entry, (ScoreEntry{"Zo\xC3\xAB A+b+c", "12.25.09", -15}));
}

TEST(ScoreQuery, KeepsADealAndItsLineForPlayingAgain)
{
    const auto query = parseScoreQuery("name=a&date=1&score=5&deal=4294967295&moves=d1y");
    ASSERT_TRUE(query.entry);
    EXPECT_EQ(query.entry->deal, 4294967295u);
    EXPECT_EQ(query.entry->moves, "d1y");
    EXPECT_FALSE(parseScoreQuery("name=a&date=1&score=5").entry->verified());
}

TEST(ScoreQuery, AcceptsValuesAtTheirLimits)
{
    std::string longName;
    for (int i = 0; i < 32; ++i)
        longName += "%C3%A9"; // 32 characters in 64 bytes
    const auto longest = parseScoreQuery("name=" + longName + "&date=1-1-10&score=556");
    ASSERT_TRUE(longest.entry) << longest.error;
    EXPECT_EQ(longest.entry->score, 556);

    const auto lowest = parseScoreQuery("name=x&date=2009 12 25 10 11&score=-416");
    ASSERT_TRUE(lowest.entry) << lowest.error;
    EXPECT_EQ(lowest.entry->score, -416);
    EXPECT_TRUE(parseScoreQuery("name=%F0%9F%82%A1&date=3/7/05&score=0").entry);
}

TEST(ScoreQuery, RefusesEachKindOfBadValueSayingWhich)
{
    const std::string thirtyThree(33, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"date=3/7/05&score=1", "missing name"},
        {"name=a&score=1", "missing date"},
        {"name=a&date=3/7/05", "missing score"},
        {"name=a&name=b&date=3/7/05&score=1", "name given more than once"},
        {"name=%zz&date=3/7/05&score=1", "bad percent-encoding in name"},
        {"name=&date=3/7/05&score=1", "name must be 1 to 32 characters"},
        {"name=" + thirtyThree + "&date=3/7/05&score=1", "name must be 1 to 32 characters"},
        {"name=%FF&date=3/7/05&score=1", "name is not valid UTF-8"},
        {"name=%C0%AF&date=3/7/05&score=1", "name is not valid UTF-8"},      // overlong "/"
        {"name=%ED%A0%80&date=3/7/05&score=1", "name is not valid UTF-8"},   // surrogate
        {"name=%C3&date=3/7/05&score=1", "name is not valid UTF-8"},         // cut short
        {"name=a%0Ab&date=3/7/05&score=1", "name holds control characters"}, // line feed
        {"name=a%00&date=3/7/05&score=1", "name holds control characters"},
        {"name=a%7F&date=3/7/05&score=1", "name holds control characters"},
        {"name=a%C2%85&date=3/7/05&score=1", "name holds control characters"},    // next line
        {"name=a%E2%80%AE&date=3/7/05&score=1", "name holds control characters"}, // override
        {"name=a&date=&score=1", "date must be"},
        {"name=a&date=March 7&score=1", "date must be"},
        {"name=a&date=12/25/2009/12/25/20&score=1", "date must be"},
        {"name=a&date=3/7/05&score=", "score must be"},
        {"name=a&date=3/7/05&score=12x", "score must be"},
        {"name=a&date=3/7/05&score=+5", "score must be"},
        {"name=a&date=3/7/05&score= 5", "score must be"},
        {"name=a&date=3/7/05&score=2147483648", "score must be"},
        {"name=a&date=3/7/05&score=-2147483649", "score must be"},
        {"name=a&date=3/7/05&score=557", "score must be from -416 to 556"},
        {"name=a&date=3/7/05&score=-417", "score must be from -416 to 556"},
        {"name=a&date=3/7/05&score=1&deal=2", "deal and moves go together"},
        {"name=a&date=3/7/05&score=1&moves=d1", "deal and moves go together"},
        {"name=a&date=3/7/05&score=1&deal=-2&moves=d1", "deal must be"},
        {"name=a&date=3/7/05&score=1&deal=4294967296&moves=d1", "deal must be"},
        {"name=a&date=3/7/05&score=1&deal=2&moves=", "moves must be"},
        {"name=a&date=3/7/05&score=1&deal=2&moves=d5", "moves must be"},
        {"name=a&date=3/7/05&score=1&deal=2&moves=" + std::string(2001, 'd'), "moves must be"},
        {"name=a&date=3/7/05&score=1&deal=2&deal=3&moves=d", "deal given more than once"},
    };
    for (const auto &[query, reason] : cases) {
        const auto result = parseScoreQuery(query);
        EXPECT_FALSE(result.entry) << query;
        EXPECT_EQ(result.error.rfind(reason, 0), 0u) << query << " gave " << result.error;
    }
}

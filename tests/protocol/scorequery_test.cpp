#include "protocol/scorequery.h"

#include "protocol/percentcoding.h"

#include <gtest/gtest.h>

using protocol::encodeScoreQuery;
using protocol::parseScoreQuery;
using protocol::PostedScore;

namespace {

// A code point's UTF-8 bytes, written plainly even where UTF-8 forbids them (surrogates, past
// U+10FFFF), so that the parser sees exactly that sequence.
std::string utf8(char32_t c)
{
    const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (c < 0x80)
        return {byte(c)};
    if (c < 0x800)
        return {byte(0xC0 | c >> 6), byte(0x80 | (c & 0x3F))};
    if (c < 0x10000)
        return {byte(0xE0 | c >> 12), byte(0x80 | (c >> 6 & 0x3F)), byte(0x80 | (c & 0x3F))};
    return {byte(0xF0 | c >> 18), byte(0x80 | (c >> 12 & 0x3F)), byte(0x80 | (c >> 6 & 0x3F)),
            byte(0x80 | (c & 0x3F))};
}

// A line of `length` actions, every one of the alphabet among them.
std::string lineOf(std::size_t length)
{
    std::string line;
    while (line.size() < length)
        line += "1234dy";
    return line.substr(0, length);
}

} // namespace

TEST(ScoreQuery, SendsTheFieldsInTheirOrderAndTheGameOnlyWithALine)
{
    EXPECT_EQ(encodeScoreQuery({"Zo\xC3\xAB & #=1", "12/25/09", -12, 7u, "d1y"}),
              "name=Zo%C3%AB%20%26%20%23%3D1&date=12/25/09&score=-12&deal=7&moves=d1y");
    EXPECT_EQ(encodeScoreQuery({"Ann", "3.7.05", 556, 7u, ""}), "name=Ann&date=3.7.05&score=556");
    EXPECT_EQ(encodeScoreQuery({"Ann", "3 7 05", 0}), "name=Ann&date=3%207%2005&score=0");
}

TEST(ScoreQuery, WhatTheGameSendsTheServerReadsBackExactly)
{
    std::vector<PostedScore> posts;
    for (const std::string &name : std::vector<std::string>{
             "Ann Lee", "A&B", "x=y", "100%", "a+b", "#1", "x&score=99999", "Zo\xC3\xAB",
             "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", // right-to-left Hebrew
             "\xF0\x9F\x98\x80\xF0\x9F\x82\xA1", // emoji and a playing card
             std::string(32, 'n')})
        posts.push_back({name, "3/7/05", 120});
    for (const std::string date : {"12/25/09", "12.25.09", "12-25-09", "12 25 09"})
        posts.push_back({"Ann", date, 1});
    posts.push_back({"Low", "1/1/10", protocol::lowestScore});
    posts.push_back({"High", "1/1/10", protocol::highestScore, 0u, "d1y"});
    posts.push_back({"Last", "1/1/10", 0, 4294967295u, lineOf(protocol::maxMoves)});
    for (const PostedScore &post : posts) {
        const auto read = parseScoreQuery(encodeScoreQuery(post));
        ASSERT_TRUE(read.entry) << post.name << " " << post.date << ": " << read.error;
        EXPECT_EQ(*read.entry, post) << post.name << " " << post.date;
    }
}

TEST(ScoreQuery, ReadsTheThreeFieldsInAnyOrder)
{
    const auto query = parseScoreQuery("score=-15&extra=1&date=12.25.09&name=Zo%C3%AB%20A%2Bb+c");
    ASSERT_TRUE(query.entry) << query.error;
    EXPECT_EQ(*query.entry, (PostedScore{"Zo\xC3\xAB A+b+c", "12.25.09", -15}));
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

    const auto longestLine = parseScoreQuery("name=a&date=1&score=5&deal=0&moves=" + lineOf(2000));
    ASSERT_TRUE(longestLine.entry) << longestLine.error;
    EXPECT_EQ(longestLine.entry->moves.size(), 2000u);
}

TEST(ScoreQuery, NamesRefuseControlAndDirectionCharactersAndSurrogatesUpToTheirEdges)
{
    const auto nameQuery = [](char32_t c) {
        return parseScoreQuery("name=" + protocol::percentEncode("a" + utf8(c) + "b") +
                               "&date=3/7/05&score=1");
    };
    for (const char32_t c : {0x20u, 0x7Eu, 0xA0u, 0x2027u, 0x202Fu, 0x2065u, 0x206Au, 0xD7FFu,
                             0xE000u, 0xFFFDu, 0x10FFFFu}) {
        const auto query = nameQuery(c);
        ASSERT_TRUE(query.entry) << std::hex << static_cast<unsigned>(c) << ": " << query.error;
        EXPECT_EQ(query.entry->name, "a" + utf8(c) + "b") << std::hex << static_cast<unsigned>(c);
    }
    for (const char32_t c :
         {0x0u, 0x1Fu, 0x7Fu, 0x80u, 0x9Fu, 0x2028u, 0x2029u, 0x202Au, 0x202Eu, 0x2066u, 0x2069u})
        EXPECT_EQ(nameQuery(c).error, "name holds control characters")
            << std::hex << static_cast<unsigned>(c);
    for (const char32_t c : {0xD800u, 0xDFFFu, 0x110000u})
        EXPECT_EQ(nameQuery(c).error, "name is not valid UTF-8")
            << std::hex << static_cast<unsigned>(c);
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
        {"name=%C0%AF&date=3/7/05&score=1", "name is not valid UTF-8"}, // overlong "/"
        {"name=%C3&date=3/7/05&score=1", "name is not valid UTF-8"},    // cut short
        {"name=a&date=&score=1", "date must be 1 to 16 digits and separators (/ . - or space)"},
        {"name=a&date=March 7&score=1", "date must be"},
        {"name=a&date=12/25/2009/12/25/20&score=1", "date must be"},
        {"name=a&date=3/7/05&score=",
         "score must be a whole number from -2147483648 to 2147483647"},
        {"name=a&date=3/7/05&score=12x", "score must be"},
        {"name=a&date=3/7/05&score=+5", "score must be"},
        {"name=a&date=3/7/05&score= 5", "score must be"},
        {"name=a&date=3/7/05&score=2147483648", "score must be"},
        {"name=a&date=3/7/05&score=-2147483649", "score must be"},
        {"name=a&date=3/7/05&score=557", "score must be from -416 to 556"},
        {"name=a&date=3/7/05&score=-417", "score must be from -416 to 556"},
        {"name=a&date=3/7/05&score=1&deal=2", "deal and moves go together"},
        {"name=a&date=3/7/05&score=1&moves=d1", "deal and moves go together"},
        {"name=a&date=3/7/05&score=1&deal=-2&moves=d1",
         "deal must be a whole number from 0 to 4294967295"},
        {"name=a&date=3/7/05&score=1&deal=4294967296&moves=d1", "deal must be"},
        {"name=a&date=3/7/05&score=1&deal=2&moves=",
         "moves must be 1 to 2000 of 1, 2, 3, 4, d and y"},
        {"name=a&date=3/7/05&score=1&deal=2&moves=d5", "moves must be"},
        {"name=a&date=3/7/05&score=1&deal=2&moves=" + lineOf(2001), "moves must be"},
        {"name=a&date=3/7/05&score=1&deal=2&deal=3&moves=d", "deal given more than once"},
    };
    for (const auto &[query, reason] : cases) {
        const auto result = parseScoreQuery(query);
        EXPECT_FALSE(result.entry) << query;
        EXPECT_EQ(result.error.rfind(reason, 0), 0u) << query << " gave " << result.error;
    }
}

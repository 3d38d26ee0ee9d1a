#include "server/scorepage.h"

#include <gtest/gtest.h>

using server::htmlEscape;
using server::ScoreEntry;

namespace {

// The page of a list of verified scores, or of unverified ones.
std::string renderScorePage(const std::vector<ScoreEntry> &best, std::int64_t total,
                            std::string_view webSite, bool verified = true)
{
    return server::renderScorePage({best, total, 3, verified}, webSite);
}

} // namespace

TEST(ScorePage, ListsRankNameScoreAndDateInOrderWithTheTotal)
{
    const std::string page = renderScorePage({{"Ann", "3/7/05", 120}, {"Bob", "12.25.09", -4}}, 57,
                                             "http://example.org/");
    const auto ann = page.find(">Ann<");
    const auto bob = page.find(">Bob<");
    ASSERT_NE(ann, std::string::npos);
    ASSERT_NE(bob, std::string::npos);
    EXPECT_LT(ann, bob);
    EXPECT_NE(page.find(">1<"), std::string::npos);
    EXPECT_NE(page.find(">2<"), std::string::npos);
    EXPECT_NE(page.find(">-4<"), std::string::npos);
    EXPECT_NE(page.find(">12.25.09<"), std::string::npos);
    EXPECT_NE(page.find("57 verified scores"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"http://example.org/\">"), std::string::npos);
    EXPECT_NE(page.find("#f9f7db"), std::string::npos); // cream
    EXPECT_NE(page.find("#8b1d1d"), std::string::npos); // dark red
}

TEST(ScorePage, EscapesEveryStoredText)
{
    const std::string page =
        renderScorePage({{"<script>alert(1)</script>", "<i>", 1}, {"x'); \"&", "1-1-10", 0}}, 2,
                        "http://example.org/?a=1&b=\"2\"");
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<i>"), std::string::npos);
    EXPECT_NE(page.find("&lt;i&gt;"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("x&#39;); &quot;&amp;"), std::string::npos);
    EXPECT_NE(page.find("href=\"http://example.org/?a=1&amp;b=&quot;2&quot;\""), std::string::npos);
}

TEST(ScorePage, SaysSoWhenNoScoreHasBeenPosted)
{
    const std::string page = renderScorePage({}, 0, "http://example.org/");
    EXPECT_NE(page.find("No scores have been posted yet."), std::string::npos);
    EXPECT_NE(page.find("0 verified scores"), std::string::npos);
    EXPECT_NE(renderScorePage({{"a", "1", 1}}, 1, "").find("1 verified score"), std::string::npos);
}

TEST(HtmlEscape, WritesMarkupCharactersAsReferences)
{
    EXPECT_EQ(htmlEscape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&#39;");
    EXPECT_EQ(htmlEscape("Zo\xC3\xAB"), "Zo\xC3\xAB");
}

TEST(ScorePage, AVerifiedGamesRowShowsItsDealAndThePageSaysWhatVerifiedMeans)
{
    const std::string page =
        renderScorePage({{"Ann", "3/7/05", 120, 7u, "d1"}}, 1, "http://example.org/");
    // Each piece after the one before: the title, the heading, the row's five cells, the links.
    std::size_t at = 0;
    for (const std::string_view piece :
         {"<title>Quellan High Scores</title>", "1 verified score<", ">Rank<", ">Name<", ">Score<",
          ">Deal<", ">Date<", ">1<", ">Ann<", ">120<", ">7<", ">3/7/05<",
          "3 scores posted without a game to check: <a "
          "href=\"/counter/quellan-unverified.shtml\">",
          "they are a legal game of that deal, and the score is the one it ends with",
          "<a href=\"http://example.org/\">"}) {
        at = page.find(piece, at);
        ASSERT_NE(at, std::string::npos) << piece;
    }
}

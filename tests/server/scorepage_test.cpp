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

TEST(ScorePage, OneEntryPageIsExactlyTheGamesPage)
{
    // The whole page pinned: the game's name, colours and face, and the order of its parts.
    EXPECT_EQ(
        renderScorePage({{"Ann", "3/7/05", 120, 7u, "d1"}}, 1, "http://example.org/"),
        "<html>\n"
        "<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
        "<title>Quellan High Scores</title>\n"
        "</head>\n"
        "<body bgcolor=\"#f9f7db\" text=\"#000000\" link=\"#800000\">\n"
        "<table width=\"100%\" cellpadding=\"8\" cellspacing=\"0\" bgcolor=\"#8b1d1d\"><tr><td "
        "align=\"center\"><font face=\"Arial, Liberation Sans, Helvetica, sans-serif\" "
        "size=\"6\" color=\"#f9f7db\"><b>Quellan High Scores</b></font></td></tr></table>\n"
        "<p align=\"center\"><font face=\"Arial, Liberation Sans, Helvetica, sans-serif\" "
        "color=\"#8b1d1d\"><b>1 verified score</b></font></p>\n"
        "<table width=\"100%\" cellpadding=\"4\" cellspacing=\"1\" border=\"0\" "
        "bgcolor=\"#8b1d1d\">\n"
        "<tr bgcolor=\"#8b1d1d\"><th align=\"right\"><font face=\"Arial, Liberation Sans, "
        "Helvetica, sans-serif\" color=\"#f9f7db\"><b>Rank</b></font></th><th "
        "align=\"left\"><font face=\"Arial, Liberation Sans, Helvetica, sans-serif\" "
        "color=\"#f9f7db\"><b>Name</b></font></th><th align=\"right\"><font face=\"Arial, "
        "Liberation Sans, Helvetica, sans-serif\" "
        "color=\"#f9f7db\"><b>Score</b></font></th><th align=\"right\"><font face=\"Arial, "
        "Liberation Sans, Helvetica, sans-serif\" color=\"#f9f7db\"><b>Deal</b></font></th><th "
        "align=\"center\"><font face=\"Arial, Liberation Sans, Helvetica, sans-serif\" "
        "color=\"#f9f7db\"><b>Date</b></font></th></tr>\n"
        "<tr bgcolor=\"#f9f7db\"><td align=\"right\"><font face=\"Arial, Liberation Sans, "
        "Helvetica, sans-serif\">1</font></td><td align=\"left\"><font face=\"Arial, "
        "Liberation Sans, Helvetica, sans-serif\">Ann</font></td><td align=\"right\"><font "
        "face=\"Arial, Liberation Sans, Helvetica, sans-serif\">120</font></td><td "
        "align=\"right\"><font face=\"Arial, Liberation Sans, Helvetica, "
        "sans-serif\">7</font></td><td align=\"center\"><font face=\"Arial, Liberation Sans, "
        "Helvetica, sans-serif\">3/7/05</font></td></tr>\n"
        "</table>\n"
        "<p align=\"center\"><font face=\"Arial, Liberation Sans, Helvetica, sans-serif\">3 "
        "scores posted without a game to check: <a "
        "href=\"/counter/quellan-unverified.shtml\">the unverified scores</a></font></p>\n"
        "<p align=\"center\"><font face=\"Arial, Liberation Sans, Helvetica, sans-serif\">A "
        "verified score came with its deal and the game's moves, and the server played them "
        "again: they are a legal game of that deal, and the score is the one it ends with. "
        "That does not prove a person found those moves: Quellan's own solver finds the best "
        "line of any deal. The game never posts a game played with hints, undo or a chosen "
        "deal.</font></p>\n"
        "<p align=\"center\"><font face=\"Arial, Liberation Sans, Helvetica, sans-serif\">Play "
        "Quellan and post your score: <a "
        "href=\"http://example.org/\">http://example.org/</a></font></p>\n"
        "</body>\n"
        "</html>\n");
}

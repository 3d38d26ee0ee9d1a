// Scores posted with their game: played again by the server, stored as verified or refused.

#include "tests/server/serverfixture.h"
#include "tests/support/knowngames.h"

namespace {

const std::string deal2 = deal2Won;
const std::string deal4 = deal4Won;

class VerifiedTest : public ServerTest {
protected:
    static HttpAnswer postGame(const ServerProcess &server, const std::string &name,
                               const std::string &score, const std::string &deal,
                               const std::string &moves)
    {
        return request(server.port(), "GET",
                       postTarget(name, score) + "&deal=" + deal + "&moves=" + moves);
    }
};

TEST_F(VerifiedTest, AGameIsPlayedAgainAndForgeriesAreRefusedWithTheirReason)
{
    auto server = start({"--post-rate", "0"}); // many posts from one address
    EXPECT_EQ(postGame(*server, "Ann", "556", "2", deal2).status, 200);
    const std::pair<HttpAnswer, std::string> forged[] = {
        {postGame(*server, "Eve", "556", "4", deal4),
         "the score is not the one the line ends with"},
        // Lower than the line's, as a game played to 556 and posted as less.
        {postGame(*server, "Eve", "554", "2", deal2),
         "the score is not the one the line ends with"},
        {postGame(*server, "Eve", "556", "2", deal2.substr(0, deal2.size() - 1)),
         "the line stops before the game ended"},
        // The ace of clubs alone in column 4 after the first deal: nowhere to go.
        {postGame(*server, "Eve", "556", "2", "4" + deal2), "the line has an invalid click"},
        {postGame(*server, "Eve", "556", "2", deal2 + "1"),
         "the line goes on after the game ended"},
        {postGame(*server, "Eve", "556", "2", "y" + deal2),
         "the line answers yes with no ace to take off"},
    };
    for (const auto &[answer, reason] : forged) {
        EXPECT_EQ(answer.status, 400) << reason;
        EXPECT_EQ(answer.body, "Score not stored: " + reason + ".\n");
    }
    // The same game by the same name once more: answered as stored, kept once.
    EXPECT_EQ(postGame(*server, "Ann", "556", "2", deal2).status, 200);
    EXPECT_EQ(postGame(*server, "Bob", "526", "4", deal4).status, 200);
    // An older client's post, without its game.
    EXPECT_EQ(post(*server, "Old", "120"), 200);

    const std::string verified = page(*server, pagePath);
    EXPECT_NE(verified.find("2 verified scores"), std::string::npos);
    const auto ann = verified.find(">Ann<"), bob = verified.find(">Bob<");
    ASSERT_NE(ann, std::string::npos);
    ASSERT_NE(bob, std::string::npos);
    EXPECT_LT(ann, bob);
    EXPECT_NE(verified.find(">556</font></td><td align=\"right\"><font face=\"Arial, Liberation "
                            "Sans, Helvetica, sans-serif\">2<"),
              std::string::npos);
    EXPECT_EQ(verified.find(">Eve<"), std::string::npos);
    EXPECT_EQ(verified.find(">Old<"), std::string::npos);
    EXPECT_NE(verified.find("1 score posted without a game to check: <a "
                            "href=\"/counter/quellan-unverified.shtml\">"),
              std::string::npos);
    const std::string others = page(*server);
    EXPECT_NE(others.find(">Old<"), std::string::npos);
    EXPECT_EQ(others.find(">Ann<"), std::string::npos);
    EXPECT_EQ(postedTotal(others), 1);
}

} // namespace

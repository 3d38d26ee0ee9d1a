#include "server/scoreboard.h"

#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

using server::ScoreBoard;
using server::ScoreStore;

TEST(ScoreBoard, ShowsEachPostOnTheNextPageAndListsAtMostAHundred)
{
    TempFolder folder;
    ScoreStore store(folder.file("scores.db"));
    ScoreBoard board(store, "http://example.org/");
    const auto empty = board.page();
    EXPECT_EQ(board.page(), empty); // unchanged scores, the same rendering
    EXPECT_NE(empty->find("0 scores posted"), std::string::npos);

    for (int i = 1; i <= 101; ++i)
        board.post({"Player " + std::to_string(i), "3/7/05", i});
    const auto full = board.page();
    EXPECT_NE(full->find("101 scores posted"), std::string::npos);
    EXPECT_NE(full->find(">Player 101<"), std::string::npos);
    EXPECT_NE(full->find(">Player 2<"), std::string::npos);
    EXPECT_EQ(full->find(">Player 1<"), std::string::npos); // 101st place is not listed
}

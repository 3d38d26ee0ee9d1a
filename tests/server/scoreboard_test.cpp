#include "server/scoreboard.h"
#include "server/scorepage.h"
#include "server/sqlitescorestore.h"

#include "tests/support/tempfolder.h"

#include <algorithm>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>

using server::ReceivedScore;
using server::ScoreBoard;
using server::ScoreStore;
using server::SqliteScoreStore;

namespace {

// Posts and waits for the outcome.
bool postAndWait(ScoreBoard &board, ReceivedScore score)
{
    std::promise<bool> outcome;
    board.post(std::move(score), [&](bool stored) { outcome.set_value(stored); });
    return outcome.get_future().get();
}

// A database file deleted while a batch was being committed into it: the batch is committed,
// then the file is gone.
class DeletedWhileCommitting : public SqliteScoreStore {
public:
    explicit DeletedWhileCommitting(const std::string &path)
        : SqliteScoreStore(path, Open::CreateIfMissing), m_path(path)
    {
    }

    std::vector<bool> add(const std::vector<ReceivedScore> &scores) override
    {
        auto added = SqliteScoreStore::add(scores);
        std::filesystem::remove(m_path);
        return added;
    }

private:
    const std::string m_path;
};

} // namespace

TEST(ScoreBoard, ShowsEachPostOnTheNextPageAndListsAtMostAHundred)
{
    TempFolder folder;
    SqliteScoreStore store(folder.file("scores.db"), ScoreStore::Open::CreateIfMissing);
    ScoreBoard board(store, "http://example.org/", [](const std::string &) {});
    const auto empty = board.page(false);
    EXPECT_EQ(board.page(false), empty); // unchanged scores, the same rendering
    EXPECT_NE(empty->find("0 scores posted without a game to check"), std::string::npos);

    for (int i = 1; i <= 101; ++i)
        ASSERT_TRUE(postAndWait(
            board, {{"Player " + std::to_string(i), "3/7/05", i % 2 ? i : 50}, 0, "10.0.0.1"}));
    const auto full = board.page(false);
    EXPECT_NE(full->find("101 scores posted without a game to check"), std::string::npos);
    EXPECT_NE(board.page(true)->find("101 scores posted without a game to check: <a href="),
              std::string::npos);
    // Kept in memory as the store ranks them: best first, equal scores in the order posted.
    EXPECT_EQ(*full,
              server::renderScorePage({store.best(ScoreBoard::pageRows, false), 101, 0, false},
                                      "http://example.org/"));
}

TEST(ScoreBoard, CommitsWhatIsQueuedWhenClosingAndRefusesWhatComesAfter)
{
    TempFolder folder;
    SqliteScoreStore store(folder.file("scores.db"), ScoreStore::Open::CreateIfMissing);
    std::vector<int> outcomes;
    std::mutex mutex;
    {
        ScoreBoard board(store, "http://example.org/", [](const std::string &) {});
        for (int i = 0; i < 50; ++i) {
            board.post({{"P", "1", i}, 0, "10.0.0.1"}, [&](bool stored) {
                const std::lock_guard lock(mutex);
                outcomes.push_back(stored);
            });
        }
        board.close();
        board.post({{"Late", "1", 1}, 0, "10.0.0.1"},
                   [&](bool stored) { outcomes.push_back(stored ? 2 : -1); });
    }
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), 1), 50);
    EXPECT_EQ(outcomes.back(), -1);
    EXPECT_EQ(store.count(false), 50);
}

TEST(ScoreBoard, AnswersHealthOnlyWhileTheStoreTakesWrites)
{
    TempFolder folder;
    SqliteScoreStore store(folder.file("scores.db"), ScoreStore::Open::CreateIfMissing);
    std::vector<std::string> complaints;
    ScoreBoard board(store, "http://example.org/",
                     [&](const std::string &line) { complaints.push_back(line); });
    std::promise<bool> healthy;
    board.checkHealth([&](bool ok) { healthy.set_value(ok); });
    EXPECT_TRUE(healthy.get_future().get());

    std::filesystem::remove(folder.file("scores.db"));
    EXPECT_FALSE(postAndWait(board, {{"Gone", "1", 1}, 0, "10.0.0.1"}));
    std::promise<bool> after;
    board.checkHealth([&](bool ok) { after.set_value(ok); });
    EXPECT_FALSE(after.get_future().get());
    ASSERT_EQ(complaints.size(), 1u);
}

TEST(ScoreBoard, AcknowledgesNoScoreCommittedIntoAFileDeletedMeanwhile)
{
    TempFolder folder;
    DeletedWhileCommitting store(folder.file("scores.db"));
    std::vector<std::string> complaints;
    ScoreBoard board(store, "http://example.org/",
                     [&](const std::string &line) { complaints.push_back(line); });
    EXPECT_FALSE(postAndWait(board, {{"Lost", "1", 1}, 0, "10.0.0.1"}));
    EXPECT_FALSE(postAndWait(board, {{"Later", "1", 1}, 0, "10.0.0.1"}));
    ASSERT_EQ(complaints.size(), 1u);
    EXPECT_NE(complaints.front().find("deleted or replaced"), std::string::npos);
}

// The real program's SQLite file as an operator backs it up and restores it: copied while
// posts go on, put back while the server runs or after it was killed.

#include "server/sqlitescorestore.h"
#include "tests/server/serverfixture.h"

#include <csignal>
#include <filesystem>
#include <set>
#include <sqlite3.h>

namespace {

using Open = server::ScoreStore::Open;

// A database of its own holding `rows` scores named from `prefix`, closed cleanly.
void makeDatabase(const std::string &path, int rows, const std::string &prefix = "Restored")
{
    server::SqliteScoreStore store(path, Open::CreateIfMissing);
    std::vector<server::ReceivedScore> scores;
    for (int i = 0; i < rows; ++i)
        scores.push_back({{prefix + std::to_string(i), "3/7/05", i % 1000}, i});
    store.add(scores);
}

// What SQLite's quick check says of the file: "ok" when it is intact.
std::string quickCheck(const std::string &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr);
    std::string said = sqlite3_errmsg(db);
    if (sqlite3_step(check) == SQLITE_ROW)
        said = reinterpret_cast<const char *>(sqlite3_column_text(check, 0));
    sqlite3_finalize(check);
    sqlite3_close(db);
    return said;
}

bool exists(const std::string &path)
{
    return std::filesystem::exists(path);
}

class RestoreTest : public ServerTest {
protected:
    // Moves a database of `rows` scores over the file of a running server, which then refuses
    // posts; once it stops, the next start serves exactly the restored scores from an intact
    // file.
    void restoreWhileServing(int rows)
    {
        const std::string backup = folder.file("backup.db");
        makeDatabase(backup, rows);
        const auto restoredSize = std::filesystem::file_size(backup);
        auto server = start();
        ASSERT_EQ(post(*server, "Old", "10"), 200);
        std::filesystem::rename(backup, db());
        EXPECT_TRUE(eventually([&] { return post(*server, "Late", "5") == 503; }));
        EXPECT_EQ(server->stop(SIGTERM), 0);
        EXPECT_FALSE(exists(db() + "-wal"));
        EXPECT_FALSE(exists(db() + "-shm"));

        server = start();
        EXPECT_EQ(postedTotal(page(*server)), rows);
        EXPECT_EQ(server->stop(SIGTERM), 0);
        EXPECT_EQ(quickCheck(db()), "ok");
        EXPECT_GE(std::filesystem::file_size(db()), restoredSize);
    }
};

TEST_F(RestoreTest, AFileReplacedWhileServingIsServedWhole)
{
    restoreWhileServing(10);
}

TEST_F(RestoreTest, ALargeFileReplacedWhileServingIsServedWhole)
{
    restoreWhileServing(60000);
}

TEST_F(RestoreTest, AppliesItsOwnJournalAfterAKillButRefusesAnotherDatabases)
{
    auto server = start();
    ASSERT_EQ(post(*server, "Kept", "10"), 200);
    server->stop(SIGKILL);
    ASSERT_TRUE(exists(db() + "-wal"));
    server = start();
    EXPECT_NE(page(*server).find(">Kept<"), std::string::npos);
    ASSERT_EQ(post(*server, "Journalled", "20"), 200);
    server->stop(SIGKILL);

    makeDatabase(folder.file("backup.db"), 10);
    std::filesystem::rename(folder.file("backup.db"), db());
    const auto restoredSize = std::filesystem::file_size(db());
    EXPECT_THROW(ServerProcess({"--db", db()}, folder.file("server.log")), std::runtime_error);
    EXPECT_NE(log().find("journal " + db() + "-wal"), std::string::npos) << log();
    EXPECT_NE(log().find("score database " + db() + " "), std::string::npos) << log();
    // Nothing was applied: the operator decides.
    EXPECT_EQ(std::filesystem::file_size(db()), restoredSize);
    EXPECT_TRUE(exists(db() + "-wal"));
}

TEST_F(RestoreTest, ABackupTakenUnderLoadRestoresEveryScoreAcknowledgedBeforeIt)
{
    makeDatabase(db(), 20000, "Early");
    auto server = start({"--post-rate", "0"});
    PostingLoad load(*server, "Load");
    ASSERT_TRUE(eventually([&] { return load.acknowledged().size() >= 20; }));
    const std::set<std::string> before = load.acknowledged();
    const ServerRun backup = runServerToExit({"--db", db(), "--backup", folder.file("copy.db")});
    load.stop();
    EXPECT_EQ(backup.code, 0) << backup.output;
    EXPECT_EQ(server->stop(SIGTERM), 0);

    std::filesystem::rename(folder.file("copy.db"), db());
    server = start();
    const long total = postedTotal(page(*server));
    EXPECT_GE(total, 20000 + static_cast<long>(before.size()));
    EXPECT_LE(total, 20000 + static_cast<long>(load.acknowledged().size()));
    EXPECT_EQ(server->stop(SIGTERM), 0);
    std::set<std::string> restored;
    for (const server::ReceivedScore &score : server::SqliteScoreStore(db()).all())
        restored.insert(score.entry.name);
    for (const std::string &name : before)
        EXPECT_TRUE(restored.contains(name)) << name;
}

} // namespace

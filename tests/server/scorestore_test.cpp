#include "server/sqlitescorestore.h"

#include "tests/support/tempfolder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>

using server::ScoreEntry;
using server::ScoreStore;
using server::SqliteScoreStore;
using Open = server::ScoreStore::Open;

TEST(ScoreStore, ListsBestFirstAndEqualScoresInTheOrderStored)
{
    TempFolder folder;
    SqliteScoreStore store(folder.file("scores.db"), Open::CreateIfMissing);
    store.add({{{"early", "3/7/05", 50}, 1000}, {{"top", "3/7/05", 90}, 500}});
    store.add({{{"late", "3/7/05", 50}, 0}}); // a clock set back does not reorder equal scores
    store.add({{{"low", "3/7/05", -20}, 2000}});

    const std::vector<ScoreEntry> expected{{"top", "3/7/05", 90},
                                           {"early", "3/7/05", 50},
                                           {"late", "3/7/05", 50},
                                           {"low", "3/7/05", -20}};
    EXPECT_EQ(store.best(10, false), expected);
    EXPECT_EQ(store.best(2, false),
              std::vector<ScoreEntry>(expected.begin(), expected.begin() + 2));
    EXPECT_EQ(store.count(false), 4);
}

TEST(ScoreStore, KeepsTextsExactlyAndAcrossReopening)
{
    TempFolder folder;
    const std::vector<ScoreEntry> entries{{"x'); DROP TABLE scores;--", "1-1-10", 7},
                                          {"Robert\"; --", "1.1.10", 6},
                                          {"Zo\xC3\xAB \xF0\x9F\x82\xA1", "12/25/09", 5}};
    {
        SqliteScoreStore store(folder.file("scores.db"), Open::CreateIfMissing);
        for (const auto &entry : entries)
            store.add({{entry, 0}});
    }
    SqliteScoreStore reopened(folder.file("scores.db"));
    EXPECT_EQ(reopened.best(10, false), entries);
    EXPECT_EQ(reopened.count(false), 3);
}

TEST(ScoreStore, RefusesAFileThatIsNotADatabase)
{
    TempFolder folder;
    std::ofstream(folder.file("notes.txt")) << std::string(4096, 'x');
    EXPECT_THROW(SqliteScoreStore(folder.file("notes.txt")), server::StoreError);
    EXPECT_THROW(SqliteScoreStore(folder.file("missing/scores.db"), Open::CreateIfMissing),
                 server::StoreError);
    EXPECT_THROW(SqliteScoreStore(folder.file("scores.db")), server::StoreError);
    EXPECT_FALSE(std::filesystem::exists(folder.file("scores.db")));
}

TEST(ScoreStore, PurgesOneAddressAndSeesChangesMadeElsewhere)
{
    TempFolder folder;
    SqliteScoreStore store(folder.file("scores.db"), Open::CreateIfMissing);
    store.add({{{"a", "1", 5}, 0, "10.0.0.1"},
               {{"b", "1", 6}, 0, "::1"},
               {{"c", "1", 7}, 0, "10.0.0.1"}});
    EXPECT_FALSE(store.changedElsewhere()); // its own writes are not news to it
    {
        SqliteScoreStore purger(folder.file("scores.db"));
        EXPECT_EQ(purger.purgeAddress("10.0.0.1"), 2);
        EXPECT_EQ(purger.purgeAddress("10.0.0.1"), 0);
    }
    EXPECT_TRUE(store.changedElsewhere());
    EXPECT_FALSE(store.changedElsewhere());
    EXPECT_EQ(store.best(10, false), (std::vector<ScoreEntry>{{"b", "1", 6}}));
    EXPECT_NO_THROW(store.proveWritable());
    EXPECT_FALSE(store.replaced());

    std::filesystem::rename(folder.file("scores.db"), folder.file("moved.db"));
    EXPECT_TRUE(store.replaced());
    EXPECT_THROW(store.proveWritable(), server::StoreError);
}

TEST(ScoreStore, GivesScoresStoredBeforeAddressesWereKeptAnEmptyOne)
{
    TempFolder folder;
    sqlite3 *db = nullptr;
    sqlite3_open(folder.file("old.db").c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE scores (id INTEGER PRIMARY KEY, name TEXT NOT NULL, date TEXT NOT "
                 "NULL, score INTEGER NOT NULL, received_ms INTEGER NOT NULL);"
                 "INSERT INTO scores (name, date, score, received_ms) VALUES ('old', '1', 3, 0);",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    SqliteScoreStore store(folder.file("old.db"));
    store.add({{{"new", "1", 4}, 0, "10.0.0.2"}});
    EXPECT_EQ(store.purgeAddress(""), 1);
    EXPECT_EQ(store.best(10, false), (std::vector<ScoreEntry>{{"new", "1", 4}}));
}

TEST(ScoreStore, NamesOnlyTheFirstTenLinesOfADamagedFilesCheck)
{
    TempFolder folder;
    const std::string path = folder.file("scores.db");
    {
        SqliteScoreStore store(path, Open::CreateIfMissing);
        std::vector<server::ReceivedScore> scores;
        for (int i = 0; i < 3000; ++i)
            scores.push_back({{"name" + std::to_string(i), "1", i}, i});
        store.add(scores);
    }
    // A wrong first free block on every leaf page of the table: one line of the check each.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    int damaged = 0;
    for (std::streamoff page = 4096; file.seekg(page) && file.peek() != EOF; page += 4096) {
        if (file.peek() == 0x0d) {
            file.seekp(page + 1);
            file.write("\x0f\xf0", 2);
            ++damaged;
        }
    }
    file.close();
    ASSERT_GT(damaged, 10);
    try {
        SqliteScoreStore store(path);
        FAIL() << "a damaged file was opened";
    } catch (const server::StoreError &error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("is damaged"), std::string::npos) << message;
        EXPECT_LE(std::count(message.begin(), message.end(), '\n'), 11) << message;
        EXPECT_NE(message.find("more"), std::string::npos) << message;
    }
}

#include "server/scorestore.h"

#include "tests/support/tempfolder.h"

#include <fstream>
#include <gtest/gtest.h>

using server::ScoreEntry;
using server::ScoreStore;

TEST(ScoreStore, ListsBestFirstAndEqualScoresInTheOrderStored)
{
    TempFolder folder;
    ScoreStore store(folder.file("scores.db"));
    store.add({{{"early", "3/7/05", 50}, 1000}, {{"top", "3/7/05", 90}, 500}});
    store.add({{{"late", "3/7/05", 50}, 0}}); // a clock set back does not reorder equal scores
    store.add({{{"low", "3/7/05", -20}, 2000}});

    const std::vector<ScoreEntry> expected{{"top", "3/7/05", 90},
                                           {"early", "3/7/05", 50},
                                           {"late", "3/7/05", 50},
                                           {"low", "3/7/05", -20}};
    EXPECT_EQ(store.best(10), expected);
    EXPECT_EQ(store.best(2), std::vector<ScoreEntry>(expected.begin(), expected.begin() + 2));
    EXPECT_EQ(store.count(), 4);
}

TEST(ScoreStore, KeepsTextsExactlyAndAcrossReopening)
{
    TempFolder folder;
    const std::vector<ScoreEntry> entries{{"x'); DROP TABLE scores;--", "1-1-10", 7},
                                          {"Robert\"; --", "1.1.10", 6},
                                          {"Zo\xC3\xAB \xF0\x9F\x82\xA1", "12/25/09", 5}};
    {
        ScoreStore store(folder.file("scores.db"));
        for (const auto &entry : entries)
            store.add({{entry, 0}});
    }
    ScoreStore reopened(folder.file("scores.db"));
    EXPECT_EQ(reopened.best(10), entries);
    EXPECT_EQ(reopened.count(), 3);
}

TEST(ScoreStore, RefusesAFileThatIsNotADatabase)
{
    TempFolder folder;
    std::ofstream(folder.file("notes.txt")) << std::string(4096, 'x');
    EXPECT_THROW(ScoreStore(folder.file("notes.txt")), server::StoreError);
    EXPECT_THROW(ScoreStore(folder.file("missing/scores.db")), server::StoreError);
}

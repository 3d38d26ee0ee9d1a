#pragma once

#include "server/scoreentry.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace server {

// A score with the time it was received, in milliseconds since 1970.
struct ReceivedScore {
    ScoreEntry entry;
    std::int64_t receivedMs{};
};

// A failure of the score database; the message says what could not be done and why.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The posted scores in an SQLite database file. Added scores are committed and synced to disk
// before add() returns, so they survive the process being killed or the power failing at any
// later moment. Not thread-safe: one caller at a time.
class ScoreStore {
public:
    // Opens the database at path, creating it when missing; throws StoreError.
    explicit ScoreStore(const std::string &path);
    ~ScoreStore();
    ScoreStore(const ScoreStore &) = delete;
    ScoreStore &operator=(const ScoreStore &) = delete;

    // Stores the scores in one transaction, all or none; throws StoreError.
    void add(const std::vector<ReceivedScore> &scores);
    // At most limit scores, best first, equal scores in the order they were stored.
    std::vector<ScoreEntry> best(int limit);
    // How many scores have been stored in all.
    std::int64_t count();

private:
    struct CloseDatabase {
        void operator()(sqlite3 *db) const;
    };
    struct FinalizeStatement {
        void operator()(sqlite3_stmt *statement) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

    Statement prepare(const char *sql);
    void execute(const char *sql);
    void useWriteAheadLog();
    void insert(const ReceivedScore &score);
    void finish(sqlite3_stmt *statement, const char *what);
    [[noreturn]] void fail(const std::string &what);

    std::unique_ptr<sqlite3, CloseDatabase> m_db;
    Statement m_begin;
    Statement m_commit;
    Statement m_rollback;
    Statement m_insert;
    Statement m_best;
    Statement m_count;
};

} // namespace server

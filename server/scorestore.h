#pragma once

#include "server/scoreentry.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace server {

// A score with the time it was received, in milliseconds since 1970, and the client's address.
struct ReceivedScore {
    ScoreEntry entry;
    std::int64_t receivedMs{};
    std::string address{}; // the client's; empty for scores kept from before addresses were
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
    enum class Open { Existing, CreateIfMissing };

    // Opens the database at path, which must exist unless `open` allows creating it; refuses
    // one that is read-only or fails the integrity check. Throws StoreError.
    explicit ScoreStore(const std::string &path, Open open = Open::Existing);
    ~ScoreStore();
    ScoreStore(const ScoreStore &) = delete;
    ScoreStore &operator=(const ScoreStore &) = delete;

    // Stores the scores in one transaction, all or none; throws StoreError. A verified game
    // stored already under the same name is not stored again: false in its place.
    std::vector<bool> add(const std::vector<ReceivedScore> &scores);
    // At most limit verified or unverified scores, best first, equal scores in the order they
    // were stored.
    std::vector<ScoreEntry> best(int limit, bool verified);
    // How many verified or unverified scores are stored.
    std::int64_t count(bool verified);
    // Removes every score posted from address; returns how many there were.
    std::int64_t purgeAddress(const std::string &address);
    // Commits a small write, proving the next batch of scores can be committed; throws
    // StoreError when it cannot.
    void proveWritable();
    // The file at the path is no longer the one opened: deleted, or replaced by another.
    bool fileReplaced() const;
    // Another connection (such as a purge) committed a change since the last call.
    bool changedElsewhere();

private:
    struct CloseDatabase {
        void operator()(sqlite3 *db) const;
    };
    struct FinalizeStatement {
        void operator()(sqlite3_stmt *statement) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

    void openFile(Open open);
    void checkIntegrity();
    void createSchema();
    void addColumnIfMissing(const char *column, const char *definition);
    Statement prepare(const char *sql);
    void execute(const char *sql);
    std::int64_t readNumber(sqlite3_stmt *statement, const char *what);
    void useWriteAheadLog();
    void insert(const ReceivedScore &score);
    template <typename Body> void inTransaction(Body body);
    void finish(sqlite3_stmt *statement, const char *what);
    [[noreturn]] void fail(const std::string &what);

    const std::string m_path;
    dev_t m_device{};
    ino_t m_inode{};
    std::int64_t m_dataVersion = 0;
    std::unique_ptr<sqlite3, CloseDatabase> m_db;
    Statement m_begin;
    Statement m_commit;
    Statement m_rollback;
    Statement m_insert;
    Statement m_best[2];  // unverified, verified
    Statement m_count[2]; // unverified, verified
    Statement m_purge;
    Statement m_prove;
    Statement m_dataVersionQuery;
};

} // namespace server

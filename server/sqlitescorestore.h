#pragma once

#include "server/scorestore.h"
#include "server/sqlitejournal.h"

#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace server {

// The posted scores in an SQLite database file. Added scores are committed and synced to disk
// before add() returns, so they survive the process being killed or the power failing at any
// later moment. The journal beside the file is checked to be the file's own before it is
// applied, and a file found replaced leaves no journal behind for the one in its place. Not
// thread-safe: one caller at a time.
class SqliteScoreStore : public ScoreStore {
public:
    // Opens the database at path, which must exist unless `open` allows creating it; refuses
    // one that is read-only, fails the integrity check or has another file's journal beside
    // it. Throws StoreError.
    explicit SqliteScoreStore(const std::string &path, Open open = Open::Existing);
    ~SqliteScoreStore() override;

    std::vector<bool> add(const std::vector<ReceivedScore> &scores) override;
    std::vector<ScoreEntry> best(int limit, bool verified) override;
    std::int64_t count(bool verified) override;
    std::int64_t purgeAddress(const std::string &address) override;
    void proveWritable() override;
    // The file at the path is no longer the one opened: deleted, or replaced by another. The
    // first time it finds so, the store lets go of the file, which takes no more writes.
    bool replaced() override;
    // Another connection (such as a purge) committed a change since the last call.
    bool changedElsewhere() override;
    std::vector<ReceivedScore> all() override;

    // Writes a consistent copy of the database at `from`, which a server may be writing, to
    // `to` (replaced only once the copy is complete). Throws StoreError.
    static void backup(const std::string &from, const std::string &to);

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
    void retag();
    std::int32_t currentTag() const;
    void letGo();
    Statement prepare(const char *sql) const;
    void execute(const char *sql) const;
    std::int64_t readNumber(sqlite3_stmt *statement, const char *what) const;
    void useWriteAheadLog();
    void insert(const ReceivedScore &score);
    template <typename Body> void inTransaction(Body body);
    void finish(sqlite3_stmt *statement, const char *what);
    [[noreturn]] void fail(const std::string &what) const;

    const std::string m_path;
    const SqliteJournal m_journal;
    bool m_letGo = false; // replaced: the journal left the path, writes are refused
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
    Statement m_all;
    Statement m_prove;
    Statement m_dataVersionQuery;
};

} // namespace server

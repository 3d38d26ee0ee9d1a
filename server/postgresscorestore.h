#pragma once

#include "server/scorestore.h"

#include <memory>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace server {

// The posted scores in a PostgreSQL database that several servers may share. Each commit that
// changes the scores also sends a notification on one channel, which every other server's
// store listens on, so changedElsewhere() knows at once. A dropped connection (PostgreSQL
// restarting) is made again by the next call; what failed meanwhile was not acknowledged.
class PostgresScoreStore : public ScoreStore {
public:
    // Connects to `address` (a "postgresql://" URI); with CreateIfMissing makes the tables
    // when they are not there, else refuses a database without them. Throws StoreError.
    PostgresScoreStore(const std::string &address, Open open);
    ~PostgresScoreStore() override;

    std::vector<bool> add(const std::vector<ReceivedScore> &scores) override;
    std::vector<ScoreEntry> best(int limit, bool verified) override;
    std::int64_t count(bool verified) override;
    std::int64_t purgeAddress(const std::string &address) override;
    void proveWritable() override;
    // A database never vanishes under the server the way a file can: never.
    bool replaced() const override { return false; }
    bool changedElsewhere() override;
    std::vector<ReceivedScore> all() override;

private:
    struct Finish {
        void operator()(pg_conn *connection) const;
    };
    struct Clear {
        void operator()(pg_result *result) const;
    };
    using Result = std::unique_ptr<pg_result, Clear>;

    void connect();
    void createSchema(Open open);
    // Runs a statement with text parameters (null: SQL NULL); throws StoreError saying `what`
    // when it fails.
    Result run(const char *sql, const std::vector<const char *> &values, const char *what);
    Result run(const char *sql, const char *what) { return run(sql, {}, what); }
    template <typename Body> void inTransaction(Body body);
    std::vector<ScoreEntry> entries(pg_result *result) const;

    const std::string m_address;
    std::unique_ptr<pg_conn, Finish> m_connection;
    bool m_missedNotifications = false; // the connection was made again: changes may be unseen
};

} // namespace server

#pragma once

#include "server/pgconnection.h"
#include "server/scorestore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace server {

// The posted scores in a PostgreSQL database that several servers may share. Each store writes
// through a counter row of its own, which numbers its commits and counts what they added to
// each list (a row each, so that the servers' commits never wait for one another), and after
// each commit it tells every server listening what it added (scorenotice.h), so that each
// keeps its lists without reading the table. A dropped connection (PostgreSQL restarting) is made
// again by the next call; what failed meanwhile was not acknowledged.
class PostgresScoreStore : public ScoreStore, public ChangeFeed {
public:
    // Connects to `address` (a "postgresql://" URI); with CreateIfMissing makes the tables
    // when they are not there, else refuses a database without them. Throws StoreError.
    PostgresScoreStore(const std::string &address, Open open);

    std::vector<bool> add(const std::vector<ReceivedScore> &scores) override;
    std::vector<ScoreEntry> best(int limit, bool verified) override;
    std::int64_t count(bool verified) override;
    std::int64_t purgeAddress(const std::string &address) override;
    void proveWritable() override;
    // A database never vanishes under the server the way a file can: never.
    bool replaced() override { return false; }
    ChangeFeed *changeFeed() override { return this; }
    void limitWaits(std::chrono::milliseconds patience) override;
    std::vector<ReceivedScore> all() override;

    Standings read(int rows) override;
    std::optional<std::vector<NumberedScore>> take() override;

private:
    using Result = PgConnection::Result;

    void createSchema(Open open);
    void countExisting();
    void becomeWriter();
    Result run(const char *sql, const std::vector<const char *> &values, const char *what)
    {
        return m_connection.run(sql, values, what);
    }
    Result run(const char *sql, const char *what) { return run(sql, {}, what); }
    template <typename Body> void inTransaction(Body body, const char *begin = "BEGIN");
    std::vector<NumberedScore> insert(const std::vector<ReceivedScore> &scores,
                                      std::vector<bool> &added);
    std::int64_t countChange(const std::int64_t (&change)[2]);
    void announce(std::int64_t sequence, const std::vector<std::string> &parts);
    void hear(const std::string &payload);

    PgConnection m_connection;
    std::int64_t m_writer = 0; // this store's counter row
    // The feed: for each writer, the number of its last commit in the lists handed out, and
    // the parts heard so far of its next commit.
    struct Heard {
        std::int64_t sequence = 0;
        std::vector<std::optional<std::vector<NumberedScore>>> parts;
    };
    std::unordered_map<std::int64_t, Heard> m_writers;
    std::uint64_t m_readOnConnection = 0; // the connection the lists were read on
    bool m_missed = true;                 // something was missed since: read again
    std::vector<NumberedScore> m_heard;   // whole commits not yet taken
};

} // namespace server

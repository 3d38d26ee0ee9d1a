#pragma once

#include "server/pgconnection.h"
#include "server/scorestore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace server {

// The posted scores in a PostgreSQL database that several servers may share. Each commit that
// changes the scores numbers itself in a counter row, which also keeps each list's count, and
// tells every server listening what it added (scorenotice.h), so that each keeps its lists
// without reading the table. A dropped connection (PostgreSQL restarting) is made again by
// the next call; what failed meanwhile was not acknowledged.
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
    bool replaced() const override { return false; }
    ChangeFeed *changeFeed() override { return this; }
    void limitWaits(std::chrono::milliseconds patience) override;
    std::vector<ReceivedScore> all() override;

    Standings read(int rows) override;
    std::optional<std::vector<NumberedScore>> take() override;

private:
    using Result = PgConnection::Result;

    void createSchema(Open open);
    void countExisting();
    Result run(const char *sql, const std::vector<const char *> &values, const char *what)
    {
        return m_connection.run(sql, values, what);
    }
    Result run(const char *sql, const char *what) { return run(sql, {}, what); }
    template <typename Body> void inTransaction(Body body);
    std::vector<NumberedScore> insert(const std::vector<ReceivedScore> &scores,
                                      std::vector<bool> &added);
    void tell(const std::int64_t (&change)[2], const std::vector<std::string> &parts);
    void hear(const std::string &payload);

    PgConnection m_connection;
    // The feed: the number of the last commit in the lists handed out, and the scores of the
    // next commits heard so far.
    std::int64_t m_sequence = 0;
    std::uint64_t m_readOnConnection = 0; // the connection the lists were read on
    bool m_missed = true;                 // something was missed since: read again
    std::vector<std::optional<std::vector<NumberedScore>>> m_parts; // of commit m_sequence + 1
    std::vector<NumberedScore> m_heard;
};

} // namespace server

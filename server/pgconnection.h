#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace server {

// One libpq connection that never waits longer than its patience: connecting and every
// statement are given up after it and the connection dropped. A PostgreSQL that hangs (its
// processes stopped, its machine gone) would otherwise hold the caller for good, and no TCP
// time-out helps against a stopped server whose kernel still acknowledges every packet.
// Throws StoreError for every failure.
class PgConnection {
public:
    struct Clear {
        void operator()(pg_result *result) const;
    };
    using Result = std::unique_ptr<pg_result, Clear>;

    // address: a "postgresql://" URI; setup: statements run on every new connection.
    PgConnection(std::string address, std::string setup);
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    // How long connecting or one statement may take; also PostgreSQL's own statement_timeout.
    void setPatience(std::chrono::milliseconds patience);
    // Connects when not connected; true when a new connection was made.
    bool ensure();
    // Runs a statement with text parameters (null: SQL NULL), or, without values, one or more
    // statements; returns the last result. `what` says what failed.
    Result run(const char *sql, const std::vector<const char *> &values, const char *what);
    // The payloads of the notifications that arrived, without waiting; throws when the
    // connection is gone.
    std::vector<std::string> notifications();
    bool connected() const { return m_connection != nullptr; }
    // How many connections were made so far: notifications sent in between were missed.
    std::uint64_t generation() const { return m_generation; }
    // Gives the connection up, telling PostgreSQL without waiting for it.
    void drop();

private:
    struct Finish {
        void operator()(pg_conn *connection) const;
    };
    using Clock = std::chrono::steady_clock;

    void connect();
    void send(const char *sql, const std::vector<const char *> &values, const char *what);
    void wait(short events, Clock::time_point deadline, const char *what);
    Result collect(Clock::time_point deadline, const char *what);
    [[noreturn]] void fail(const std::string &what, const std::string &why);

    const std::string m_address;
    const std::string m_setup;
    std::chrono::milliseconds m_patience;
    std::unique_ptr<pg_conn, Finish> m_connection;
    // After a failed attempt or a time-out the next attempt waits: a database that is down or
    // hangs is asked once a second, and meanwhile every call fails at once.
    Clock::time_point m_nextAttempt{};
    std::uint64_t m_generation = 0;
};

} // namespace server
